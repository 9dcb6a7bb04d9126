#pragma once

#include <QByteArray>
#include <QDBusContext>
#include <QDBusServiceWatcher>
#include <QList>
#include <QObject>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desktop/CommandFailureNotices.h"
#include "desktop/HostDirectorySet.h"
#include "desktop/QtRunLoop.h"
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

// The extension's end of the bus: its slots and signal are the methods and signal of
// FinderSyncProtocol.h, answered with the principal object (the menu for a kind and selection,
// the chosen entry, directory observation and badge requests). The work a chosen entry defers
// runs after the reply has gone, and ActionFinished reports when it has run out.
class FinderSyncService : public QObject, protected QDBusContext {
  Q_OBJECT
  // moc takes only a literal here: protocol::kInterface, which the bus tests hold it to.
  Q_CLASSINFO("D-Bus Interface", "com.quenlow.plovanemenu.FinderSync")

 public:
  FinderSyncService(FIFinderSync& finderSync, HostDirectorySet& controller,
                    UserDefaultsRoot& defaults, QtRunLoop& runLoop, std::filesystem::path resources,
                    ScriptedModalAnswers* scripted);

  // Told of every call that arrives and of the moment the work queued so far has run.
  void setActivityHandler(std::function<void()> handler) { activityHandler_ = std::move(handler); }
  // Told the title of each chosen entry while its work runs.
  void setFailureNotices(CommandFailureNotices* notices) { notices_ = notices; }
  // An action's work has not run out yet.
  bool busy() const { return !runningActions_.empty() || !runLoop_.idle(); }
  // A file manager's module is attached: the extension serves it for as long as it runs.
  bool attached() const { return !attachedModules_.watchedServices().isEmpty(); }

 public slots:
  QString Menu(int kind, const QList<QByteArray>& selection);
  uint Perform(const QString& selector, qlonglong tag, const QString& title,
               const QList<QByteArray>& selection);
  void BeginObserving(const QByteArray& path);
  void EndObserving(const QByteArray& path);
  void RequestBadge(const QByteArray& path);
  // The badge requests of many shown items in one call, as a file manager sends them.
  void RequestBadges(const QList<QByteArray>& paths);
  // The answers for the modals of the next chosen entries, in place of any left over. They serve
  // only the entries the same connection chooses: another's Perform finds them dropped.
  void AnswerModals(const QList<QByteArray>& answers);
  // The calling module keeps the extension until its connection to the bus closes.
  void Attach();

 signals:
  // `failure` is empty when the action's work ran to its end.
  void ActionFinished(uint action, const QStringList& modals, const QString& failure,
                      uint answersLeft);

 private:
  void runGuarded(const std::function<void()>& work);
  void selectOnly(const QList<QByteArray>& selection);
  // The program name of the process that sent the call being answered.
  std::string callerProgram() const;
  // The unique bus name of the connection that sent the call being answered.
  QString caller() const;
  // Answers sent by another connection than `performer`'s are not for its entry.
  void dropAnswersNotFrom(const QString& performer);
  // Why `entry` may not run for the selected items: the file manager asks only about items
  // inside the directory set, and only for entries of the menu it was given for them.
  std::optional<QString> whyRefused(const NSMenuItem& entry);
  void finishActions();
  void noteActivity();

  FIFinderSync& finderSync_;
  HostDirectorySet& controller_;
  UserDefaultsRoot& defaults_;
  QtRunLoop& runLoop_;
  std::filesystem::path resources_;
  ScriptedModalAnswers* scripted_;
  // Who sent the answers left; empty for those the extension was started with.
  QString answersFrom_;
  uint lastAction_ = 0;
  std::vector<uint> runningActions_;
  QString failure_;
  std::function<void()> activityHandler_;
  CommandFailureNotices* notices_ = nullptr;
  // The unique bus names of the attached modules; a file manager that quits or crashes loses its
  // connection, and its name leaves the watcher.
  QDBusServiceWatcher attachedModules_;
};

}  // namespace platform::desktop
