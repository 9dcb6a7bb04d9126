#pragma once

#include <memory>
#include <string>

#include "platform/Modals.h"
#include "platform/NSControl.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSViewController.h"
#include "platform/NSWorkspace.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

namespace plovane::app {

// The General tab: whether the extension is enabled and which file managers must be restarted to
// show the menu, polled every 5 seconds while the tab is on screen, a button to the extensions
// settings, and the menu's two presentation options.
class genraltabvc final : public platform::NSViewController, public platform::ActionTarget {
 public:
  // What it works with: the options' store, the polling and what it asks, and where a failed
  // save is told.
  struct Services {
    platform::UserDefaultsRoot& defaults;
    platform::RunLoop& runLoop;
    platform::NSWorkspace& workspace;
    platform::SystemLog& log;
    platform::Modals& modals;
  };

  explicit genraltabvc(Services services);

  platform::NSTextField* lblextensionstate = nullptr;
  // Which file managers must be restarted to show the menu; hidden while none.
  platform::NSTextField* lblrestarthint = nullptr;
  platform::NSButton* checkboxShowicon = nullptr;
  platform::NSButton* checkbox_showinSubMenu = nullptr;
  std::shared_ptr<platform::NSUserDefaults> sharedDefaults;
  std::shared_ptr<platform::NSTimer> timer;
  bool isextensionrunning = false;

  void viewDidLoad() override;
  void viewWillAppear() override;
  void viewWillDisappear() override;
  bool performAction(const std::string& selector, platform::NSControl& sender) override;

  void checkIsextensionrunning();
  void btnopenSystemPrefrences(platform::NSControl& sender);
  void showiconinmenu(platform::NSControl& sender);
  void showinSubmenu(platform::NSControl& sender);

 private:
  void showExtensionState(bool running);
  void loadOption(platform::NSButton& checkbox, const char* key, bool fallback);
  void storeOption(platform::NSButton& checkbox, const char* key);

  Services services_;
};

}  // namespace plovane::app
