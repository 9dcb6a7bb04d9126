#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "extension/CustomFolder.h"
#include "platform/NSUserDefaults.h"
#include "platform/SystemLog.h"

namespace plovane {

// The custom folders the menu offers, with their bookmarks and the tags of their entries: loaded
// from their stored bookmarks at start, pruned against the stored paths before each menu, grown
// by "Add Folders".
class CustomFolderList {
 public:
  // `store` may be absent: then nothing is read or written.
  CustomFolderList(platform::NSUserDefaults* store, platform::SystemLog& log);

  void load();
  // Drops the folders whose paths are no longer stored and stores the bookmarks of the rest.
  void prune();
  // Adds the folder with its contents and stores both lists; false, with nothing added, when
  // the store would not keep them.
  bool add(const platform::NSURL& folder);

  // The folder at a menu tag, and the entry with a tag, when there is one.
  std::optional<platform::NSURL> folderAt(std::int64_t tag) const;
  std::optional<platform::NSURL> entryTagged(std::int64_t tag) const;

  // In menu order: a folder's index is the tag of its menu entry.
  const std::vector<customFolder>& folders() const { return folders_; }
  // What "arrCustomFolders" is written from: at start every stored bookmark, after a rebuild one
  // per folder, byte-equal ones once.
  const std::vector<platform::PlistData>& bookmarks() const { return bookmarks_; }

 private:
  // Absent, with the error and "Error storing bookmarks" on standard output, when the bookmark
  // cannot be made.
  std::optional<platform::PlistData> makeBookmark(const platform::NSURL& url);
  // Keeps `data` unless byte-equal data is already kept.
  void keepBookmark(const platform::PlistData& data);
  void storeBookmarks();
  // Writes the paths (and the bookmarks) of the folders together; false when not stored.
  bool storeLists(bool withBookmarks);
  platform::PlistArray paths() const;

  platform::NSUserDefaults* store_;
  platform::SystemLog& log_;
  std::vector<customFolder> folders_;
  std::vector<platform::PlistData> bookmarks_;
  // The last tag given to a folder's entry.
  std::int64_t lastTag_ = 0;
};

}  // namespace plovane
