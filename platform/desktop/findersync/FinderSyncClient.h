#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "desktop/findersync/MenuTransport.h"
#include "platform/FIFinderSync.h"
#include "platform/NSMenu.h"
#include "protocol/FinderSyncProtocol.h"

namespace platform::desktop {

// What the work of a chosen entry came to, once the extension has run all of it.
struct ActionOutcome {
  std::vector<std::string> modals;  // each modal shown, and how it was answered
  std::string failure;              // empty when the work ran to its end
  unsigned answersLeft = 0;
};

// The file manager's end of the bus: it asks the running extension (starting it on demand)
// for menus and sends it the chosen entries. Every call answers with the result or why not.
class FinderSyncClient : public QObject {
  Q_OBJECT

 public:
  explicit FinderSyncClient(QDBusConnection bus);

  // Starts the extension when it is not running yet.
  std::optional<std::string> start();
  std::variant<TransportedMenu, std::string> menu(FIMenuKind kind,
                                                  const std::vector<NSURL>& selection);
  std::optional<std::string> answerModals(const std::vector<std::string>& answers);
  // Sends the entry and returns at once with the action's number (the window's way).
  std::variant<unsigned, std::string> perform(const NSMenuItem& entry,
                                              const std::vector<NSURL>& selection);
  // What the file manager tells the extension without waiting for it: which folder it shows
  // and which items it would draw badges on.
  void beginObserving(const NSURL& folder);
  void endObserving(const NSURL& folder);
  void requestBadge(const NSURL& item);
  // Sends the entry and waits until its work has run out (the command line's way).
  std::variant<ActionOutcome, std::string> performAndWait(const NSMenuItem& entry,
                                                          const std::vector<NSURL>& selection,
                                                          int timeoutMilliseconds);

 signals:
  void actionFinished(unsigned action, const platform::desktop::ActionOutcome& outcome);

 private slots:
  void onActionFinished(uint action, const QStringList& modals, const QString& failure,
                        uint answersLeft);

 private:
  void tell(const protocol::Method& method, const NSURL& url);

  QDBusConnection bus_;
};

}  // namespace platform::desktop
