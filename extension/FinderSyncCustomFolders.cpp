#include <algorithm>
#include <variant>

#include "extension/FinderSync.h"
#include "platform/Bookmarks.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane {

using platform::NSURL;
using platform::PlistArray;
using platform::PlistData;

void FinderSync::loadCustomFolders() {
  auto stored = readWhole<PlistArray>(sharedDefaults.get(), keys::arrCustomFolders);
  if (!stored) return;
  if (!std::all_of(stored->begin(), stored->end(),
                   [](const auto& entry) { return entry.template is<PlistData>(); })) {
    return;
  }
  for (const auto& entry : *stored) arBookmarksFolders.push_back(*entry.as<PlistData>());
  for (const auto& bookmark : arBookmarksFolders) {
    auto resolved = platform::URLByResolvingBookmarkData(
        bookmark, platform::NSURLBookmarkResolutionWithSecurityScope);
    const auto* found = std::get_if<platform::ResolvedBookmark>(&resolved);
    if (found == nullptr || !platform::startAccessingSecurityScopedResource(found->url)) continue;
    if (found->url.pathExtension() == "app") {
      arrCustomFolders.push_back({found->url, true, {}, bookmark});
    } else {
      arrCustomFolders.push_back(
          {found->url, false, listCustomFolderContents(found->url, tagSubfolder), bookmark});
    }
  }
}

void FinderSync::pruneCustomFolders() {
  auto paths = readStringElements(sharedDefaults.get(), keys::arrCustomFoldersUrls);
  if (!paths || std::any_of(paths->begin(), paths->end(), [](const auto& p) { return !p; })) {
    return;
  }
  const auto kept = [&paths](const customFolder& folder) {
    return std::find(paths->begin(), paths->end(), folder.url.path()) != paths->end();
  };
  const auto before = arrCustomFolders.size();
  std::erase_if(arrCustomFolders, [&kept](const customFolder& folder) { return !kept(folder); });
  if (arrCustomFolders.size() == before) return;
  storeBookmarks();
}

std::optional<PlistData> FinderSync::makeBookmark(const NSURL& url) {
  auto created =
      platform::bookmarkDataWithOptions(url, platform::NSURLBookmarkCreationWithSecurityScope);
  if (const auto* error = std::get_if<platform::NSError>(&created)) {
    platform_.log.standardOutput(error->localizedDescription);
    platform_.log.standardOutput("Error storing bookmarks");
    return std::nullopt;
  }
  return std::get<PlistData>(std::move(created));
}

void FinderSync::keepBookmark(const PlistData& data) {
  if (std::find(arBookmarksFolders.begin(), arBookmarksFolders.end(), data) ==
      arBookmarksFolders.end()) {
    arBookmarksFolders.push_back(data);
  }
}

PlistArray FinderSync::customFolderPaths() const {
  PlistArray paths;
  for (const auto& custom : arrCustomFolders) paths.emplace_back(custom.url.path());
  return paths;
}

// The whole list is written once: written folder by folder, a crash part-way stored a shorter
// list, and the folders missing from it were lost at the next start. A folder whose bookmark
// cannot be made now keeps the one it had.
void FinderSync::storeBookmarks() {
  arBookmarksFolders.clear();
  for (auto& folder : arrCustomFolders) {
    if (auto made = makeBookmark(folder.url)) folder.bookmark = std::move(*made);
    if (!folder.bookmark.empty()) keepBookmark(folder.bookmark);
  }
  if (arBookmarksFolders.empty() || !sharedDefaults) return;
  sharedDefaults->setValueForKeyPath(
      PlistArray(arBookmarksFolders.begin(), arBookmarksFolders.end()), keys::arrCustomFolders);
  sharedDefaults->synchronize();
}

void FinderSync::customFolderClicked(const platform::NSMenuItem* sender) {
  if (sender == nullptr || sender->tag < 0 ||
      static_cast<std::size_t>(sender->tag) >= arrCustomFolders.size()) {
    return;
  }
  platform_.workspace.openURL(arrCustomFolders[static_cast<std::size_t>(sender->tag)].url);
}

void FinderSync::subFolderClicked(const platform::NSMenuItem* sender) {
  if (sender == nullptr) return;
  for (const auto& folder : arrCustomFolders) {
    for (const auto& entry : folder.arrSubItems) {
      if (entry.tag == sender->tag) {
        platform_.workspace.openURL(entry.url);
        return;
      }
    }
  }
}

}  // namespace plovane
