#include "desktop/XDisplayReach.h"

#include <sys/stat.h>

#include <fstream>

namespace platform::desktop {

namespace {

// Whether a socket of this network namespace is bound to the abstract name `@name`.
bool abstractSocketListens(const std::string& name) {
  std::ifstream sockets("/proc/net/unix");
  const std::string wanted = " @" + name;
  for (std::string line; std::getline(sockets, line);) {
    if (line.ends_with(wanted)) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> whyXDisplayUnreachable(const std::string& display) {
  const auto colon = display.rfind(':');
  if (colon == std::string::npos) return "\"" + display + "\" names no display";
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix") return std::nullopt;
  const std::string number = display.substr(colon + 1, display.find('.', colon) - colon - 1);
  if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
    return "\"" + display + "\" names no display";
  }
  // The server listens on both; a sandbox may see only the file.
  const std::string path = "/tmp/.X11-unix/X" + number;
  struct stat file {};
  if (::stat(path.c_str(), &file) == 0 && S_ISSOCK(file.st_mode)) return std::nullopt;
  if (abstractSocketListens(path)) return std::nullopt;
  return "no X server listens at " + path;
}

}  // namespace platform::desktop
