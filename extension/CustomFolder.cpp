#include "extension/CustomFolder.h"

#include <limits>

#include "platform/NSFileManager.h"

namespace plovane {

std::vector<subFolder> listCustomFolderContents(const platform::NSURL& folder,
                                                std::int64_t& lastTag) {
  std::vector<subFolder> entries;
  const auto names = platform::NSFileManager().contentsOfDirectoryAtPath(folder.path());
  if (!names) return entries;
  for (const auto& name : *names) {
    // A tag is an entry's identity for the life of the process: never hand one out twice.
    if (lastTag == std::numeric_limits<std::int64_t>::max()) break;
    entries.push_back({folder.URLByAppendingPathComponent(name), ++lastTag});
  }
  return entries;
}

}  // namespace plovane
