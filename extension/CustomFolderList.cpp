#include "extension/CustomFolderList.h"

#include <algorithm>
#include <variant>

#include "platform/Bookmarks.h"
#include "shared/SettingsKeys.h"
#include "shared/StoreReads.h"

namespace plovane {

using platform::NSURL;
using platform::PlistArray;
using platform::PlistData;
using platform::PlistDictionary;

CustomFolderList::CustomFolderList(platform::NSUserDefaults* store, platform::SystemLog& log)
    : store_(store), log_(log) {}

void CustomFolderList::load() {
  auto stored = readWhole<PlistArray>(store_, keys::arrCustomFolders);
  if (!stored) return;
  if (!std::all_of(stored->begin(), stored->end(),
                   [](const auto& entry) { return entry.template is<PlistData>(); })) {
    return;
  }
  for (const auto& entry : *stored) bookmarks_.push_back(*entry.as<PlistData>());
  for (const auto& bookmark : bookmarks_) {
    auto resolved = platform::URLByResolvingBookmarkData(
        bookmark, platform::NSURLBookmarkResolutionWithSecurityScope);
    const auto* found = std::get_if<platform::ResolvedBookmark>(&resolved);
    if (found == nullptr || !platform::startAccessingSecurityScopedResource(found->url)) continue;
    if (found->url.pathExtension() == "app") {
      folders_.push_back({found->url, true, {}, bookmark});
    } else {
      folders_.push_back(
          {found->url, false, listCustomFolderContents(found->url, lastTag_), bookmark});
    }
  }
}

void CustomFolderList::prune() {
  auto stored = readStringElements(store_, keys::arrCustomFoldersUrls);
  if (!stored || std::any_of(stored->begin(), stored->end(), [](const auto& p) { return !p; })) {
    return;
  }
  const auto kept = [&stored](const customFolder& folder) {
    return std::find(stored->begin(), stored->end(), folder.url.path()) != stored->end();
  };
  const auto before = folders_.size();
  std::erase_if(folders_, [&kept](const customFolder& folder) { return !kept(folder); });
  if (folders_.size() == before) return;
  storeBookmarks();
}

bool CustomFolderList::add(const NSURL& folder) {
  const auto bookmark = makeBookmark(folder);
  const auto keptBefore = bookmarks_.size();
  folders_.push_back(
      {folder, false, listCustomFolderContents(folder, lastTag_), bookmark.value_or(PlistData{})});
  if (bookmark) keepBookmark(*bookmark);
  if (store_ == nullptr || storeLists(bookmark.has_value())) return true;
  // Not stored, the folder would vanish at the next start: it is not added at all.
  const auto reason = store_->lastError().value_or("the settings were not saved");
  folders_.pop_back();
  bookmarks_.resize(keptBefore);
  log_.standardOutput("Cannot add " + folder.path() + ": " + reason);
  return false;
}

std::optional<NSURL> CustomFolderList::folderAt(std::int64_t tag) const {
  if (tag < 0 || static_cast<std::size_t>(tag) >= folders_.size()) return std::nullopt;
  return folders_[static_cast<std::size_t>(tag)].url;
}

std::optional<NSURL> CustomFolderList::entryTagged(std::int64_t tag) const {
  for (const auto& folder : folders_) {
    for (const auto& entry : folder.arrSubItems) {
      if (entry.tag == tag) return entry.url;
    }
  }
  return std::nullopt;
}

std::optional<PlistData> CustomFolderList::makeBookmark(const NSURL& url) {
  auto created =
      platform::bookmarkDataWithOptions(url, platform::NSURLBookmarkCreationWithSecurityScope);
  if (const auto* error = std::get_if<platform::NSError>(&created)) {
    log_.standardOutput(error->localizedDescription);
    log_.standardOutput("Error storing bookmarks");
    return std::nullopt;
  }
  return std::get<PlistData>(std::move(created));
}

void CustomFolderList::keepBookmark(const PlistData& data) {
  if (std::find(bookmarks_.begin(), bookmarks_.end(), data) == bookmarks_.end()) {
    bookmarks_.push_back(data);
  }
}

// The whole list is written once: written folder by folder, a crash part-way stored a shorter
// list, and the folders missing from it were lost at the next start. A folder whose bookmark
// cannot be made now keeps the one it had.
void CustomFolderList::storeBookmarks() {
  bookmarks_.clear();
  for (auto& folder : folders_) {
    if (auto made = makeBookmark(folder.url)) folder.bookmark = std::move(*made);
    if (!folder.bookmark.empty()) keepBookmark(folder.bookmark);
  }
  if (bookmarks_.empty() || store_ == nullptr) return;
  store_->setValueForKeyPath(PlistArray(bookmarks_.begin(), bookmarks_.end()),
                             keys::arrCustomFolders);
  store_->synchronize();
}

// Both lists in one write: a crash between two writes left them disagreeing, and the next start
// dropped the folders missing from the shorter one. A failed write is dropped by the handle, so
// the store keeps the lists it had.
bool CustomFolderList::storeLists(bool withBookmarks) {
  PlistDictionary lists{{keys::arrCustomFoldersUrls, paths()}};
  if (withBookmarks) {
    lists.emplace(keys::arrCustomFolders, PlistArray(bookmarks_.begin(), bookmarks_.end()));
  }
  store_->setValuesForKeysWithDictionary(std::move(lists));
  return store_->synchronize();
}

PlistArray CustomFolderList::paths() const {
  PlistArray folderPaths;
  for (const auto& folder : folders_) folderPaths.emplace_back(folder.url.path());
  return folderPaths;
}

}  // namespace plovane
