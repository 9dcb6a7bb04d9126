#include "app/foldersArrvc.h"

#include <algorithm>
#include <optional>
#include <utility>

#include "app/GrantAccessPanel.h"
#include "app/SaveFailureAlert.h"
#include "app/SettingsStores.h"
#include "app/tblcell.h"
#include "platform/Bookmarks.h"
#include "platform/SelectorTable.h"
#include "shared/SettingsKeys.h"

namespace plovane::app {

namespace {

constexpr char kCellIdentifier[] = "tblcell";

using Actions = platform::SelectorTable<foldersArrvc, platform::NSControl&>;
using Methods = platform::SelectorTable<foldersArrvc>;

const Actions& exportedActions() {
  static const Actions actions = {
      {"btnAddItems:",
       [](foldersArrvc& self, platform::NSControl& sender) { self.btnAddItems(sender); }},
      {"btnremoveitem:",
       [](foldersArrvc& self, platform::NSControl& sender) { self.btnremoveitem(sender); }},
      {"checkboxActionWithSender:",
       [](foldersArrvc& self, platform::NSControl& sender) {
         self.checkboxActionWithSender(sender);
       }},
  };
  return actions;
}

const Methods& exportedMethods() {
  static const Methods methods = {
      {"OKalert", [](foldersArrvc& self, const platform::NSMenuItem*) { self.OKalert(); }},
      {"Cancelalert", [](foldersArrvc& self, const platform::NSMenuItem*) { self.Cancelalert(); }},
  };
  return methods;
}

std::string listOf(const std::vector<platform::NSURL>& urls) {
  std::string text = "(";
  for (const auto& url : urls) text += "\n    " + url.absoluteString() + ",";
  return text + "\n)";
}

// Where `path` is in `paths`: at `row` when it is there, else its first place.
std::optional<std::size_t> placeOf(const std::vector<std::string>& paths, const std::string& path,
                                   std::size_t row) {
  if (row < paths.size() && paths[row] == path) return row;
  const auto at = std::find(paths.begin(), paths.end(), path);
  if (at == paths.end()) return std::nullopt;
  return static_cast<std::size_t>(at - paths.begin());
}

}  // namespace

foldersArrvc::foldersArrvc(Services services)
    : userdefaultskey(keys::foldersArray),
      userdefaultsstate(keys::foldersArraystate),
      sharedDefaults(openSharedDefaults(services.defaults)),
      services_(std::move(services)) {}

bool foldersArrvc::performAction(const std::string& selector, platform::NSControl& sender) {
  return exportedActions().perform(*this, selector, sender);
}

bool foldersArrvc::performSelector(const std::string& selector,
                                   const platform::NSMenuItem* sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void foldersArrvc::viewDidLoad() {
  auto stored = readMonitoredFolders(sharedDefaults.get());
  arrurl = std::move(stored.paths);
  arrstate = std::move(stored.states);
  tblview->dataSource = this;
  tblview->delegate = this;
  tblview->reloadData();
}

std::int64_t foldersArrvc::numberOfRowsInTableView(platform::NSTableView&) {
  return static_cast<std::int64_t>(arrurl.size());
}

platform::NSView* foldersArrvc::tableViewViewForTableColumnRow(platform::NSTableView& tableView,
                                                               const platform::NSTableColumn&,
                                                               std::int64_t row) {
  auto* cell = dynamic_cast<tblcell*>(tableView.makeViewWithIdentifier(kCellIdentifier, nullptr));
  if (cell == nullptr) return nullptr;
  const auto index = static_cast<std::size_t>(row);
  cell->lbltitle->setStringValue(arrurl[index]);
  cell->imgview->setImage(services_.workspace.iconForFile(arrurl[index]));
  cell->checkbox->setState(arrstate[index] == 1 ? platform::NSControlStateValueOn
                                                : platform::NSControlStateValueOff);
  cell->checkbox->setTag(row);
  cell->checkbox->setTarget(this);
  cell->checkbox->setAction("checkboxActionWithSender:");
  return cell;
}

platform::NSWindow& foldersArrvc::mainWindow() { return services_.mainWindow(); }

void foldersArrvc::btnAddItems(platform::NSControl&) {
  auto panel = makeGrantAccessPanel(false);
  services_.modals.beginSheetModalForWindow(
      panel, mainWindow(), [this, panel](platform::NSModalResponse response) {
        if (response != platform::NSModalResponseOK || !panel->URL) return;
        services_.log.standardOutput(listOf(panel->URLs));
        addChosenFolder(*panel->URL);
      });
}

void foldersArrvc::addChosenFolder(const platform::NSURL& url) {
  const std::string path = url.path();
  bool listed = false;
  const bool saved = changeStoredLists(
      [&](MonitoredFolderLists& lists) {
        listed = std::find(lists.paths.begin(), lists.paths.end(), path) != lists.paths.end();
        if (listed) return false;
        lists.paths.push_back(path);
        lists.states.push_back(1);
        return true;
      },
      "The folder could not be added.");
  if (listed) alertFolderAlreadyAdded();
  if (listed || !saved) return;
  storeBookmark(url, openSharedDefaults(services_.defaults).get());
  setDirectorySet();
}

bool foldersArrvc::changeStoredLists(const std::function<bool(MonitoredFolderLists&)>& change,
                                     const std::string& failureText) {
  auto store = openSharedDefaults(services_.defaults);
  // Another program (a second app, a script, the extension's "Add Folders" of the custom
  // folders) may have changed the lists since they were shown: the change applies to what is
  // stored now. Without a store it lives in this window only, as the user sees it.
  MonitoredFolderLists lists =
      store ? readMonitoredFolders(store.get()) : MonitoredFolderLists{arrurl, arrstate};
  const MonitoredFolderLists stored = lists;
  bool saved = true;
  std::optional<std::string> reason;
  if (change(lists) && store && !writeMonitoredFolders(*store, lists)) {
    // A folder the user believes added (or removed) while the store says otherwise would
    // mislead: the tab shows what is stored.
    saved = false;
    reason = store->lastError();
    lists = stored;
  }
  arrurl = std::move(lists.paths);
  arrstate = std::move(lists.states);
  tblview->reloadData();
  if (!saved) alertNotSaved({services_.log, services_.modals}, reason, failureText);
  return saved;
}

void foldersArrvc::storeBookmark(const platform::NSURL& url, platform::NSUserDefaults* handle) {
  auto made =
      platform::bookmarkDataWithOptions(url, platform::NSURLBookmarkCreationWithSecurityScope);
  if (auto* error = std::get_if<platform::NSError>(&made)) {
    services_.log.standardOutput(error->localizedDescription);
    services_.log.standardOutput("Error storing bookmarks");
    return;
  }
  auto& bookmarks = services_.allBookmarks;
  const platform::PlistValue data(std::get<platform::PlistData>(std::move(made)));
  if (std::find(bookmarks.begin(), bookmarks.end(), data) != bookmarks.end()) return;
  bookmarks.push_back(data);
  if (handle == nullptr) return;
  handle->setValueForKeyPath(bookmarks, keys::allBookmark);
  handle->synchronize();
}

void foldersArrvc::setDirectorySet() {
  services_.finderSyncController.setDirectoryURLs(directoryURLsOf(arrurl));
}

void foldersArrvc::btnremoveitem(platform::NSControl&) {
  if (arrstate.empty() || tblview->selectedRow() < 0) return;
  alertforDelete();
}

void foldersArrvc::alertforDelete() {
  alert = std::make_shared<platform::NSAlert>();
  alert->alertStyle = platform::NSAlertStyle::warning;
  alert->messageText = "Remove selected folder?";
  alert->informativeText = "Are you sure you want to remove the selected folder.";
  auto& ok = alert->addButtonWithTitle("OK");
  ok.target = this;
  ok.action = "OKalert";
  auto& cancel = alert->addButtonWithTitle("Cancel");
  cancel.target = this;
  cancel.action = "Cancelalert";
  services_.modals.beginSheetModalForWindow(alert, mainWindow(), nullptr);
}

void foldersArrvc::OKalert() {
  mainWindow().endSheet(alert->window());
  const auto row = tblview->selectedRow();
  if (row < 0 || static_cast<std::size_t>(row) >= arrurl.size()) return;
  const std::string path = arrurl[static_cast<std::size_t>(row)];
  const bool saved = changeStoredLists(
      [&](MonitoredFolderLists& lists) {
        const auto at = placeOf(lists.paths, path, static_cast<std::size_t>(row));
        if (!at) return false;
        lists.paths.erase(lists.paths.begin() + static_cast<std::ptrdiff_t>(*at));
        lists.states.erase(lists.states.begin() + static_cast<std::ptrdiff_t>(*at));
        return true;
      },
      "The folder could not be removed.");
  if (saved) setDirectorySet();
}

void foldersArrvc::Cancelalert() { mainWindow().endSheet(alert->window()); }

void foldersArrvc::alertFolderAlreadyAdded() {
  alertAlreadyAdded = std::make_shared<platform::NSAlert>();
  alertAlreadyAdded->alertStyle = platform::NSAlertStyle::informational;
  alertAlreadyAdded->messageText =
      "Some of the folders can not be added because they are already added to the Folders list.";
  alertAlreadyAdded->addButtonWithTitle("OK");
  services_.modals.beginSheetModalForWindow(alertAlreadyAdded, mainWindow(), nullptr);
}

void foldersArrvc::checkboxActionWithSender(platform::NSControl& sender) {
  const auto row = static_cast<std::size_t>(sender.tag());
  if (row >= arrstate.size()) return;
  const std::string path = arrurl[row];
  const std::int64_t wanted = arrstate[row] == 1 ? 0 : 1;
  changeStoredLists(
      [&](MonitoredFolderLists& lists) {
        const auto at = placeOf(lists.paths, path, row);
        if (!at) return false;
        lists.states[*at] = wanted;
        return true;
      },
      kNotSavedText);
}

}  // namespace plovane::app
