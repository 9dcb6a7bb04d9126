#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QStringList>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "desktop/MenuTransport.h"
#include "platform/FIFinderSync.h"
#include "platform/NSMenu.h"

namespace plovane::host {

// What the work of a chosen entry came to, once the extension has run all of it.
struct ActionOutcome {
  std::vector<std::string> modals;  // each modal shown, and how it was answered
  std::string failure;              // empty when the work ran to its end
  unsigned answersLeft = 0;
};

// The file manager's side of the bus: it asks the running extension (starting it on demand)
// for menus and sends it the chosen entries. Every call answers with the result or why not.
class ExtensionClient : public QObject {
  Q_OBJECT

 public:
  explicit ExtensionClient(QDBusConnection bus);

  // Starts the extension when it is not running yet.
  std::optional<std::string> start();
  std::variant<platform::desktop::TransportedMenu, std::string> menu(
      platform::FIMenuKind kind, const std::vector<platform::NSURL>& selection);
  std::optional<std::string> answerModals(const std::vector<std::string>& answers);
  // Sends the entry and returns at once with the action's number (the window's way).
  std::variant<unsigned, std::string> perform(const platform::NSMenuItem& entry,
                                              const std::vector<platform::NSURL>& selection);
  // What the file manager tells the extension without waiting for it: which folder it shows
  // and which items it would draw badges on.
  void beginObserving(const platform::NSURL& folder);
  void endObserving(const platform::NSURL& folder);
  void requestBadge(const platform::NSURL& item);
  // Sends the entry and waits until its work has run out (the command line's way).
  std::variant<ActionOutcome, std::string> performAndWait(
      const platform::NSMenuItem& entry, const std::vector<platform::NSURL>& selection,
      int timeoutMilliseconds);

 signals:
  void actionFinished(unsigned action, const plovane::host::ActionOutcome& outcome);

 private slots:
  void onActionFinished(uint action, const QStringList& modals, const QString& failure,
                        uint answersLeft);

 private:
  void tell(const char* method, const platform::NSURL& url);

  QDBusConnection bus_;
};

}  // namespace plovane::host
