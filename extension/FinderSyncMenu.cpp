#include <algorithm>
#include <cctype>

#include "extension/FinderSync.h"
#include "extension/ImageExtensions.h"
#include "platform/NSFileManager.h"
#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane {

using platform::NSImage;
using platform::NSMenu;
using platform::NSMenuItem;
using platform::NSURL;
using platform::PlistDictionary;

namespace {

constexpr char kUtilityKitTitle[] = "Utility Kit";
constexpr char kWrapperTitle[] = "Plovane Menu";
constexpr double kEntryIconPoints = 24;

std::string lowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// Without any selection there is no item to judge, so the image-only commands are left out and
// the hide/unhide entry offers hiding.
bool firstItemIsImage(const std::optional<std::vector<NSURL>>& selection) {
  if (!selection || selection->empty()) return false;
  return isImageExtension(lowercased(selection->front().pathExtension()));
}

bool firstItemIsHidden(const std::optional<std::vector<NSURL>>& selection) {
  if (!selection || selection->empty()) return false;
  return platform::resourceValueIsHidden(selection->front()).value_or(false);
}

}  // namespace

std::shared_ptr<NSMenu> FinderSync::menuForMenuKind(platform::FIMenuKind) {
  pruneCustomFolders();
  const auto selection = platform_.finderSyncController.selectedItemURLs();
  const bool showIcons = readBool(sharedDefaults.get(), keys::showmenuicon, false);
  const bool showInSubMenu = readBool(sharedDefaults.get(), keys::showinSubMenu, false);

  auto menu = std::make_shared<NSMenu>("");
  if (selection && selection->empty()) return menu;
  addCatalogueEntries(*menu, showIcons, selection);
  addCustomFolderEntries(*menu, showIcons);

  NSMenuItem utilityKit(kUtilityKitTitle, "utilityKitClicked", "");
  if (showIcons) utilityKit.image = NSImage::imageNamed(platform_.mainBundle, "utility-kit");
  menu->addItem(std::move(utilityKit));

  if (!showInSubMenu || menu->numberOfItems() == 0) return menu;
  auto wrapped = std::make_shared<NSMenu>("");
  NSMenuItem wrapper(kWrapperTitle, "", "");
  wrapper.image = NSImage::applicationIcon(platform_.mainBundle);
  wrapper.submenu = menu;
  wrapped->addItem(std::move(wrapper));
  return wrapped;
}

void FinderSync::addCatalogueEntries(NSMenu& menu, bool showIcons,
                                     const std::optional<std::vector<NSURL>>& selection) {
  for (std::size_t position = 0; position < arrItemsdic.size(); ++position) {
    const auto* entry = arrItemsdic[position].as<PlistDictionary>();
    if (entry == nullptr) continue;
    const auto state = entry->find("state");
    if (state == entry->end() || state->second != platform::PlistValue(true)) continue;
    const auto title = entry->find("title");
    std::string shown = title != entry->end() && title->second.is<std::string>()
                            ? *title->second.as<std::string>()
                            : std::string();
    if ((position == kSetAsWallpaper || position == kFindDuplicatePhotos) &&
        !firstItemIsImage(selection)) {
      continue;
    }
    if (position == kHideUnhideItem) {
      shown = firstItemIsHidden(selection) ? kUnhideItemTitle : kHideItemTitle;
    }
    NSMenuItem item(shown, "commenAction:", "");
    item.tag = static_cast<std::int64_t>(position);
    if (showIcons) {
      if (auto name = commandIconName(shown)) {
        item.image = NSImage::imageNamed(platform_.mainBundle, *name);
      }
    }
    menu.addItem(std::move(item));
  }
}

void FinderSync::addCustomFolderEntries(NSMenu& menu, bool showIcons) {
  for (std::size_t index = 0; index < arrCustomFolders.size(); ++index) {
    const auto& folder = arrCustomFolders[index];
    NSMenuItem item(folder.url.lastPathComponent(), "customFolderClicked:", "");
    item.tag = static_cast<std::int64_t>(index);
    if (showIcons) item.image = iconAt24Points(folder.url.path());
    if (!folder.arrSubItems.empty()) {
      auto contents = std::make_shared<NSMenu>("");
      for (const auto& entry : folder.arrSubItems) {
        NSMenuItem content(entry.url.lastPathComponent(), "subFolderClicked:", "");
        content.tag = entry.tag;
        if (showIcons) content.image = iconAt24Points(entry.url.path());
        contents->addItem(std::move(content));
      }
      item.submenu = contents;
    }
    menu.addItem(std::move(item));
  }
}

NSImage FinderSync::iconAt24Points(const std::string& path) {
  const NSImage icon = platform_.workspace.iconForFile(path);
  NSImage scaled = NSImage::canvas({kEntryIconPoints, kEntryIconPoints});
  scaled.lockFocus();
  if (auto* context = platform::NSGraphicsContext::currentContext()) {
    context->setImageInterpolation(platform::NSImageInterpolationHigh);
  }
  icon.drawInRect({0, 0, kEntryIconPoints, kEntryIconPoints},
                  {0, 0, icon.size().width, icon.size().height},
                  platform::NSCompositingOperationCopy, 1.0);
  scaled.unlockFocus();
  return scaled;
}

}  // namespace plovane
