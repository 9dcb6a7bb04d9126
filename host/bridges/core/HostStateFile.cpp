#include "core/HostStateFile.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "desktop/BusNames.h"
#include "store/PlistCodec.h"

namespace plovane::bridge {

namespace {

using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

std::vector<std::string> textsOf(const PlistDictionary& domain, const char* key) {
  std::vector<std::string> texts;
  const auto found = domain.find(key);
  if (found == domain.end()) return texts;
  if (const auto* array = found->second.as<PlistArray>()) {
    for (const auto& value : *array) {
      if (const auto* text = value.as<std::string>()) texts.push_back(*text);
    }
  }
  return texts;
}

HostState read(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  // One byte past the limit is enough for the decoder to refuse the file.
  std::vector<std::uint8_t> bytes(platform::kMaxPlistFileBytes + 1);
  stream.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(stream.gcount()));
  const auto decoded = platform::decodePlist(bytes);
  const auto* value = std::get_if<PlistValue>(&decoded);
  const auto* domain = value ? value->as<PlistDictionary>() : nullptr;
  if (domain == nullptr) return {};
  namespace keys = platform::desktop::host_state;
  return {textsOf(*domain, keys::kDirectoryURLs), textsOf(*domain, keys::kDisabledFileManagers)};
}

}  // namespace

bool HostState::containsAll(const std::vector<std::string>& paths) const {
  const auto inside = [this](const std::string& path) {
    return std::any_of(directories.begin(), directories.end(), [&](const std::string& folder) {
      if (path == folder) return true;
      const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
      return path.starts_with(prefix);
    });
  };
  return !paths.empty() && std::all_of(paths.begin(), paths.end(), inside);
}

bool HostState::enabledFor(const std::string& manager) const {
  return std::find(disabledManagers.begin(), disabledManagers.end(), manager) ==
         disabledManagers.end();
}

HostStateFile::HostStateFile(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path HostStateFile::forThisUser() {
  std::filesystem::path root;
  if (const char* own = std::getenv("PLOVANE_HOME"); own != nullptr && *own != '\0') {
    root = own;
  } else if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0') {
    root = std::filesystem::path(data) / "plovane-menu";
  } else {
    const char* home = std::getenv("HOME");
    root = std::filesystem::path(home != nullptr ? home : ".") / ".local/share/plovane-menu";
  }
  return root / "Preferences" / (std::string(platform::desktop::host_state::kDomain) + ".plist");
}

const HostState& HostStateFile::current() {
  struct stat status {};
  Version now;
  if (::stat(file_.c_str(), &status) == 0) {
    now = {status.st_ino, status.st_size, status.st_mtim.tv_sec, status.st_mtim.tv_nsec};
  }
  if (now == version_) return state_;
  version_ = now;
  state_ = now.size < 0 ? HostState{} : read(file_);
  return state_;
}

}  // namespace plovane::bridge
