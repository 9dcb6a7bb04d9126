#include "desktop/findersync/FinderSyncService.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QTimer>
#include <algorithm>
#include <exception>
#include <fstream>

#include "desktop/findersync/MenuTransport.h"
#include "platform/NSMenu.h"
#include "protocol/FinderSyncProtocol.h"

namespace platform::desktop {

namespace {

static_assert(static_cast<int>(FIMenuKind::contextualMenuForItems) == protocol::kItemsMenu &&
              static_cast<int>(FIMenuKind::contextualMenuForContainer) ==
                  protocol::kContainerMenu &&
              static_cast<int>(FIMenuKind::contextualMenuForSidebar) == protocol::kSidebarMenu &&
              static_cast<int>(FIMenuKind::toolbarItemMenu) == protocol::kToolbarMenu);

NSURL urlForPath(const QByteArray& path) { return NSURL::fileURLWithPath(path.toStdString()); }

bool offers(const NSMenu& menu, const NSMenuItem& entry) {
  return std::any_of(menu.items.begin(), menu.items.end(), [&](const NSMenuItem& item) {
    if (item.submenu && offers(*item.submenu, entry)) return true;
    return item.enabled && !item.action.empty() && item.action == entry.action &&
           item.tag == entry.tag && item.title == entry.title;
  });
}

}  // namespace

FinderSyncService::FinderSyncService(FIFinderSync& finderSync, HostDirectorySet& controller,
                                     UserDefaultsRoot& defaults, QtRunLoop& runLoop,
                                     std::filesystem::path resources,
                                     ScriptedModalAnswers* scripted)
    : finderSync_(finderSync),
      controller_(controller),
      defaults_(defaults),
      runLoop_(runLoop),
      resources_(std::move(resources)),
      scripted_(scripted) {
  qDBusRegisterMetaType<QList<QByteArray>>();
  attachedModules_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
  connect(&attachedModules_, &QDBusServiceWatcher::serviceUnregistered, this,
          [this](const QString& module) {
            attachedModules_.removeWatchedService(module);
            // The idle time counts from the moment the last file manager went.
            noteActivity();
          });
  runLoop_.setRunner([this](const Block& block) { runGuarded(block); });
  runLoop_.setIdleHandler([this] {
    finishActions();
    noteActivity();
  });
}

QString FinderSyncService::Menu(int kind, const QList<QByteArray>& selection) {
  noteActivity();
  if (kind < protocol::kItemsMenu || kind > protocol::kToolbarMenu) {
    sendErrorReply(QDBusError::InvalidArgs, "no such menu kind");
    return {};
  }
  // The menu and the folders it is judged against come from one state of the settings.
  const auto oneState = defaults_.holdReads();
  selectOnly(selection);
  const auto menu = finderSync_.menuForMenuKind(static_cast<FIMenuKind>(kind));
  // The menu re-read the monitored folders: a module may still ask for a folder switched off.
  const auto selected = controller_.selectedItemURLs().value_or(std::vector<NSURL>{});
  const auto directories = controller_.directoryURLs();
  const bool inside = std::all_of(selected.begin(), selected.end(), [&](const NSURL& item) {
    return isInsideDirectorySet(directories, item);
  });
  static const NSMenu none;
  return QString::fromUtf8(encodeMenu(inside ? *menu : none, resources_));
}

uint FinderSyncService::Perform(const QString& selector, qlonglong tag, const QString& title,
                                const QList<QByteArray>& selection) {
  noteActivity();
  dropAnswersNotFrom(caller());
  selectOnly(selection);
  controller_.setRequestingProgram(callerProgram());
  NSMenuItem sender(title.toStdString(), selector.toStdString(), {});
  sender.tag = tag;
  if (const auto why = whyRefused(sender)) {
    sendErrorReply(QDBusError::AccessDenied, *why);
    return 0;
  }
  const uint action = ++lastAction_;
  runningActions_.push_back(action);
  if (notices_ != nullptr) notices_->setCommand(title.toStdString());
  bool known = true;
  runGuarded([&] { known = finderSync_.performSelector(sender.action, &sender); });
  if (!known) {
    runningActions_.pop_back();
    sendErrorReply(QDBusError::UnknownMethod, "the extension has no selector " + selector);
    return 0;
  }
  // The reply goes first; an action that deferred nothing is reported right after it.
  if (runLoop_.idle()) QTimer::singleShot(0, this, [this] { finishActions(); });
  return action;
}

std::optional<QString> FinderSyncService::whyRefused(const NSMenuItem& entry) {
  // Held for the check only: the entry's work may wait on a dialog, and reads after it must see
  // the settings as they are then.
  const auto oneState = defaults_.holdReads();
  // Taking the menu first brings the monitored folders up to date with the settings.
  std::shared_ptr<NSMenu> menu;
  runGuarded([&] { menu = finderSync_.menuOfferedForSelection(); });
  const auto selection = controller_.selectedItemURLs().value_or(std::vector<NSURL>{});
  const auto directories = controller_.directoryURLs();
  const bool inside =
      !selection.empty() && std::all_of(selection.begin(), selection.end(), [&](const NSURL& item) {
        return actsInsideDirectorySet(directories, item);
      });
  if (!inside) return QStringLiteral("the selection is not inside a monitored folder");
  if (menu && offers(*menu, entry)) return std::nullopt;
  return "the menu for this selection has no entry \"" + QString::fromStdString(entry.title) +
         "\" for " + QString::fromStdString(entry.action);
}

void FinderSyncService::BeginObserving(const QByteArray& path) {
  noteActivity();
  finderSync_.beginObservingDirectoryAtURL(urlForPath(path));
}

void FinderSyncService::EndObserving(const QByteArray& path) {
  noteActivity();
  finderSync_.endObservingDirectoryAtURL(urlForPath(path));
}

void FinderSyncService::RequestBadge(const QByteArray& path) {
  noteActivity();
  finderSync_.requestBadgeIdentifierForURL(urlForPath(path));
}

void FinderSyncService::RequestBadges(const QList<QByteArray>& paths) {
  noteActivity();
  if (paths.size() > protocol::kMostBadgesPerCall) {
    sendErrorReply(QDBusError::InvalidArgs,
                   QStringLiteral("at most %1 paths a call").arg(protocol::kMostBadgesPerCall));
    return;
  }
  std::vector<NSURL> urls;
  urls.reserve(static_cast<std::size_t>(paths.size()));
  for (const auto& path : paths) urls.push_back(urlForPath(path));
  finderSync_.requestBadgeIdentifiersForURLs(urls);
}

void FinderSyncService::AnswerModals(const QList<QByteArray>& answers) {
  noteActivity();
  if (scripted_ == nullptr) {
    sendErrorReply(QDBusError::NotSupported,
                   "modals are answered by the person at the display, not from a script");
    return;
  }
  scripted_->forgetAnswers();
  answersFrom_ = caller();
  for (const auto& answer : answers) {
    if (!scripted_->answer(answer.toStdString())) {
      scripted_->forgetAnswers();
      sendErrorReply(QDBusError::InvalidArgs, "not an answer: " + QString::fromUtf8(answer));
      return;
    }
  }
}

void FinderSyncService::Attach() {
  noteActivity();
  if (!calledFromDBus()) return;
  const QString module = message().service();
  if (attachedModules_.watchedServices().contains(module)) return;
  attachedModules_.setConnection(connection());
  attachedModules_.addWatchedService(module);
  // It may have gone between sending the call and the watch.
  if (!connection().interface()->isServiceRegistered(module).value()) {
    attachedModules_.removeWatchedService(module);
  }
}

void FinderSyncService::runGuarded(const std::function<void()>& work) {
  try {
    work();
  } catch (const std::exception& failure) {
    // One failed block must not take the extension down with it.
    if (failure_.isEmpty()) failure_ = QString::fromUtf8(failure.what());
  }
}

QString FinderSyncService::caller() const {
  return calledFromDBus() ? message().service() : QString();
}

void FinderSyncService::dropAnswersNotFrom(const QString& performer) {
  if (scripted_ == nullptr || answersFrom_.isEmpty() || answersFrom_ == performer) return;
  if (scripted_->answersLeft() > 0) {
    scripted_->dropAnswers("modal answers from " + answersFrom_.toStdString() +
                           " dropped: the chosen entry comes from " + performer.toStdString());
  }
  answersFrom_.clear();
}

std::string FinderSyncService::callerProgram() const {
  if (!calledFromDBus()) return {};
  const auto pid = connection().interface()->servicePid(message().service());
  if (!pid.isValid()) return {};
  std::ifstream comm("/proc/" + std::to_string(pid.value()) + "/comm");
  std::string program;
  std::getline(comm, program);
  return program;
}

void FinderSyncService::selectOnly(const QList<QByteArray>& selection) {
  std::vector<NSURL> urls;
  for (const auto& path : selection) urls.push_back(urlForPath(path));
  controller_.setSelectedItemURLs(std::move(urls));
}

void FinderSyncService::noteActivity() {
  if (activityHandler_) activityHandler_();
}

void FinderSyncService::finishActions() {
  if (runningActions_.empty() || !runLoop_.idle()) return;
  QStringList modals;
  uint left = 0;
  if (scripted_ != nullptr) {
    for (const auto& shown : scripted_->takeShown()) modals << QString::fromStdString(shown);
    left = static_cast<uint>(scripted_->answersLeft());
  }
  for (const uint action : runningActions_) emit ActionFinished(action, modals, failure_, left);
  runningActions_.clear();
  failure_.clear();
  if (notices_ != nullptr) notices_->setCommand({});
}

}  // namespace platform::desktop
