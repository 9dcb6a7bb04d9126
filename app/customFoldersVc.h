#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Modals.h"
#include "platform/NSControl.h"
#include "platform/NSDistributedNotificationCenter.h"
#include "platform/NSTableView.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSViewController.h"
#include "platform/NSWorkspace.h"
#include "platform/SystemLog.h"

namespace plovane::app {

// The Custom folders tab: the folders and applications the menu offers as shortcuts, re-read
// whenever the tab appears and whenever the extension added one; each row deletes its entry.
class customFoldersVc final : public platform::NSViewController,
                              public platform::NSTableViewDataSource,
                              public platform::NSTableViewDelegate,
                              public platform::ActionTarget {
 public:
  // What it works with: the stored list, the extension's word that it changed, the rows'
  // icons, and where a failed delete is told.
  struct Services {
    platform::UserDefaultsRoot& defaults;
    platform::NSDistributedNotificationCenter& notificationCenter;
    platform::NSWorkspace& workspace;
    platform::SystemLog& log;
    platform::Modals& modals;
  };

  explicit customFoldersVc(Services services);

  platform::NSTableView* tblview = nullptr;
  std::shared_ptr<platform::NSUserDefaults> sharedDefaults;
  std::vector<std::string> arrCustomFolders;

  void viewDidLoad() override;
  void viewWillAppear() override;
  std::int64_t numberOfRowsInTableView(platform::NSTableView& tableView) override;
  platform::NSView* tableViewViewForTableColumnRow(platform::NSTableView& tableView,
                                                   const platform::NSTableColumn& column,
                                                   std::int64_t row) override;
  bool performAction(const std::string& selector, platform::NSControl& sender) override;

  void reloadCustomFolders();
  void brnDeleteClickedWithSender(platform::NSControl& sender);

 private:
  Services services_;
};

}  // namespace plovane::app
