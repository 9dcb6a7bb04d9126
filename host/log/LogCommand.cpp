#include "host/log/LogCommand.h"

#include <deque>
#include <fstream>
#include <string>

#include "desktop/LogFile.h"

namespace plovane::host {

namespace {

// Keeps the last `count` lines of `file` in `lines`, after those already there.
void takeLastLines(const std::filesystem::path& file, std::size_t count,
                   std::deque<std::string>& lines) {
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(std::move(line));
    if (lines.size() > count) lines.pop_front();
  }
}

}  // namespace

int printLastLogLines(const std::filesystem::path& file, std::size_t count, std::ostream& out,
                      std::ostream& errors) {
  const auto previous = platform::desktop::previousLogFilePath(file);
  std::error_code failed;
  if (!std::filesystem::exists(file, failed) && !std::filesystem::exists(previous, failed)) {
    errors << "plovane-finder: no log yet; the programs write it to " << file.string() << "\n";
    return 1;
  }
  std::deque<std::string> lines;
  takeLastLines(previous, count, lines);
  takeLastLines(file, count, lines);
  for (const auto& line : lines) out << line << "\n";
  return 0;
}

}  // namespace plovane::host
