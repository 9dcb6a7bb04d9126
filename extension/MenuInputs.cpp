#include "extension/MenuInputs.h"

#include <algorithm>
#include <cctype>

#include "extension/ImageExtensions.h"
#include "platform/NSFileManager.h"
#include "shared/CommandCatalogue.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane {

using platform::NSImage;

namespace {

constexpr char kUtilityKitImage[] = "utility-kit";
constexpr double kEntryIconPoints = 24;

std::string lowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

NSImage iconAt24Points(platform::NSWorkspace& workspace, const std::string& path) {
  const NSImage icon = workspace.iconForFile(path);
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

void gatherImages(MenuInputs& inputs, const platform::NSBundle& bundle,
                  platform::NSWorkspace& workspace) {
  for (const auto& command : kCatalogue) {
    if (auto image = NSImage::imageNamed(bundle, command.icon)) {
      inputs.commandImages.emplace(command.icon, std::move(*image));
    }
  }
  inputs.utilityKitImage = NSImage::imageNamed(bundle, kUtilityKitImage);
  std::size_t entries = 0;
  for (const auto& folder : inputs.customFolders) entries += folder.arrSubItems.size();
  inputs.folderIcons.reserve(inputs.customFolders.size());
  inputs.entryIcons.reserve(entries);
  for (const auto& folder : inputs.customFolders) {
    inputs.folderIcons.push_back(iconAt24Points(workspace, folder.url.path()));
    for (const auto& entry : folder.arrSubItems) {
      inputs.entryIcons.push_back(iconAt24Points(workspace, entry.url.path()));
    }
  }
}

}  // namespace

MenuInputs gatherMenuInputs(const platform::NSBundle& bundle, platform::NSWorkspace& workspace,
                            const std::optional<std::vector<platform::NSURL>>& selection,
                            platform::NSUserDefaults* store, const CommandList& commandList,
                            const std::vector<customFolder>& customFolders) {
  MenuInputs inputs;
  inputs.selectionIsEmpty = selection && selection->empty();
  if (inputs.selectionIsEmpty) return inputs;
  // Without any selection there is no item to judge, so the image-only commands are left out
  // and the hide/unhide entry offers hiding.
  if (selection) {
    const auto& first = selection->front();
    inputs.firstItemIsImage = isImageExtension(lowercased(first.pathExtension()));
    inputs.firstItemIsHidden = platform::resourceValueIsHidden(first).value_or(false);
  }
  inputs.showInSubMenu = readBool(store, keys::showinSubMenu, false);
  inputs.commandList = commandList;
  inputs.customFolders = customFolders;
  inputs.applicationIcon = NSImage::applicationIcon(bundle);
  if (readBool(store, keys::showmenuicon, false)) gatherImages(inputs, bundle, workspace);
  return inputs;
}

}  // namespace plovane
