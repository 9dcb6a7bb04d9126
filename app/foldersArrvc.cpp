#include "app/foldersArrvc.h"

#include <algorithm>

#include "app/GrantAccessPanel.h"
#include "app/SaveFailureAlert.h"
#include "app/mainStartWindow.h"
#include "app/tblcell.h"
#include "platform/Bookmarks.h"
#include "platform/SelectorTable.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

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

// Whether the stored path list is exactly `paths`, so that a flag list written alone lines up.
bool storedPathsAre(platform::NSUserDefaults& store, const std::vector<std::string>& paths) {
  const auto stored = readStringElements(&store, keys::foldersArray);
  if (!stored || stored->size() != paths.size()) return false;
  return std::equal(paths.begin(), paths.end(), stored->begin(),
                    [](const std::string& path, const auto& element) { return element == path; });
}

}  // namespace

foldersArrvc::foldersArrvc(AppContext& context)
    : userdefaultskey(keys::foldersArray),
      userdefaultsstate(keys::foldersArraystate),
      sharedDefaults(context.openSharedDefaults()),
      context_(context) {}

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
  cell->imgview->setImage(context_.platform.workspace.iconForFile(arrurl[index]));
  cell->checkbox->setState(arrstate[index] == 1 ? platform::NSControlStateValueOn
                                                : platform::NSControlStateValueOff);
  cell->checkbox->setTag(row);
  cell->checkbox->setTarget(this);
  cell->checkbox->setAction("checkboxActionWithSender:");
  return cell;
}

platform::NSWindow& foldersArrvc::mainWindow() {
  return *context_.mainWindowController()->window();
}

void foldersArrvc::btnAddItems(platform::NSControl&) {
  auto panel = makeGrantAccessPanel(false);
  context_.platform.modals.beginSheetModalForWindow(
      panel, mainWindow(), [this, panel](platform::NSModalResponse response) {
        if (response != platform::NSModalResponseOK || !panel->URL) return;
        context_.platform.log.standardOutput(listOf(panel->URLs));
        addChosenFolder(*panel->URL);
      });
}

void foldersArrvc::addChosenFolder(const platform::NSURL& url) {
  const std::string path = url.path();
  if (std::find(arrurl.begin(), arrurl.end(), path) != arrurl.end()) {
    alertFolderAlreadyAdded();
    return;
  }
  const MonitoredFolderLists previous{arrurl, arrstate};
  arrurl.push_back(path);
  arrstate.push_back(1);
  if (!storeLists(previous, "The folder could not be added.")) return;
  storeBookmark(url, context_.openSharedDefaults().get());
  setDirectorySet();
  tblview->reloadData();
}

bool foldersArrvc::storeLists(const MonitoredFolderLists& previous,
                              const std::string& failureText) {
  auto store = context_.openSharedDefaults();
  // Without a store the change lives in this window only, as the user sees it.
  if (!store || writeMonitoredFolders(*store, {arrurl, arrstate})) return true;
  // A folder the user believes added (or removed) while the store says otherwise would
  // mislead; both lists go back to what they were.
  const auto reason = store->lastError();
  writeMonitoredFolders(*store, previous);
  arrurl = previous.paths;
  arrstate = previous.states;
  tblview->reloadData();
  alertNotSaved(context_, reason, failureText);
  return false;
}

void foldersArrvc::storeBookmark(const platform::NSURL& url, platform::NSUserDefaults* handle) {
  auto made =
      platform::bookmarkDataWithOptions(url, platform::NSURLBookmarkCreationWithSecurityScope);
  if (auto* error = std::get_if<platform::NSError>(&made)) {
    context_.platform.log.standardOutput(error->localizedDescription);
    context_.platform.log.standardOutput("Error storing bookmarks");
    return;
  }
  auto& bookmarks = context_.allBookmarks;
  const platform::PlistValue data(std::get<platform::PlistData>(std::move(made)));
  if (std::find(bookmarks.begin(), bookmarks.end(), data) != bookmarks.end()) return;
  bookmarks.push_back(data);
  if (handle == nullptr) return;
  handle->setValueForKeyPath(bookmarks, keys::allBookmark);
  handle->synchronize();
}

void foldersArrvc::setDirectorySet() {
  context_.platform.finderSyncController.setDirectoryURLs(directoryURLsOf(arrurl));
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
  context_.platform.modals.beginSheetModalForWindow(alert, mainWindow(), nullptr);
}

void foldersArrvc::OKalert() {
  mainWindow().endSheet(alert->window());
  const auto row = tblview->selectedRow();
  if (row < 0 || static_cast<std::size_t>(row) >= arrurl.size()) return;
  const MonitoredFolderLists previous{arrurl, arrstate};
  arrurl.erase(arrurl.begin() + row);
  arrstate.erase(arrstate.begin() + row);
  if (!storeLists(previous, "The folder could not be removed.")) return;
  setDirectorySet();
  tblview->reloadData();
}

void foldersArrvc::Cancelalert() { mainWindow().endSheet(alert->window()); }

void foldersArrvc::alertFolderAlreadyAdded() {
  alertAlreadyAdded = std::make_shared<platform::NSAlert>();
  alertAlreadyAdded->alertStyle = platform::NSAlertStyle::informational;
  alertAlreadyAdded->messageText =
      "Some of the folders can not be added because they are already added to the Folders list.";
  alertAlreadyAdded->addButtonWithTitle("OK");
  context_.platform.modals.beginSheetModalForWindow(alertAlreadyAdded, mainWindow(), nullptr);
}

void foldersArrvc::checkboxActionWithSender(platform::NSControl& sender) {
  const auto row = static_cast<std::size_t>(sender.tag());
  if (row >= arrstate.size()) return;
  const auto before = arrstate[row];
  arrstate[row] = before == 1 ? 0 : 1;
  tblview->reloadData();
  auto store = context_.openSharedDefaults();
  if (!store) return;
  // The flags alone are written when they line up with the stored paths; a path list that
  // does not (another type inside, or changed meanwhile) is written with them.
  const bool saved =
      storedPathsAre(*store, arrurl)
          ? (store->setValueForKeyPath(platform::PlistArray(arrstate.begin(), arrstate.end()),
                                       keys::foldersArraystate),
             store->synchronize())
          : writeMonitoredFolders(*store, {arrurl, arrstate});
  if (saved) return;
  arrstate[row] = before;
  tblview->reloadData();
  alertNotSaved(context_, *store);
}

}  // namespace plovane::app
