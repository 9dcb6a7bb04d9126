#include "desktop/ExtensionHost.h"

#include <QApplication>
#include <QDBusConnection>
#include <QTimer>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "desktop/BusNames.h"
#include "desktop/DesktopPlatform.h"
#include "desktop/FinderSyncService.h"
#include "desktop/IdleExit.h"
#include "desktop/ProgramLauncher.h"
#include "desktop/QtModals.h"
#include "desktop/RunningApplicationRegistration.h"
#include "desktop/ScriptedModals.h"
#include "desktop/StreamSystemLog.h"

namespace platform::desktop {

namespace {

bool hasDisplay() {
  const char* platformName = std::getenv("QT_QPA_PLATFORM");
  if (platformName != nullptr && std::string_view(platformName) == "offscreen") return false;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// Dialogs for the person at the display; otherwise answers from $PLOVANE_MODAL_ANSWERS and
// from the bus, each modal written to the log as it is shown.
std::unique_ptr<Modals> modalsFor(bool display, SystemLog& log, ScriptedModals*& scripted) {
  if (display) return std::make_unique<QtModals>();
  auto answered = std::make_unique<ScriptedModals>(log);
  if (const char* file = std::getenv("PLOVANE_MODAL_ANSWERS"); file != nullptr && *file != '\0') {
    if (auto why = answered->loadAnswers(file)) log.log(*why);
  }
  log.log("no display: modals are answered from a script and written here");
  scripted = answered.get();
  return answered;
}

// Exports the callbacks and takes the bundle identifier as a bus name; false when another
// instance holds it.
bool publish(QDBusConnection& bus, FinderSyncService& service) {
  auto* registration =
      new RunningApplicationRegistration(&service, NSApplicationActivationPolicy::accessory);
  return bus.registerObject(bus::kExtensionPath, &service,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAdaptors) &&
         registration->publish(bus, bus::kExtensionService);
}

}  // namespace

int runExtensionHost(int& argc, char** argv, const NSBundle& bundle,
                     const PrincipalFactory& makePrincipal) {
  const bool display = hasDisplay();
  if (!display) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
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
  const auto modals = modalsFor(display, log, scripted);
  DesktopPlatform services(defaults, log, bundle, BundleRegistry::defaultApplicationsRoot(),
                           application, *modals, bus);
  const auto principal = makePrincipal(services.platform);
  FinderSyncService service(*principal, services.finderSyncController, services.runLoop,
                            bundle.bundlePath() / "Resources", scripted);
  if (!publish(bus, service)) {
    std::cerr << "plovane-menu-extension: another instance already serves the file manager\n";
    return 1;
  }
  // The session bus starts the extension again at the next call, so an idle one need not stay.
  IdleExit idleExit(
      services.runLoop, log, IdleExit::secondsFromEnvironment(log),
      {.busy = [&] { return service.busy() || QApplication::activeModalWidget() != nullptr; },
       .release = [&] { bus.unregisterService(bus::kExtensionService); },
       .quit = [&] { application.quit(); }});
  service.setActivityHandler([&] { idleExit.activity(); });
  // And it never outlives the session it serves.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!bus.isConnected()) application.quit();
  });
  watch.start(1000);
  return application.exec();
}

}  // namespace platform::desktop
