#pragma once

#include <map>

#include "platform/FIFinderSyncController.h"

namespace platform::sim {

// The file manager as a test (or the in-process stand-in) plays it: the selection is set from
// outside, the directory set and badges are kept for reading back.
class SimFinderSyncController final : public FIFinderSyncController {
 public:
  void setDirectoryURLs(const std::set<NSURL>& urls) override { directoryURLs_ = urls; }
  std::set<NSURL> directoryURLs() const override { return directoryURLs_; }
  void setBadgeIdentifier(const std::string& identifier, const NSURL& url) override {
    badges_[url] = identifier;
  }
  std::optional<std::vector<NSURL>> selectedItemURLs() const override { return selection_; }

  void setSelectedItemURLs(std::optional<std::vector<NSURL>> selection) {
    selection_ = std::move(selection);
  }
  const std::map<NSURL, std::string>& badges() const { return badges_; }

 private:
  std::set<NSURL> directoryURLs_;
  std::map<NSURL, std::string> badges_;
  std::optional<std::vector<NSURL>> selection_;
};

}  // namespace platform::sim
