#include "desktop/HostDirectorySet.h"

#include "desktop/BusNames.h"

namespace platform::desktop {

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
  PlistDictionary updated;
  if (const auto badges = state_->objectForKey(host_state::kBadges)) {
    if (const auto* existing = badges->as<PlistDictionary>()) updated = *existing;
  }
  updated[url.path()] = PlistValue(identifier);
  state_->setObject(PlistValue(std::move(updated)), host_state::kBadges);
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
