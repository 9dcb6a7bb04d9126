#include "app/ViewController.h"

#include "app/SaveFailureAlert.h"
#include "app/SettingsStores.h"
#include "app/tblcell.h"
#include "platform/SelectorTable.h"
#include "shared/CommandCatalogue.h"
#include "shared/CommandListSeeding.h"
#include "shared/SettingsKeys.h"

namespace plovane::app {

namespace {

constexpr char kCellIdentifier[] = "tblcell";

using Methods = platform::SelectorTable<ViewController, platform::NSControl&>;

const Methods& exportedMethods() {
  static const Methods methods = {
      {"checkboxActionWithSender:",
       [](ViewController& self, platform::NSControl& sender) {
         self.checkboxActionWithSender(sender);
       }},
  };
  return methods;
}

}  // namespace

ViewController::ViewController(Services services)
    : savekey(keys::save14),
      menuItemsarr(catalogueTitles()),
      sharedDefaults(openSharedDefaults(services.defaults)),
      services_(services) {}

void ViewController::viewDidLoad() {
  arrItemsdic = seedCommandList(
      sharedDefaults.get(),
      services_.mainBundle.objectForInfoDictionaryKey("CFBundleShortVersionString"));
  tblview->dataSource = this;
  tblview->delegate = this;
  tblview->reloadData();
}

std::int64_t ViewController::numberOfRowsInTableView(platform::NSTableView&) {
  return static_cast<std::int64_t>(arrItemsdic.size());
}

platform::NSView* ViewController::tableViewViewForTableColumnRow(platform::NSTableView& tableView,
                                                                 const platform::NSTableColumn&,
                                                                 std::int64_t row) {
  auto* cell = dynamic_cast<tblcell*>(tableView.makeViewWithIdentifier(kCellIdentifier, nullptr));
  if (cell == nullptr) return nullptr;
  const auto& entry = arrItemsdic[static_cast<std::size_t>(row)];
  cell->lbltitle->setStringValue(entry.title);
  cell->checkbox->setState(entry.state ? platform::NSControlStateValueOn
                                       : platform::NSControlStateValueOff);
  const auto icon = commandIconName(entry.title);
  cell->imgview->setImage(icon ? platform::NSImage::imageNamed(services_.mainBundle, *icon)
                               : std::nullopt);
  cell->checkbox->setTag(row);
  cell->checkbox->setTarget(this);
  cell->checkbox->setAction("checkboxActionWithSender:");
  return cell;
}

bool ViewController::performAction(const std::string& selector, platform::NSControl& sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void ViewController::checkboxActionWithSender(platform::NSControl& sender) {
  const auto row = static_cast<std::size_t>(sender.tag());
  if (row >= arrItemsdic.size()) return;
  arrItemsdic[row].state = !arrItemsdic[row].state;
  tblview->reloadData();
  if (!sharedDefaults) return;
  sharedDefaults->setObject(storedCommandList(arrItemsdic), keys::menuArrayDic);
  if (sharedDefaults->synchronize()) return;
  // The row goes back to what the store holds, and the user hears why.
  arrItemsdic[row].state = !arrItemsdic[row].state;
  tblview->reloadData();
  alertNotSaved({services_.log, services_.modals}, *sharedDefaults);
}

}  // namespace plovane::app
