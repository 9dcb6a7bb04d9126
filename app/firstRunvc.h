#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/FIFinderSyncController.h"
#include "platform/Modals.h"
#include "platform/NSApplication.h"
#include "platform/NSControl.h"
#include "platform/NSPanels.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSViewController.h"
#include "platform/NSWindow.h"
#include "platform/NSWorkspace.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

namespace plovane::app {

// What a first start shows in place of the settings tabs: two steps, the extension running
// (checked every 5 seconds) and folders granted; once both are done the first run is marked
// over, the user is told, and the app quits.
class firstRunvc final : public platform::NSViewController, public platform::ActionTarget {
 public:
  // What it works with: the stores, the polling and what it asks, the panels and alerts, where
  // the chosen folders go, the application it quits, and the window its sheet attaches to,
  // asked for when it is shown (the window is made after its content).
  struct Services {
    platform::UserDefaultsRoot& defaults;
    platform::RunLoop& runLoop;
    platform::NSWorkspace& workspace;
    platform::Modals& modals;
    platform::SystemLog& log;
    platform::FIFinderSyncController& finderSyncController;
    platform::NSApplication& application;
    std::function<platform::NSWindow&()> mainWindow;
  };

  explicit firstRunvc(Services services);

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

  Services services_;
  bool completed_ = false;
};

}  // namespace plovane::app
