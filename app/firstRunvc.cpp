#include "app/firstRunvc.h"

#include <algorithm>
#include <utility>

#include "app/ExtensionRunningCheck.h"
#include "app/GrantAccessPanel.h"
#include "app/RestartHint.h"
#include "app/SaveFailureAlert.h"
#include "app/SettingsStores.h"
#include "platform/SelectorTable.h"
#include "shared/MonitoredFolders.h"
#include "shared/SettingsKeys.h"

namespace plovane::app {

namespace {

constexpr double kAlertDelaySeconds = 0.2;
constexpr char kExtensionsPane[] = "/System/Library/PreferencePanes/Extensions.prefPane";
constexpr char kDoneText[] =
    "You have succeessfully enabled Plovane Menu and can see the Plovane Menu items in the "
    "Context Menu on right click for selected folders. You can change these settings in the app "
    "anytime.";

using Methods = platform::SelectorTable<firstRunvc, platform::NSControl&>;

const Methods& exportedMethods() {
  static const Methods methods = {
      {"btnsystemPrefrences:",
       [](firstRunvc& self, platform::NSControl& sender) { self.btnsystemPrefrences(sender); }},
      {"btnselectfolder:",
       [](firstRunvc& self, platform::NSControl& sender) { self.btnselectfolder(sender); }},
  };
  return methods;
}

}  // namespace

firstRunvc::firstRunvc(Services services)
    : userdefaultskey(keys::foldersArray),
      userdefaultsstate(keys::foldersArraystate),
      services_(std::move(services)) {}

bool firstRunvc::performAction(const std::string& selector, platform::NSControl& sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void firstRunvc::viewDidLoad() { checkIsextensionrunning(); }

void firstRunvc::viewWillAppear() {
  startPolling(timer, services_.runLoop, [this] { checkIsextensionrunning(); });
}

void firstRunvc::viewWillDisappear() { stopPolling(timer); }

void firstRunvc::checkIsextensionrunning() {
  checkExtensionRunning(services_.runLoop, services_.workspace,
                        [this](bool running) { updateStepOne(running); });
  showRestartHint(services_.runLoop, services_.workspace, *lblrestarthint);
}

void firstRunvc::updateStepOne(bool running) {
  isextensionrunning = running;
  btnpreferences->setEnabled(!running);
  firststepDone = running;
  completeIfBothDone();
}

void firstRunvc::btnsystemPrefrences(platform::NSControl&) {
  services_.workspace.openURL(platform::NSURL::fileURLWithPath(kExtensionsPane));
}

void firstRunvc::btnselectfolder(platform::NSControl&) {
  auto panel = makeGrantAccessPanel(true);
  services_.modals.beginSheetModalForWindow(
      panel, services_.mainWindow(), [this, panel](platform::NSModalResponse response) {
        if (response != platform::NSModalResponseOK) return;
        takeChosenFolders(*panel);
        if (arrurl.empty()) return;
        const auto monitored = saveChosenFolders();
        if (!monitored) return;
        // The extension reads the folders when it starts; handed over now, the menu appears
        // in them at once, as the closing alert promises.
        services_.finderSyncController.setDirectoryURLs(directoryURLsOf(*monitored));
        secondStepDone = true;
        btnuserfolder->setEnabled(false);
        completeIfBothDone();
      });
}

void firstRunvc::takeChosenFolders(const platform::NSOpenPanel& panel) {
  for (const auto& url : panel.URLs) {
    if (std::find(arrurl.begin(), arrurl.end(), url.path()) != arrurl.end()) continue;
    arrurl.push_back(url.path());
    arrstate.push_back(1);
  }
}

// Step two is done only once the folders are stored: the extension reads them from there,
// and a set-up reported as done without them would leave the menu nowhere to appear. The chosen
// folders join those already stored (another program's, or an earlier set-up's), which keep
// their switches.
std::optional<std::vector<std::string>> firstRunvc::saveChosenFolders() {
  auto store = openSharedDefaults(services_.defaults);
  if (!store) {
    alertNotSaved({services_.log, services_.modals},
                  std::optional<std::string>("the shared settings could not be opened"),
                  "Your folders could not be saved.");
    return std::nullopt;
  }
  auto lists = readMonitoredFolders(store.get());
  for (const auto& path : arrurl) {
    if (std::find(lists.paths.begin(), lists.paths.end(), path) != lists.paths.end()) continue;
    lists.paths.push_back(path);
    lists.states.push_back(1);
  }
  if (writeMonitoredFolders(*store, lists)) return std::move(lists.paths);
  alertNotSaved({services_.log, services_.modals}, *store, "Your folders could not be saved.");
  return std::nullopt;
}

void firstRunvc::completeIfBothDone() {
  // Check results and panel answers may still arrive after the completion; it runs once.
  if (!firststepDone || !secondStepDone || completed_) return;
  completed_ = true;
  if (timer) timer->invalidate();
  auto defaults = openAppDefaults(services_.defaults);
  if (defaults) defaults->setBool(true, keys::firstRun);
  // Not remembered, the set-up shows again at the next start; the folders are kept anyway.
  if (!defaults || !defaults->synchronize()) {
    alertNotSaved({services_.log, services_.modals},
                  defaults ? defaults->lastError() : services_.defaults.openError(),
                  "Plovane Menu could not remember that its set-up is done.");
  }
  services_.runLoop.dispatchAfter(kAlertDelaySeconds, [this] { alertdone(); });
}

void firstRunvc::alertdone() {
  platform::NSAlert alert;
  alert.alertStyle = platform::NSAlertStyle::warning;
  alert.messageText = kDoneText;
  alert.addButtonWithTitle("OK");
  services_.modals.runModal(alert);
  services_.application.terminate(this);
}

}  // namespace plovane::app
