#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FIFinderSyncController.h"
#include "platform/Modals.h"
#include "platform/NSAlert.h"
#include "platform/NSControl.h"
#include "platform/NSTableView.h"
#include "platform/NSURL.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSViewController.h"
#include "platform/NSWindow.h"
#include "platform/NSWorkspace.h"
#include "platform/PlistValue.h"
#include "platform/Responder.h"
#include "platform/SystemLog.h"
#include "shared/MonitoredFolders.h"

namespace plovane::app {

// The Monitored folders tab: the folders inside which the file manager shows the menu. Folders
// are added through the "Grant Access" panel, removed after a confirmation, and switched on or
// off by their check box; adds and removes hand the folders to the sync controller at once.
class foldersArrvc final : public platform::NSViewController,
                           public platform::NSTableViewDataSource,
                           public platform::NSTableViewDelegate,
                           public platform::ActionTarget,
                           public platform::Responder {
 public:
  // What it works with: the stored lists, the rows' icons, the panels and alerts, where the
  // folders go once changed, and the window its sheets attach to, asked for when one is shown
  // (the window is made after the tab).
  struct Services {
    platform::UserDefaultsRoot& defaults;
    platform::NSWorkspace& workspace;
    platform::Modals& modals;
    platform::SystemLog& log;
    platform::FIFinderSyncController& finderSyncController;
    // The bookmarks of the monitored folders added in this run, stored as "allBookmark".
    platform::PlistArray& allBookmarks;
    std::function<platform::NSWindow&()> mainWindow;
  };

  explicit foldersArrvc(Services services);

  std::vector<std::string> arrurl;
  std::vector<std::int64_t> arrstate;
  platform::NSTableView* tblview = nullptr;
  std::string userdefaultskey;
  std::string userdefaultsstate;
  std::shared_ptr<platform::NSUserDefaults> sharedDefaults;
  std::shared_ptr<platform::NSAlert> alert;
  std::shared_ptr<platform::NSAlert> alertAlreadyAdded;

  void viewDidLoad() override;
  std::int64_t numberOfRowsInTableView(platform::NSTableView& tableView) override;
  platform::NSView* tableViewViewForTableColumnRow(platform::NSTableView& tableView,
                                                   const platform::NSTableColumn& column,
                                                   std::int64_t row) override;
  bool performAction(const std::string& selector, platform::NSControl& sender) override;
  bool performSelector(const std::string& selector, const platform::NSMenuItem* sender) override;

  void btnAddItems(platform::NSControl& sender);
  void btnremoveitem(platform::NSControl& sender);
  void alertforDelete();
  void OKalert();
  void Cancelalert();
  void alertFolderAlreadyAdded();
  void checkboxActionWithSender(platform::NSControl& sender);

 private:
  void addChosenFolder(const platform::NSURL& url);
  // Applies `change` (false: nothing to change) to the lists as stored now and writes them; the
  // tab then shows the stored lists. On failure the user is told, with `failureText`.
  bool changeStoredLists(const std::function<bool(MonitoredFolderLists&)>& change,
                         const std::string& failureText);
  void storeBookmark(const platform::NSURL& url, platform::NSUserDefaults* handle);
  void setDirectorySet();
  platform::NSWindow& mainWindow();

  Services services_;
};

}  // namespace plovane::app
