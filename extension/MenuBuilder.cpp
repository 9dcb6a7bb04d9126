#include "extension/MenuBuilder.h"

#include "shared/CommandCatalogue.h"

namespace plovane {

using platform::NSImage;
using platform::NSMenu;
using platform::NSMenuItem;

namespace {

constexpr char kUtilityKitTitle[] = "Utility Kit";
constexpr char kWrapperTitle[] = "Plovane Menu";

std::optional<NSImage> commandImage(const MenuInputs& inputs, const std::string& shownTitle) {
  const auto name = commandIconName(shownTitle);
  if (!name) return std::nullopt;
  const auto image = inputs.commandImages.find(*name);
  if (image == inputs.commandImages.end()) return std::nullopt;
  return image->second;
}

void addCommands(NSMenu& menu, const MenuInputs& inputs) {
  for (std::size_t position = 0; position < inputs.commandList.size(); ++position) {
    const auto& entry = inputs.commandList[position];
    if (!entry.state) continue;
    // The catalogue's rules go by position; a stored list longer than the catalogue has none
    // past its end.
    const auto* command = catalogueCommand(static_cast<std::int64_t>(position));
    if (command != nullptr && command->imagesOnly && !inputs.firstItemIsImage) continue;
    std::string shown = entry.title;
    if (command != nullptr && command->titlesByHiddenFlag != nullptr) {
      shown = inputs.firstItemIsHidden ? command->titlesByHiddenFlag->hidden
                                       : command->titlesByHiddenFlag->visible;
    }
    auto image = commandImage(inputs, shown);
    NSMenuItem item(std::move(shown), "commenAction:", "");
    item.tag = static_cast<std::int64_t>(position);
    item.image = std::move(image);
    menu.addItem(std::move(item));
  }
}

// None past the end of the list: with icons off it is empty.
std::optional<NSImage> takeIcon(std::vector<NSImage>& icons, std::size_t index) {
  if (index >= icons.size()) return std::nullopt;
  return std::move(icons[index]);
}

std::shared_ptr<NSMenu> contentsMenu(const customFolder& folder, MenuInputs& inputs,
                                     std::size_t& nextEntryIcon) {
  auto contents = std::make_shared<NSMenu>("");
  // Made room for at once: grown entry by entry, a large folder's items were moved at every
  // doubling, and the blocks left behind went back to the system only to be faulted in again.
  contents->items.reserve(folder.arrSubItems.size());
  for (const auto& entry : folder.arrSubItems) {
    NSMenuItem item(entry.url.lastPathComponent(), "subFolderClicked:", "");
    item.tag = entry.tag;
    item.image = takeIcon(inputs.entryIcons, nextEntryIcon++);
    contents->addItem(std::move(item));
  }
  return contents;
}

void addCustomFolders(NSMenu& menu, MenuInputs& inputs) {
  std::size_t nextEntryIcon = 0;
  for (std::size_t index = 0; index < inputs.customFolders.size(); ++index) {
    const auto& folder = inputs.customFolders[index];
    NSMenuItem item(folder.url.lastPathComponent(), "customFolderClicked:", "");
    item.tag = static_cast<std::int64_t>(index);
    item.image = takeIcon(inputs.folderIcons, index);
    // A folder with contents opens them; only one without sends its own action.
    if (!folder.arrSubItems.empty()) item.submenu = contentsMenu(folder, inputs, nextEntryIcon);
    menu.addItem(std::move(item));
  }
}

}  // namespace

std::shared_ptr<NSMenu> buildMenu(MenuInputs inputs) {
  auto menu = std::make_shared<NSMenu>("");
  if (inputs.selectionIsEmpty) return menu;
  menu->items.reserve(inputs.commandList.size() + inputs.customFolders.size() + 1);
  addCommands(*menu, inputs);
  addCustomFolders(*menu, inputs);
  NSMenuItem utilityKit(kUtilityKitTitle, "utilityKitClicked", "");
  utilityKit.image = std::move(inputs.utilityKitImage);
  menu->addItem(std::move(utilityKit));
  if (!inputs.showInSubMenu) return menu;

  auto wrapped = std::make_shared<NSMenu>("");
  NSMenuItem wrapper(kWrapperTitle, "", "");
  wrapper.image = std::move(inputs.applicationIcon);
  wrapper.submenu = std::move(menu);
  wrapped->addItem(std::move(wrapper));
  return wrapped;
}

}  // namespace plovane
