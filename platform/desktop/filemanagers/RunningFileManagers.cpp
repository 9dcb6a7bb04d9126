#include "desktop/filemanagers/RunningFileManagers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>

namespace platform::desktop {

namespace fs = std::filesystem;

namespace {

const fs::path kProcesses = "/proc";

std::string firstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

bool mapsName(const fs::path& maps, const std::string& file) {
  std::ifstream in(maps);
  for (std::string line; std::getline(in, line);) {
    if (line.find(file) != std::string::npos) return true;
  }
  return false;
}

std::vector<fs::path> foldersNamedBy(const fs::path& process) {
  std::ifstream in(process / "cmdline", std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::error_code unreadable;
  const fs::path workingDirectory = fs::read_symlink(process / "cwd", unreadable);
  std::vector<fs::path> folders;
  bool program = true;
  for (std::size_t start = 0; start < text.size();) {
    const auto end = std::min(text.find('\0', start), text.size());
    const std::string argument = text.substr(start, end - start);
    start = end + 1;
    if (std::exchange(program, false) || argument.empty() || argument.starts_with('-')) continue;
    const fs::path folder = fs::path(argument).is_absolute() || workingDirectory.empty()
                                ? fs::path(argument)
                                : workingDirectory / argument;
    if (fs::is_directory(folder, unreadable)) folders.push_back(folder.lexically_normal());
  }
  return folders;
}

}  // namespace

std::vector<FileManagerProcess> runningProcessesOf(const FileManager& manager) {
  std::vector<FileManagerProcess> found;
  if (!manager.module) return found;
  std::error_code unreadable;
  // The map names the file the loader opened, with every link resolved.
  const std::string module = fs::weakly_canonical(*manager.module, unreadable).string();
  const uid_t user = ::getuid();
  for (const auto& entry : fs::directory_iterator(kProcesses, unreadable)) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    struct stat owner {};
    if (::stat(entry.path().c_str(), &owner) != 0 || owner.st_uid != user) continue;
    if (firstLine(entry.path() / "comm") != manager.program) continue;
    found.push_back({static_cast<pid_t>(std::stol(name)), mapsName(entry.path() / "maps", module),
                     foldersNamedBy(entry.path())});
  }
  return found;
}

bool mustRestart(const FileManagerState& state) {
  if (!state.installed || state.manager.looksForModulesAtEachMenu) return false;
  const auto processes = runningProcessesOf(state.manager);
  return std::any_of(processes.begin(), processes.end(),
                     [](const FileManagerProcess& process) { return !process.moduleLoaded; });
}

bool processGone(pid_t pid) {
  // The state follows the name, which is in parentheses and may hold spaces.
  const std::string stat = firstLine(kProcesses / std::to_string(pid) / "stat");
  const auto state = stat.rfind(") ");
  return state == std::string::npos || stat.compare(state + 2, 1, "Z") == 0;
}

}  // namespace platform::desktop
