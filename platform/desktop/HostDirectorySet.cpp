#include "desktop/HostDirectorySet.h"

#include "protocol/HostStateKeys.h"
#include "protocol/InsideFolder.h"

namespace platform::desktop {

namespace {

// More items than any folder view shows at once.
constexpr std::size_t kMaxBadges = 20'000;

std::vector<std::string> pathsOf(const std::set<NSURL>& directories) {
  std::vector<std::string> paths;
  paths.reserve(directories.size());
  for (const auto& directory : directories) paths.push_back(directory.path());
  return paths;
}

}  // namespace

HostDirectorySet::HostDirectorySet(UserDefaultsRoot& defaults)
    : state_(defaults.standardUserDefaults(protocol::host_state::kDomain)) {}

void HostDirectorySet::setDirectoryURLs(const std::set<NSURL>& urls) {
  PlistArray paths;
  for (const auto& url : urls) paths.emplace_back(url.path());
  // Without a store (its folder cannot be made) they have nowhere to go; the store logged why.
  if (!state_) return;
  state_->setObject(PlistValue(std::move(paths)), protocol::host_state::kDirectoryURLs);
}

std::set<NSURL> HostDirectorySet::directoryURLs() const {
  std::set<NSURL> urls;
  if (!state_) return urls;
  for (const auto& path :
       state_->arrayForKey(protocol::host_state::kDirectoryURLs).value_or(PlistArray{})) {
    if (const auto* text = path.as<std::string>()) urls.insert(NSURL::fileURLWithPath(*text));
  }
  return urls;
}

void HostDirectorySet::setBadgeIdentifier(const std::string& identifier, const NSURL& url) {
  // Past the bound an older badge makes room; the file manager asks again when it shows that item.
  if (badges_.size() >= kMaxBadges && !badges_.contains(url)) badges_.erase(badges_.begin());
  badges_[url] = identifier;
}

std::optional<std::string> HostDirectorySet::badgeIdentifier(const NSURL& url) const {
  const auto found = badges_.find(url);
  if (found == badges_.end()) return std::nullopt;
  return found->second;
}

bool isInsideDirectorySet(const std::set<NSURL>& directories, const NSURL& item) {
  return protocol::isInsideAnyFolder(pathsOf(directories), item.path());
}

bool actsInsideDirectorySet(const std::set<NSURL>& directories, const NSURL& item) {
  return protocol::actsInsideAnyFolder(pathsOf(directories), item.path());
}

}  // namespace platform::desktop
