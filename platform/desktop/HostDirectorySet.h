#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/FIFinderSyncController.h"
#include "platform/NSUserDefaults.h"

namespace platform::desktop {

// The sync controller as the stand-in file manager keeps it: the directory set lives in the file
// manager's own defaults domain, where the extension and the settings app can both set it; the
// selection is the one of the request being answered. Badges are asked once per shown item and
// mean nothing after the run, so they stay in memory, bounded, and never grow the stored state.
class HostDirectorySet final : public FIFinderSyncController {
 public:
  explicit HostDirectorySet(UserDefaultsRoot& defaults);

  void setDirectoryURLs(const std::set<NSURL>& urls) override;
  std::set<NSURL> directoryURLs() const override;
  void setBadgeIdentifier(const std::string& identifier, const NSURL& url) override;
  // The badge last set on `url` in this run, if it is still kept.
  std::optional<std::string> badgeIdentifier(const NSURL& url) const;
  std::optional<std::vector<NSURL>> selectedItemURLs() const override { return selection_; }

  void setSelectedItemURLs(std::optional<std::vector<NSURL>> selection) {
    selection_ = std::move(selection);
  }

  // The program name of the file manager whose request is being answered ("nautilus", …), or
  // empty when it is not known: commands that change the file manager's own settings need it.
  const std::string& requestingProgram() const { return requestingProgram_; }
  void setRequestingProgram(std::string program) { requestingProgram_ = std::move(program); }

 private:
  std::shared_ptr<NSUserDefaults> state_;
  std::optional<std::vector<NSURL>> selection_;
  std::map<NSURL, std::string> badges_;
  std::string requestingProgram_;
};

// The directory set's URLs under the rule every side shares (protocol/InsideFolder.h): whether
// the file manager asks the extension about `item`, and the stricter one, whether an entry may
// act on it.
bool isInsideDirectorySet(const std::set<NSURL>& directories, const NSURL& item);
bool actsInsideDirectorySet(const std::set<NSURL>& directories, const NSURL& item);

}  // namespace platform::desktop
