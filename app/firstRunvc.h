#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppContext.h"
#include "platform/NSControl.h"
#include "platform/NSPanels.h"
#include "platform/NSViewController.h"
#include "platform/RunLoop.h"

namespace plovane::app {

// What a first start shows in place of the settings tabs: two steps, the extension running
// (checked every 5 seconds) and folders granted; once both are done the first run is marked
// over, the user is told, and the app quits.
class firstRunvc final : public platform::NSViewController, public platform::ActionTarget {
 public:
  explicit firstRunvc(AppContext& context);

  platform::NSButton* btnuserfolder = nullptr;
  platform::NSButton* btnpreferences = nullptr;
  // Under step two: which file managers must be restarted to show the menu; hidden while none.
  platform::NSTextField* lblrestarthint = nullptr;
  std::vector<std::string> arrurl;
  std::vector<std::int64_t> arrstate;
  std::string userdefaultskey;
  std::string userdefaultsstate;
  std::shared_ptr<platform::NSTimer> timer;
  bool isextensionrunning = false;
  bool firststepDone = false;
  bool secondStepDone = false;

  void viewDidLoad() override;
  void viewWillAppear() override;
  void viewWillDisappear() override;
  bool performAction(const std::string& selector, platform::NSControl& sender) override;

  void checkIsextensionrunning();
  void btnsystemPrefrences(platform::NSControl& sender);
  void btnselectfolder(platform::NSControl& sender);
  void alertdone();

 private:
  void updateStepOne(bool running);
  void takeChosenFolders(const platform::NSOpenPanel& panel);
  // The stored folders once the chosen ones are among them; absent, and the user told, when
  // they could not be saved.
  std::optional<std::vector<std::string>> saveChosenFolders();
  void completeIfBothDone();

  AppContext& context_;
  bool completed_ = false;
};

}  // namespace plovane::app
