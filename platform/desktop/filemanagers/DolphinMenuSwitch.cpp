#include "desktop/filemanagers/DolphinMenuSwitch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>
#include <vector>

namespace platform::desktop {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kModuleKey = "plovane-menu-dolphin";
constexpr std::string_view kShowGroup = "[Show]";

fs::path settingsFile() {
  // An unset, empty or relative XDG_CONFIG_HOME means the default folder.
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return fs::path(config) / "kservicemenurc";
  const char* home = std::getenv("HOME");
  return fs::path(home ? home : "/") / ".config" / "kservicemenurc";
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// KConfig reads these as false, in any case.
bool meansOff(std::string_view value) {
  std::string lower(value);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower == "false" || lower == "no" || lower == "off" || lower == "0";
}

// The module's entries in group [Show], in order, by where each line starts and ends (with its
// line end) in `text`. KConfig may write a key as "key[$e]" or with spaces around "=".
struct Entry {
  std::size_t start, end;
  bool off;
};

std::vector<Entry> moduleEntries(std::string_view text) {
  std::vector<Entry> entries;
  bool inShow = false;
  for (std::size_t start = 0; start < text.size();) {
    const auto newline = text.find('\n', start);
    const std::size_t end = newline == std::string_view::npos ? text.size() : newline + 1;
    const std::string_view line = trimmed(text.substr(start, end - start));
    if (line.starts_with('[')) {
      inShow = line == kShowGroup;
    } else if (inShow && !line.starts_with('#')) {
      const auto equals = line.find('=');
      if (equals != std::string_view::npos &&
          trimmed(line.substr(0, std::min(equals, line.find('[')))) == kModuleKey) {
        entries.push_back({start, end, meansOff(trimmed(line.substr(equals + 1)))});
      }
    }
    start = end;
  }
  return entries;
}

std::string contentsOf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string describe(const std::string& action, const fs::path& path, int error) {
  return action + " " + path.string() + ": " + std::generic_category().message(error);
}

// Through a temporary file beside it and one rename, with the file's mode, so that Dolphin never
// reads half a file.
std::optional<std::string> replace(const fs::path& file, const std::string& bytes) {
  struct stat existing {};
  if (::stat(file.c_str(), &existing) != 0) return describe("cannot examine", file, errno);
  std::string temporary = file.string() + ".tmp-XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) return describe("cannot create a temporary file for", file, errno);
  std::optional<std::string> failure;
  std::size_t done = 0;
  while (!failure && done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno != EINTR) failure = describe("cannot write", temporary, errno);
    if (written > 0) done += static_cast<std::size_t>(written);
  }
  if (!failure && ::fchmod(fd, existing.st_mode & 07777) != 0) {
    failure = describe("cannot set the mode of", temporary, errno);
  }
  if (!failure && ::fsync(fd) != 0) failure = describe("cannot flush", temporary, errno);
  ::close(fd);
  if (!failure && ::rename(temporary.c_str(), file.c_str()) != 0) {
    failure = describe("cannot replace", file, errno);
  }
  if (failure) ::unlink(temporary.c_str());
  return failure;
}

}  // namespace

bool dolphinShowsMenu() {
  // The last entry counts, as in KConfig; without one Dolphin shows every module.
  const auto entries = moduleEntries(contentsOf(settingsFile()));
  return entries.empty() || !entries.back().off;
}

std::optional<std::string> letDolphinShowMenu() {
  std::error_code missing;
  // A linked settings file stays a link: what it points to is rewritten.
  const fs::path file = fs::canonical(settingsFile(), missing);
  if (missing) return std::nullopt;
  const std::string text = contentsOf(file);
  const auto entries = moduleEntries(text);
  if (std::none_of(entries.begin(), entries.end(), [](const Entry& entry) { return entry.off; })) {
    return std::nullopt;
  }
  std::string kept;
  std::size_t from = 0;
  for (const auto& entry : entries) {
    if (!entry.off) continue;
    kept.append(text, from, entry.start - from);
    from = entry.end;
  }
  kept.append(text, from);
  return replace(file, kept);
}

}  // namespace platform::desktop
