#pragma once

#include <memory>
#include <string>

#include "app/AppContext.h"
#include "platform/NSControl.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSViewController.h"
#include "platform/RunLoop.h"

namespace plovane::app {

// The General tab: whether the extension is enabled and which file managers must be restarted to
// show the menu, polled every 5 seconds while the tab is on screen, a button to the extensions
// settings, and the menu's two presentation options.
class genraltabvc final : public platform::NSViewController, public platform::ActionTarget {
 public:
  explicit genraltabvc(AppContext& context);

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

  AppContext& context_;
};

}  // namespace plovane::app
