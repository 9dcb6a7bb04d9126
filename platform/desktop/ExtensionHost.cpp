#include "desktop/ExtensionHost.h"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "desktop/DesktopPlatform.h"
#include "desktop/DisplayModals.h"
#include "desktop/IdleExit.h"
#include "desktop/ProgramLauncher.h"
#include "desktop/ProgramStart.h"
#include "desktop/RunningApplicationRegistration.h"
#include "desktop/ScriptedModals.h"
#include "desktop/SettingsFolderWatch.h"
#include "desktop/StreamSystemLog.h"
#include "desktop/findersync/FinderSyncService.h"
#include "protocol/FinderSyncProtocol.h"

namespace platform::desktop {

namespace {

// Exports the callbacks and takes the bundle identifier as a bus name; null when another
// instance holds it.
RunningApplicationRegistration* publish(QDBusConnection& bus, FinderSyncService& service) {
  auto* registration =
      new RunningApplicationRegistration(&service, NSApplicationActivationPolicy::accessory);
  const bool published =
      bus.registerObject(protocol::kPath, &service,
                         QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                             QDBusConnection::ExportAdaptors) &&
      registration->publish(bus, protocol::kService);
  return published ? registration : nullptr;
}

}  // namespace

int runExtensionHost(int& argc, char** argv, const NSBundle& bundle,
                     const PrincipalFactory& makePrincipal) {
  const bool display = prepareDisplay();
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  auto bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) {
    std::cerr << "plovane-menu-extension: no session bus to serve the file manager on\n";
    return 1;
  }
  StreamSystemLog log;
  UserDefaultsRoot defaults(UserDefaultsRoot::defaultRoot(),
                            [&log](const std::string& line) { log.log(line); });
  ScriptedModals* scripted = nullptr;
  const auto modals = modalsFor(display, log, application, scripted);
  DesktopPlatform services(defaults, log, bundle, BundleRegistry::defaultApplicationsRoot(),
                           application, *modals, bus);
  const auto principal = makePrincipal(services.platform);
  FinderSyncService service(*principal, services.finderSyncController, services.runLoop,
                            bundle.bundlePath() / "Resources", scripted);
  service.setFailureNotices(&services.failureNotices);
  // A folder switched on in the settings app reaches the file managers' directory set at once,
  // before any of them asks for a menu.
  SettingsFolderWatch settings(defaults.fileForDomain(protocol::kService).parent_path(),
                               [&] { principal->performSelector("checkDirectoryUrl", nullptr); });
  auto* registration = publish(bus, service);
  if (registration == nullptr) {
    std::cerr << "plovane-menu-extension: another instance already serves the file manager\n";
    return 1;
  }
  // The session bus starts the extension again at the next call, so an idle one need not stay,
  // unless a file manager keeps it, or what it copied would leave the clipboard with it.
  IdleExit idleExit(services.runLoop, log, IdleExit::secondsFromEnvironment(log),
                    {.busy =
                         [&] {
                           return service.busy() || service.attached() ||
                                  QApplication::activeModalWidget() != nullptr ||
                                  QApplication::clipboard()->ownsClipboard();
                         },
                     .release = [&] { bus.unregisterService(protocol::kService); },
                     .quit = [&] { application.quit(); }});
  service.setActivityHandler([&] { idleExit.activity(); });
  // And it never outlives the session it serves.
  QTimer watch;
  quitWhenBusGoes(watch, bus, [&] { application.quit(); });
  return application.exec();
}

}  // namespace platform::desktop
