#include "app/genraltabvc.h"

#include "app/ExtensionRunningCheck.h"
#include "app/RestartHint.h"
#include "app/SaveFailureAlert.h"
#include "app/SettingsStores.h"
#include "platform/SelectorTable.h"
#include "shared/SettingsKeys.h"

namespace plovane::app {

namespace {

constexpr char kExtensionsPane[] = "/System/Library/PreferencePanes/Extensions.prefPane";
constexpr char kEnabledText[] = "Plovane Menu Extension is enabled";
constexpr char kDisabledText[] =
    "Enable \"Plovane Menu Extension\" in System Preferences > Extensions to make Plovane Menu "
    "work.";

using Methods = platform::SelectorTable<genraltabvc, platform::NSControl&>;

const Methods& exportedMethods() {
  static const Methods methods = {
      {"btnopenSystemPrefrences:",
       [](genraltabvc& self, platform::NSControl& sender) {
         self.btnopenSystemPrefrences(sender);
       }},
      {"showiconinmenu:",
       [](genraltabvc& self, platform::NSControl& sender) { self.showiconinmenu(sender); }},
      {"showinSubmenu:",
       [](genraltabvc& self, platform::NSControl& sender) { self.showinSubmenu(sender); }},
  };
  return methods;
}

platform::NSControlStateValue stateFor(bool on) {
  return on ? platform::NSControlStateValueOn : platform::NSControlStateValueOff;
}

}  // namespace

genraltabvc::genraltabvc(Services services)
    : sharedDefaults(openSharedDefaults(services.defaults)), services_(services) {}

bool genraltabvc::performAction(const std::string& selector, platform::NSControl& sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void genraltabvc::viewDidLoad() {
  checkIsextensionrunning();
  loadOption(*checkboxShowicon, keys::showmenuicon, true);
  loadOption(*checkbox_showinSubMenu, keys::showinSubMenu, false);
}

void genraltabvc::viewWillAppear() {
  startPolling(timer, services_.runLoop, [this] { checkIsextensionrunning(); });
}

void genraltabvc::viewWillDisappear() { stopPolling(timer); }

void genraltabvc::checkIsextensionrunning() {
  checkExtensionRunning(services_.runLoop, services_.workspace, [this](bool running) {
    isextensionrunning = running;
    showExtensionState(running);
  });
  showRestartHint(services_.runLoop, services_.workspace, *lblrestarthint);
}

void genraltabvc::showExtensionState(bool running) {
  lblextensionstate->setStringValue(running ? kEnabledText : kDisabledText);
}

void genraltabvc::btnopenSystemPrefrences(platform::NSControl&) {
  services_.workspace.openURL(platform::NSURL::fileURLWithPath(kExtensionsPane));
}

void genraltabvc::showiconinmenu(platform::NSControl&) {
  storeOption(*checkboxShowicon, keys::showmenuicon);
}

void genraltabvc::showinSubmenu(platform::NSControl&) {
  storeOption(*checkbox_showinSubMenu, keys::showinSubMenu);
}

void genraltabvc::loadOption(platform::NSButton& checkbox, const char* key, bool fallback) {
  const auto stored = sharedDefaults ? sharedDefaults->objectForKey(key) : std::nullopt;
  if (stored && stored->is<bool>()) {
    checkbox.setState(stateFor(*stored->as<bool>()));
    return;
  }
  // Absent, or of another type: the default is written and shown.
  if (sharedDefaults) sharedDefaults->setBool(fallback, key);
  checkbox.setState(stateFor(fallback));
}

void genraltabvc::storeOption(platform::NSButton& checkbox, const char* key) {
  if (!sharedDefaults) return;
  const bool on = checkbox.state() == platform::NSControlStateValueOn;
  sharedDefaults->setBool(on, key);
  // A check box that shows a setting the store does not hold would mislead.
  if (!savedOrAlerted({services_.log, services_.modals}, *sharedDefaults))
    checkbox.setState(stateFor(!on));
}

}  // namespace plovane::app
