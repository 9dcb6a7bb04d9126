#pragma once

#include <systemd/sd-bus.h>

#include <QObject>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/CommandFailureNotices.h"
#include "desktop/HostDirectorySet.h"
#include "desktop/QtRunLoop.h"
#include "desktop/findersync/MainLoopBus.h"
#include "platform/FIFinderSync.h"
#include "platform/NSMenu.h"
#include "platform/NSUserDefaults.h"

namespace platform::desktop {

// Modals answered from a script rather than by a person: the extension runs this way where
// there is no display. Each shown modal is described; a modal without an answer fails its action.
class ScriptedModalAnswers {
 public:
  virtual ~ScriptedModalAnswers() = default;
  // False when an answer cannot be read.
  virtual bool answer(const std::string& text) = 0;
  virtual void forgetAnswers() = 0;
  // Forgets the answers left and writes `why` to the log.
  virtual void dropAnswers(const std::string& why) = 0;
  virtual std::size_t answersLeft() const = 0;
  // The descriptions of the modals shown since the last call.
  virtual std::vector<std::string> takeShown() = 0;
};

// The extension's end of the bus: the methods and signal of FinderSyncProtocol.h, answered with
// the principal object (the menu for a kind and selection, the chosen entry, directory
// observation and badge requests). The work a chosen entry defers runs after the reply has gone,
// and ActionFinished reports when it has run out.
class FinderSyncService : public QObject {
  Q_OBJECT

 public:
  FinderSyncService(FIFinderSync& finderSync, HostDirectorySet& controller,
                    UserDefaultsRoot& defaults, QtRunLoop& runLoop, std::filesystem::path resources,
                    ScriptedModalAnswers* scripted);
  ~FinderSyncService() override;

  // Serves the methods at the protocol's path on `bus`, which must outlive the service or see it
  // withdrawn first; false when the path is taken.
  bool publish(MainLoopBus& bus);
  // Leaves the bus: the methods, and the watches on attached modules.
  void withdraw();

  // Told of every call that arrives and of the moment the work queued so far has run.
  void setActivityHandler(std::function<void()> handler) { activityHandler_ = std::move(handler); }
  // Told the title of each chosen entry while its work runs.
  void setFailureNotices(CommandFailureNotices* notices) { notices_ = notices; }
  // An action is waiting to be answered, or its work has not run out yet.
  bool busy() const { return waitingChoices_ > 0 || !runningActions_.empty() || !runLoop_.idle(); }
  // A file manager's module is attached: the extension serves it for as long as it runs.
  bool attached() const { return !attachedModules_.empty(); }

 private:
  using Message = std::shared_ptr<sd_bus_message>;
  struct Choice {
    std::string selector;
    std::int64_t tag;
    std::string title;
    std::vector<std::string> selection;
  };
  // Each bus method's entry point, in the shape the bus library calls.
  template <int (FinderSyncService::*answer)(sd_bus_message*, sd_bus_error*)>
  static int handle(sd_bus_message* call, void* service, sd_bus_error* error);
  static const sd_bus_vtable kMethods[];

  int menu(sd_bus_message* call, sd_bus_error* error);
  int perform(sd_bus_message* call, sd_bus_error* error);
  int beginObserving(sd_bus_message* call, sd_bus_error* error);
  int endObserving(sd_bus_message* call, sd_bus_error* error);
  int requestBadge(sd_bus_message* call, sd_bus_error* error);
  // The badge requests of many shown items in one call, as a file manager sends them.
  int requestBadges(sd_bus_message* call, sd_bus_error* error);
  // The answers for the modals of the next chosen entries, in place of any left over. They serve
  // only the entries the same connection chooses: another's Perform finds them dropped.
  int answerModals(sd_bus_message* call, sd_bus_error* error);
  // The calling module keeps the extension until its connection to the bus closes.
  int attach(sd_bus_message* call, sd_bus_error* error);

  // A chosen entry is answered on the next turn of the run loop, not while the bus is being
  // read: its work may wait in a nested loop (a dialog, a pause), and calls go on being
  // answered meanwhile.
  void choose(const Message& call, const Choice& choice);
  void announceFinished(uint action, const std::vector<std::string>& modals);
  void forgetModule(const std::string& module);
  bool ownsAName(const std::string& connection);
  void runGuarded(const std::function<void()>& work);
  void selectOnly(const std::vector<std::string>& selection);
  // The program name of the process that sent `call`.
  std::string callerProgram(sd_bus_message* call) const;
  // Answers sent by another connection than `performer`'s are not for its entry.
  void dropAnswersNotFrom(const std::string& performer);
  // Why `entry` may not run for the selected items: the file manager asks only about items
  // inside the directory set, and only for entries of the menu it was given for them.
  std::optional<std::string> whyRefused(const NSMenuItem& entry);
  void finishActions();
  void noteActivity();

  FIFinderSync& finderSync_;
  HostDirectorySet& controller_;
  UserDefaultsRoot& defaults_;
  QtRunLoop& runLoop_;
  std::filesystem::path resources_;
  ScriptedModalAnswers* scripted_;
  MainLoopBus* bus_ = nullptr;
  sd_bus_slot* methods_ = nullptr;
  // Who sent the answers left; empty for those the extension was started with.
  std::string answersFrom_;
  uint lastAction_ = 0;
  int waitingChoices_ = 0;
  std::vector<uint> runningActions_;
  std::string failure_;
  std::function<void()> activityHandler_;
  CommandFailureNotices* notices_ = nullptr;
  // The unique bus names of the attached modules, each with its watch: a file manager that quits
  // or crashes loses its connection, and the bus says its name has gone.
  std::map<std::string, sd_bus_slot*> attachedModules_;
};

}  // namespace platform::desktop
