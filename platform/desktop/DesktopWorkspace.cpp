#include "desktop/DesktopWorkspace.h"

#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>
#include <QStringList>
#include <algorithm>
#include <map>

#include "desktop/BusNames.h"
#include "desktop/DesktopPicture.h"
#include "desktop/ExtensionOnDemand.h"
#include "desktop/RunningApplications.h"
#include "desktop/filemanagers/FileManagers.h"
#include "desktop/filemanagers/RunningFileManagers.h"
#include "platform/NSFileManager.h"
#include "protocol/FinderSyncProtocol.h"

namespace platform::desktop {

namespace {

// The desktop picture is the session's, whatever the screen: one name stands for them all, and
// asking Qt Gui for the real one would load it into the extension for nothing.
const std::string kAnyScreen = "default";

// Where the original platform turns extensions on. Here an installed extension is on once the
// session bus has started it.
const std::string kExtensionsPane = "/System/Library/PreferencePanes/Extensions.prefPane";
// Which file managers show the extension's menu is chosen in a pane of our own.
constexpr char kIntegrationPane[] = "plovane-integration";

const std::string kStoreScheme = "macappstore:";

// What xdg-open's exit codes mean; empty for one it does not document.
std::string exitMeaning(int code) {
  static const std::map<int, std::string> reasons = {
      {1, "it was called wrongly"},
      {2, "there is no such file"},
      {3, "nothing on this desktop opens it"},
      {4, "the program that opens it failed"},
  };
  const auto reason = reasons.find(code);
  return reason == reasons.end() ? "" : reason->second;
}

std::string exitReason(int code) {
  const auto meaning = exitMeaning(code);
  return meaning.empty() ? "" : " (" + meaning + ")";
}

// What a person can do something about when a program of the original platform cannot start.
std::string missingProgram(const std::string& bundleIdentifier) {
  if (bundleIdentifier == "com.apple.Terminal") return "No terminal program is installed.";
  if (bundleIdentifier == "com.apple.systempreferences") return "No settings program is installed.";
  return "The program " + bundleIdentifier + " could not be started.";
}

std::string quoted(const std::string& name) { return "\u201c" + name + "\u201d"; }

}  // namespace

DesktopWorkspace::DesktopWorkspace(QtBusConnection connection, BundleRegistry registry,
                                   SystemLog& log, std::optional<std::filesystem::path> gsettings,
                                   std::optional<std::filesystem::path> integrationPane)
    : connection_(std::move(connection)),
      registry_(std::move(registry)),
      log_(log),
      gsettings_(std::move(gsettings)),
      integrationPane_(std::move(integrationPane)) {}

std::optional<std::filesystem::path> DesktopWorkspace::integrationPaneBeside() {
  const auto pane =
      std::filesystem::read_symlink("/proc/self/exe").parent_path() / kIntegrationPane;
  if (::access(pane.c_str(), X_OK) != 0) return std::nullopt;
  return pane;
}

bool DesktopWorkspace::open(const std::string& target) {
  const auto outcome = startAndWaitBriefly({"xdg-open", target}, kHandOverWait);
  switch (outcome.state) {
    case EarlyOutcome::State::stillRunning:
      return true;
    case EarlyOutcome::State::exited:
      if (outcome.code == 0) return true;
      log_.log("cannot open " + target + ": xdg-open exited with code " +
               std::to_string(outcome.code) + exitReason(outcome.code));
      if (const auto meaning = exitMeaning(outcome.code); !meaning.empty()) {
        tellPerson(quoted(target) + " could not be opened: " + meaning + ".");
      } else {
        tellPerson(quoted(target) + " could not be opened.");
      }
      return false;
    case EarlyOutcome::State::killed:
      log_.log("cannot open " + target + ": xdg-open was ended by signal " +
               std::to_string(outcome.code));
      tellPerson(quoted(target) + " could not be opened.");
      return false;
    case EarlyOutcome::State::notStarted:
      break;
  }
  log_.log("cannot open " + target + ": " + outcome.failure);
  tellPerson(quoted(target) + " could not be opened: xdg-open is not installed.");
  return false;
}

bool DesktopWorkspace::openURL(const NSURL& url) {
  if (url.path() == kExtensionsPane) return openExtensionsPane();
  // An application opens by running it; xdg-open would show its folder.
  if (url.pathExtension() == "app" && std::filesystem::is_directory(url.path())) {
    return startBundle(url.path());
  }
  return open(url.path());
}

bool DesktopWorkspace::startBundle(const std::string& bundle) {
  const auto command = BundleRegistry::commandForBundleAt(bundle);
  const auto failure =
      command.arguments.empty() ? command.failure : startDetached(command.arguments).value_or("");
  if (failure.empty()) return true;
  log_.log("cannot open the application " + bundle + ": " + failure);
  tellPerson(quoted(std::filesystem::path(bundle).filename().string()) + " could not be started.");
  return false;
}

bool DesktopWorkspace::openURLString(const std::string& url) {
  if (!url.starts_with(kStoreScheme)) return open(url);
  // No store client here handles its links; its pages are on the web at the same address.
  const std::string page = "https:" + url.substr(kStoreScheme.size());
  log_.log("no store client on this desktop: opening " + page + " for " + url);
  return open(page);
}

bool DesktopWorkspace::openExtensionsPane() {
  const bool started = startExtension();
  return showIntegrationPane() && started;
}

bool DesktopWorkspace::showIntegrationPane() {
  std::optional<std::string> failure =
      std::string("no ") + kIntegrationPane + " beside this program";
  if (integrationPane_) failure = startDetached({integrationPane_->string()});
  if (!failure) return true;
  log_.log("cannot show which file managers show the menu: " + *failure);
  return false;
}

bool DesktopWorkspace::startExtension() {
  const std::string name = protocol::kService;
  const QDBusConnection connection = connection_.get();
  if (!connection.isConnected()) {
    log_.log("cannot start the extension " + name + ": no session bus");
    return false;
  }
  const QDBusReply<void> started =
      connection.interface()->startService(QString::fromStdString(name));
  if (started.isValid()) {
    log_.log("the extension " + name + " runs on the session bus");
    return true;
  }
  const QDBusError error = started.error();
  log_.log((error.type() == QDBusError::ServiceUnknown ? "the extension is not installed: "
                                                       : "the extension could not be started: ") +
           error.message().toStdString());
  return false;
}

UserDefaultsRoot DesktopWorkspace::storeOfItsOwn() const {
  return UserDefaultsRoot(UserDefaultsRoot::defaultRoot(),
                          [this](const std::string& line) { log_.log(line); });
}

std::vector<NSRunningApplication> DesktopWorkspace::runningApplications() const {
  const QDBusConnection connection = connection_.get();
  auto running = runningApplicationsOn(connection);
  const bool listed = std::any_of(running.begin(), running.end(), [](const auto& application) {
    return application.bundleIdentifier == protocol::kService;
  });
  if (listed) return running;
  // Its own store handle: this runs on the global queue while the main thread uses the store.
  auto defaults = storeOfItsOwn();
  MenuSwitches switches(defaults);
  if (extensionStartsOnDemand(connection, switches)) {
    running.push_back({protocol::kService, NSApplicationActivationPolicy::accessory});
  }
  return running;
}

std::vector<std::string> DesktopWorkspace::fileManagersToRestart() const {
  auto defaults = storeOfItsOwn();
  MenuSwitches switches(defaults);
  std::vector<std::string> names;
  for (const auto& state : fileManagersFound(knownFileManagers(), switches)) {
    if (mustRestart(state)) names.push_back(state.manager.name);
  }
  return names;
}

bool DesktopWorkspace::launchAppWithBundleIdentifier(const std::string& bundleIdentifier) {
  const auto command = registry_.commandFor(bundleIdentifier);
  if (command.arguments.empty()) {
    log_.log("cannot launch " + bundleIdentifier + ": " + command.failure);
    tellPerson(missingProgram(bundleIdentifier));
    return false;
  }
  if (const auto failure = startDetached(command.arguments)) {
    log_.log("cannot launch " + bundleIdentifier + ": " + *failure);
    tellPerson("The program " + command.arguments.front() + " could not be started.");
    return false;
  }
  return true;
}

std::optional<NSScreen> DesktopWorkspace::mainScreen() const { return NSScreen{kAnyScreen}; }

std::optional<NSError> DesktopWorkspace::setDesktopImageURL(const NSURL& url, const NSScreen&) {
  // As on the original platform, only an image file can become the picture.
  bool isDirectory = false;
  const bool exists = NSFileManager().fileExistsAtPath(url.path(), &isDirectory);
  if (!exists || isDirectory) {
    tellPerson(quoted(url.lastPathComponent()) + (exists ? " is not an image." : " is gone."));
    return NSError{"The file \u201c" + url.lastPathComponent() + "\u201d is not an image."};
  }
  const auto failure = gsettings_ ? setGnomeDesktopPicture(*gsettings_, url.path())
                                  : std::optional<std::string>("gsettings is not installed");
  if (!failure) return std::nullopt;
  const std::string reason = "cannot set the desktop picture to " + url.path() + ": " + *failure;
  log_.log(reason);
  tellPerson("The desktop picture did not change: " + *failure + ".");
  return NSError{reason};
}

void DesktopWorkspace::tellPerson(const std::string& reason) {
  if (notices_ != nullptr) notices_->tell(reason);
}

void DesktopWorkspace::activateFileViewerSelectingURLs(const std::vector<NSURL>& urls) {
  if (urls.empty()) return;
  QStringList uris;
  for (const auto& url : urls) {
    uris << QString::fromStdString(url.absoluteString());
  }
  auto request = QDBusMessage::createMethodCall(
      QString::fromLatin1(bus::kFileManagerService), QString::fromLatin1(bus::kFileManagerPath),
      QString::fromLatin1(bus::kFileManagerInterface), QStringLiteral("ShowItems"));
  request << uris << QString();
  auto* watcher = new QDBusPendingCallWatcher(connection_.get().asyncCall(request), &pendingCalls_);
  const NSURL first = urls.front();
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &pendingCalls_,
                   [this, first, watcher] {
                     watcher->deleteLater();
                     if (!watcher->isError()) return;
                     const QDBusError error = watcher->error();
                     if (error.type() == QDBusError::ServiceUnknown ||
                         error.type() == QDBusError::Disconnected) {
                       const NSURL folder = first.URLByDeletingLastPathComponent();
                       log_.log(std::string("no file manager owns ") + bus::kFileManagerService +
                                " on the session bus; opening " + folder.path() + " instead");
                       open(folder.path());
                     } else {
                       log_.log("the file manager did not show " + first.path() + ": " +
                                error.message().toStdString());
                     }
                   });
}

}  // namespace platform::desktop
