#include "app/customFoldersVc.h"

#include <algorithm>

#include "app/SaveFailureAlert.h"
#include "app/SettingsStores.h"
#include "app/tblcell.h"
#include "platform/SelectorTable.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane::app {

namespace {

constexpr char kCellIdentifier[] = "tblcell";

using Methods = platform::SelectorTable<customFoldersVc, platform::NSControl&>;

const Methods& exportedMethods() {
  static const Methods methods = {
      {"brnDeleteClickedWithSender:",
       [](customFoldersVc& self, platform::NSControl& sender) {
         self.brnDeleteClickedWithSender(sender);
       }},
  };
  return methods;
}

// The stored paths when the value is an array of strings only.
std::optional<std::vector<std::string>> storedPaths(platform::NSUserDefaults* store) {
  const auto elements = readStringElements(store, keys::arrCustomFoldersUrls);
  if (!elements) return std::nullopt;
  std::vector<std::string> paths;
  for (const auto& element : *elements) {
    if (!element) return std::nullopt;
    paths.push_back(*element);
  }
  return paths;
}

// `paths` without one occurrence of `path`: the one at `row` when it is there, else the first.
std::vector<std::string> without(std::vector<std::string> paths, const std::string& path,
                                 std::size_t row) {
  auto at = row < paths.size() && paths[row] == path
                ? paths.begin() + static_cast<std::ptrdiff_t>(row)
                : std::find(paths.begin(), paths.end(), path);
  if (at != paths.end()) paths.erase(at);
  return paths;
}

}  // namespace

customFoldersVc::customFoldersVc(Services services)
    : sharedDefaults(openSharedDefaults(services.defaults)), services_(services) {}

bool customFoldersVc::performAction(const std::string& selector, platform::NSControl& sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void customFoldersVc::viewDidLoad() {
  tblview->dataSource = this;
  tblview->delegate = this;
  services_.notificationCenter.addObserver(notifications::ReloadCustomFolders,
                                           kExtensionBundleIdentifier,
                                           [this] { reloadCustomFolders(); });
}

void customFoldersVc::viewWillAppear() { reloadCustomFolders(); }

void customFoldersVc::reloadCustomFolders() {
  if (auto paths = storedPaths(sharedDefaults.get())) arrCustomFolders = std::move(*paths);
  tblview->reloadData();
}

std::int64_t customFoldersVc::numberOfRowsInTableView(platform::NSTableView&) {
  return static_cast<std::int64_t>(arrCustomFolders.size());
}

platform::NSView* customFoldersVc::tableViewViewForTableColumnRow(platform::NSTableView& tableView,
                                                                  const platform::NSTableColumn&,
                                                                  std::int64_t row) {
  auto* cell = dynamic_cast<tblcell*>(tableView.makeViewWithIdentifier(kCellIdentifier, nullptr));
  if (cell == nullptr) return nullptr;
  const auto& path = arrCustomFolders[static_cast<std::size_t>(row)];
  const auto name = platform::NSURL::fileURLWithPath(path).lastPathComponent();
  cell->lbltitle->setStringValue(name);
  cell->imgview->setImage(services_.workspace.iconForFile(path));
  cell->btnDelete->setAccessibilityLabel("Delete " + name);
  cell->btnDelete->setTag(row);
  cell->btnDelete->setTarget(this);
  cell->btnDelete->setAction("brnDeleteClickedWithSender:");
  return cell;
}

void customFoldersVc::brnDeleteClickedWithSender(platform::NSControl& sender) {
  const auto row = static_cast<std::size_t>(sender.tag());
  if (row >= arrCustomFolders.size()) return;
  const std::string deleted = arrCustomFolders[row];
  if (!sharedDefaults) {
    arrCustomFolders.erase(arrCustomFolders.begin() + static_cast<std::ptrdiff_t>(row));
    tblview->reloadData();
    return;
  }
  // The extension may have added folders since the list was read; they must stay. A fresh
  // handle, so that a write that failed is not retried later behind the user's back.
  auto store = openSharedDefaults(services_.defaults);
  if (!store) return;
  auto remaining = without(storedPaths(store.get()).value_or(arrCustomFolders), deleted, row);
  store->setValueForKeyPath(platform::PlistArray(remaining.begin(), remaining.end()),
                            keys::arrCustomFoldersUrls);
  if (!store->synchronize()) {
    alertNotSaved({services_.log, services_.modals}, *store, "The folder could not be deleted.");
    return;
  }
  arrCustomFolders = std::move(remaining);
  tblview->reloadData();
}

}  // namespace plovane::app
