#include "desktop/HostDirectorySet.h"

#include "desktop/BusNames.h"

namespace platform::desktop {

namespace {

// More items than any folder view shows at once.
constexpr std::size_t kMaxBadges = 20'000;

}  // namespace

HostDirectorySet::HostDirectorySet(UserDefaultsRoot& defaults)
    : state_(defaults.standardUserDefaults(host_state::kDomain)) {}

void HostDirectorySet::setDirectoryURLs(const std::set<NSURL>& urls) {
  PlistArray paths;
  for (const auto& url : urls) paths.emplace_back(url.path());
  state_->setObject(PlistValue(std::move(paths)), host_state::kDirectoryURLs);
}

std::set<NSURL> HostDirectorySet::directoryURLs() const {
  std::set<NSURL> urls;
  for (const auto& path : state_->arrayForKey(host_state::kDirectoryURLs).value_or(PlistArray{})) {
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
  for (const auto& directory : directories) {
    const std::string& folder = directory.path();
    if (item.path() == folder) return true;
    const std::string prefix = folder == "/" ? folder : folder + "/";
    if (item.path().starts_with(prefix)) return true;
  }
  return false;
}

}  // namespace platform::desktop
