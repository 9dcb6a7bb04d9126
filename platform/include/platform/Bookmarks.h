#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/NSURL.h"
#include "platform/PlistValue.h"

namespace platform {

inline constexpr std::uint64_t NSURLBookmarkCreationWithSecurityScope = 0x800;
inline constexpr std::uint64_t NSURLBookmarkResolutionWithSecurityScope = 0x400;

struct NSError {
  std::string localizedDescription;
};

struct ResolvedBookmark {
  NSURL url;
  bool isStale = false;
};

// A bookmark names one item by its path and its file identity: two bookmarks of the same item
// are byte-equal, and a bookmark resolves only while that very item is still at its path.
std::variant<PlistData, NSError> bookmarkDataWithOptions(const NSURL& url, std::uint64_t options);
std::variant<ResolvedBookmark, NSError> URLByResolvingBookmarkData(const PlistData& data,
                                                                   std::uint64_t options);
// True when this process may read the item (and enter it, for a folder).
bool startAccessingSecurityScopedResource(const NSURL& url);

}  // namespace platform
