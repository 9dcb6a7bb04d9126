#include "core/HostStateFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "protocol/HostStateKeys.h"
#include "protocol/InsideFolder.h"
#include "protocol/SettingsRoot.h"
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

// The file's bytes, or none when it is not a regular file of a size the store could have written.
// Opened without blocking: a FIFO or a device put in its place must not hold the file manager.
std::vector<std::uint8_t> bytesOf(const std::filesystem::path& file) {
  const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (descriptor < 0) return {};
  std::vector<std::uint8_t> bytes;
  struct stat status {};
  if (::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) &&
      static_cast<std::uint64_t>(status.st_size) <= platform::kMaxPlistFileBytes) {
    // One byte past the limit is enough for the decoder to refuse a file that grew meanwhile.
    bytes.resize(platform::kMaxPlistFileBytes + 1);
    std::size_t filled = 0;
    while (filled < bytes.size()) {
      const ssize_t got = ::read(descriptor, bytes.data() + filled, bytes.size() - filled);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
  }
  ::close(descriptor);
  return bytes;
}

HostState read(const std::filesystem::path& file) {
  const auto bytes = bytesOf(file);
  const auto decoded = platform::decodePlist(bytes);
  const auto* value = std::get_if<PlistValue>(&decoded);
  const auto* domain = value ? value->as<PlistDictionary>() : nullptr;
  if (domain == nullptr) return {};
  namespace keys = platform::protocol::host_state;
  return {textsOf(*domain, keys::kDirectoryURLs), textsOf(*domain, keys::kDisabledFileManagers)};
}

}  // namespace

bool HostState::containsAll(const std::vector<std::string>& paths) const {
  return !paths.empty() && std::all_of(paths.begin(), paths.end(), [this](const auto& path) {
    return platform::protocol::isInsideAnyFolder(directories, path);
  });
}

bool HostState::enabledFor(const std::string& manager) const {
  return std::find(disabledManagers.begin(), disabledManagers.end(), manager) ==
         disabledManagers.end();
}

HostStateFile::HostStateFile(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path HostStateFile::forThisUser() {
  return platform::protocol::settingsRoot() / "Preferences" /
         (std::string(platform::protocol::host_state::kDomain) + ".plist");
}

const HostState& HostStateFile::current() {
  struct stat status {};
  platform::FileIdentity now;
  if (::stat(file_.c_str(), &status) == 0) now = platform::FileIdentity::of(status);
  if (now == version_) return state_;
  version_ = now;
  state_ = now.size < 0 ? HostState{} : read(file_);
  return state_;
}

}  // namespace plovane::bridge
