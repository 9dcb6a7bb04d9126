#include "desktop/filemanagers/DesktopEntryProgram.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include "protocol/SettingsRoot.h"

namespace platform::desktop {

namespace fs = std::filesystem;

namespace {

std::optional<std::string> environment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::string(value);
}

std::vector<fs::path> dataFolders() {
  std::vector<fs::path> folders;
  if (auto home = protocol::plovaneHome()) folders.push_back(*home);
  if (auto data = protocol::userDataHome()) folders.push_back(*data);
  const std::string shared = environment("XDG_DATA_DIRS").value_or("/usr/local/share:/usr/share");
  for (std::size_t start = 0; start <= shared.size();) {
    const auto end = std::min(shared.find(':', start), shared.size());
    if (end > start) folders.emplace_back(shared.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

std::optional<std::string> execValue(const fs::path& entry) {
  std::ifstream in(entry);
  for (std::string line; std::getline(in, line);) {
    if (line.starts_with("Exec=")) return line.substr(5);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> execProgram(const std::string& exec) {
  if (!exec.starts_with('"')) return exec.substr(0, exec.find(' '));
  // Inside quotes a backslash takes the next character as it is.
  std::string word;
  for (std::size_t at = 1; at < exec.size(); ++at) {
    if (exec[at] == '"') return word;
    if (exec[at] == '\\' && at + 1 < exec.size()) ++at;
    word += exec[at];
  }
  return std::nullopt;
}

std::optional<fs::path> desktopEntryProgram(const std::string& fileName) {
  for (const auto& folder : dataFolders()) {
    const auto entry = folder / "applications" / fileName;
    if (!fs::exists(entry)) continue;
    const auto exec = execValue(entry);
    if (!exec) return std::nullopt;
    return execProgram(*exec);
  }
  return std::nullopt;
}

}  // namespace platform::desktop
