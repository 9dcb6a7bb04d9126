#include "protocol/SettingsRoot.h"

#include <cstdlib>

namespace platform::protocol {

namespace {

std::optional<std::filesystem::path> environmentPath(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  return std::filesystem::path(value);
}

}  // namespace

std::optional<std::filesystem::path> plovaneHome() { return environmentPath("PLOVANE_HOME"); }

std::optional<std::filesystem::path> userDataHome() {
  if (auto data = environmentPath("XDG_DATA_HOME")) return data;
  if (auto home = environmentPath("HOME")) return *home / ".local/share";
  return std::nullopt;
}

std::filesystem::path settingsRoot() {
  if (auto home = plovaneHome()) return *home;
  return userDataHome().value_or(std::filesystem::path(".") / ".local/share") / "plovane-menu";
}

}  // namespace platform::protocol
