#include "desktop/ExtensionHost.h"

#include <QCoreApplication>
#include <cstdlib>
#include <iostream>
#include <string_view>

#include "desktop/BusNames.h"
#include "desktop/DesktopCoreServices.h"
#include "desktop/IdleExit.h"
#include "desktop/ProgramLauncher.h"
#include "desktop/ProgramStart.h"
#include "desktop/RunningApplications.h"
#include "desktop/ScriptedModals.h"
#include "desktop/SettingsFolderWatch.h"
#include "desktop/StreamSystemLog.h"
#include "desktop/display/DisplayHelper.h"
#include "desktop/display/HelperModals.h"
#include "desktop/display/HelperPasteboard.h"
#include "desktop/findersync/FinderSyncService.h"
#include "desktop/findersync/MainLoopBus.h"
#include "protocol/FinderSyncProtocol.h"

namespace platform::desktop {

namespace {

int accessoryPolicy(sd_bus*, const char*, const char*, const char*, sd_bus_message* reply, void*,
                    sd_bus_error*) {
  return sd_bus_message_append(
      reply, "s", activationPolicyName(NSApplicationActivationPolicy::accessory).toUtf8().data());
}

// How the extension announces itself as a running program, as every program of the bundle does:
// an accessory, with no windows of its own.
const sd_bus_vtable kRunningApplication[] = {
    SD_BUS_VTABLE_START(0),
    SD_BUS_PROPERTY(bus::kActivationPolicyProperty, "s", accessoryPolicy, 0,
                    SD_BUS_VTABLE_PROPERTY_CONST),
    SD_BUS_VTABLE_END};

// Serves the callbacks and takes the bundle identifier as a bus name; false when another
// instance holds it.
bool publish(MainLoopBus& bus, FinderSyncService& service) {
  // The protocol's path is the one made from the bundle identifier, where readers ask.
  return service.publish(bus) &&
         sd_bus_add_object_vtable(bus.get(), nullptr, protocol::kPath,
                                  bus::kRunningApplicationInterface, kRunningApplication,
                                  nullptr) >= 0 &&
         bus.requestName(protocol::kService);
}

// The extension shows no windows of its own: its dialogs are the display helper's.
class NoWindows final : public WindowServer {
 public:
  void orderFront(NSWindow&) override {}
  void orderOut(NSWindow&) override {}
  void windowChanged(NSWindow&) override {}
  void activateIgnoringOtherApps() override {}
  void setActivationPolicy(NSApplicationActivationPolicy) override {}
  void terminate() override { QCoreApplication::quit(); }
};

}  // namespace

int runExtensionHost(int& argc, char** argv, const NSBundle& bundle,
                     const PrincipalFactory& makePrincipal) {
  const bool display = prepareDisplay();
  // Qt Core and Qt D-Bus only, so that the bus's start of the extension answers its first menu
  // soon: what needs Qt's GUI libraries is the display helper's.
  QCoreApplication application(argc, argv);
  // The file managers' calls are answered on this thread, from their own connection; the
  // extension's own calls and notices go through Qt's, opened when first needed.
  std::string why;
  const auto served = MainLoopBus::connect({}, why);
  if (!served) {
    std::cerr << "plovane-menu-extension: no session bus to serve the file manager on: " << why
              << "\n";
    return 1;
  }
  StreamSystemLog log;
  UserDefaultsRoot defaults(UserDefaultsRoot::defaultRoot(),
                            [&log](const std::string& line) { log.log(line); });
  DesktopCoreServices services(defaults, log, BundleRegistry::defaultApplicationsRoot(),
                               application, QtBusConnection());
  DisplayHelper helper({(bundle.bundlePath() / "plovane-menu-extension-display").string()}, log);
  HelperPasteboard pasteboard(helper);
  HelperModals dialogs(helper);
  const auto scripted = display ? nullptr : ScriptedModals::withoutDisplay(log, application);
  NoWindows windows;
  Platform platform{defaults,
                    services.runLoop,
                    log,
                    services.finderSyncController,
                    bundle,
                    services.workspace,
                    scripted ? static_cast<Modals&>(*scripted) : dialogs,
                    services.notificationCenter,
                    pasteboard,
                    services.fileManager,
                    services.calendar,
                    services.appleScript,
                    services.keyboardEvents,
                    windows,
                    services.composeEmail};
  const auto principal = makePrincipal(platform);
  FinderSyncService service(*principal, services.finderSyncController, defaults, services.runLoop,
                            bundle.bundlePath() / "Resources", scripted.get());
  service.setFailureNotices(&services.failureNotices);
  // A folder switched on in the settings app reaches the file managers' directory set at once,
  // before any of them asks for a menu.
  SettingsFolderWatch settings(defaults.fileForDomain(protocol::kService).parent_path(),
                               [&] { principal->performSelector("checkDirectoryUrl", nullptr); });
  if (!publish(*served, service)) {
    std::cerr << "plovane-menu-extension: another instance already serves the file manager\n";
    return 1;
  }
  // The session bus starts the extension again at the next call, so an idle one need not stay,
  // unless a file manager keeps it, or it shows a dialog, or what it copied would leave the
  // clipboard with it. Drawn offscreen, no other program reads that clipboard.
  IdleExit idleExit(services.runLoop, log, IdleExit::secondsFromEnvironment(log),
                    {.busy =
                         [&] {
                           return service.busy() || service.attached() || helper.asking() ||
                                  (display && helper.holdsClipboard());
                         },
                     .release = [&] { served->releaseName(protocol::kService); },
                     .quit = [&] { application.quit(); }});
  service.setActivityHandler([&] { idleExit.activity(); });
  // And it never outlives the session it serves.
  served->setClosedHandler([&] { application.quit(); });
  return application.exec();
}

}  // namespace platform::desktop
