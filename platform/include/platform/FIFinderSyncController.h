#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/NSURL.h"

namespace platform {

// The file manager's side of the extension: which folders it shows the menu in, badges, and
// what the user has selected.
class FIFinderSyncController {
 public:
  virtual ~FIFinderSyncController() = default;
  virtual void setDirectoryURLs(const std::set<NSURL>& urls) = 0;
  virtual std::set<NSURL> directoryURLs() const = 0;
  virtual void setBadgeIdentifier(const std::string& identifier, const NSURL& url) = 0;
  // Absent when the file manager reports no selection at all.
  virtual std::optional<std::vector<NSURL>> selectedItemURLs() const = 0;
};

}  // namespace platform
