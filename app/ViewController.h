#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Modals.h"
#include "platform/NSBundle.h"
#include "platform/NSControl.h"
#include "platform/NSTableView.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSViewController.h"
#include "platform/SystemLog.h"
#include "shared/CommandListEntry.h"

namespace plovane::app {

// The Menu items tab: one row per command of the stored list, with its icon, title and a check
// box that shows or hides the command in the context menu.
class ViewController final : public platform::NSViewController,
                             public platform::NSTableViewDataSource,
                             public platform::NSTableViewDelegate,
                             public platform::ActionTarget {
 public:
  // What it works with: the stored list, the commands' icons, and where a failed save is told.
  struct Services {
    platform::UserDefaultsRoot& defaults;
    const platform::NSBundle& mainBundle;
    platform::SystemLog& log;
    platform::Modals& modals;
  };

  explicit ViewController(Services services);

  platform::NSTableView* tblview = nullptr;
  std::string savekey;
  std::vector<std::string> menuItemsarr;
  CommandList arrItemsdic;
  std::vector<std::int64_t> arrstructur;
  std::shared_ptr<platform::NSUserDefaults> sharedDefaults;

  void viewDidLoad() override;
  std::int64_t numberOfRowsInTableView(platform::NSTableView& tableView) override;
  platform::NSView* tableViewViewForTableColumnRow(platform::NSTableView& tableView,
                                                   const platform::NSTableColumn& column,
                                                   std::int64_t row) override;
  bool performAction(const std::string& selector, platform::NSControl& sender) override;

  void checkboxActionWithSender(platform::NSControl& sender);

 private:
  Services services_;
};

}  // namespace plovane::app
