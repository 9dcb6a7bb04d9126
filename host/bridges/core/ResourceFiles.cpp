#include "core/ResourceFiles.h"

#include <glib.h>
#include <sys/stat.h>
#include <time.h>

#include <functional>
#include <unordered_map>

namespace plovane::bridge {

namespace {

// A reply may come from anyone: names beyond this many are forgotten rather than kept.
constexpr std::size_t kMostNames = 4096;
// File times tick coarsely: two changes within one tick leave the same time. A folder modified
// less long ago than this is looked in afresh, file by file, until it has settled.
constexpr time_t kSettleSeconds = 3;

bool same(const timespec& one, const timespec& other) {
  return one.tv_sec == other.tv_sec && one.tv_nsec == other.tv_nsec;
}

// Looked up by a part of a path without copying it.
struct NameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const {
    return std::hash<std::string_view>{}(name);
  }
};

// The folder whose files were looked for, as it was then, and what was found.
struct Known {
  std::string folder;
  struct stat status {};
  std::unordered_map<std::string, bool, NameHash, std::equal_to<>> files;

  // Forgets what was found when the folder is another, or was changed since.
  void update(const std::string& now, const struct stat& current) {
    if (folder == now && status.st_dev == current.st_dev && status.st_ino == current.st_ino &&
        same(status.st_mtim, current.st_mtim) && same(status.st_ctim, current.st_ctim))
      return;
    folder = now;
    status = current;
    files.clear();
  }
};

Known& known() {
  static Known instance;
  return instance;
}

bool fileExists(const std::string& file) { return g_file_test(file.c_str(), G_FILE_TEST_EXISTS); }

}  // namespace

ResourceFiles::ResourceFiles(std::string folder)
    : folder_(std::move(folder)),
      prefix_(folder_.empty() || folder_.ends_with('/') ? folder_ : folder_ + "/") {}

std::string ResourceFiles::inFolder(std::string_view name, std::string_view extension) const {
  std::string file;
  file.reserve(prefix_.size() + name.size() + extension.size());
  file.append(prefix_).append(name).append(extension);
  return file;
}

ResourceFiles::State ResourceFiles::check() {
  struct stat status {};
  if (::stat(folder_.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return State::missing;
  known().update(folder_, status);
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return now.tv_sec - status.st_mtim.tv_sec < kSettleSeconds ? State::changing : State::known;
}

bool ResourceFiles::exists(const std::string& file) {
  const bool direct = !prefix_.empty() && file.size() > prefix_.size() &&
                      file.starts_with(prefix_) &&
                      file.find('/', prefix_.size()) == std::string::npos;
  if (!direct) return fileExists(file);
  if (state_ == State::unchecked) state_ = check();
  if (state_ == State::missing) return false;
  if (state_ == State::changing) return fileExists(file);
  auto& files = known().files;
  const std::string_view name = std::string_view(file).substr(prefix_.size());
  if (const auto found = files.find(name); found != files.end()) return found->second;
  if (files.size() >= kMostNames) files.clear();
  const bool present = fileExists(file);
  files.emplace(name, present);
  return present;
}

}  // namespace plovane::bridge
