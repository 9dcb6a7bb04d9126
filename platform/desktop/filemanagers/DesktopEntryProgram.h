#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace platform::desktop {

// The program a desktop entry's Exec value starts: its first word, unquoted. Absent when the
// quotes are not closed.
std::optional<std::string> execProgram(const std::string& exec);

// The program the desktop starts for the entry `fileName` (as "name.desktop"), from the first
// data folder holding it: $PLOVANE_HOME, where a per-user installation writes its entries, then
// the XDG data home and the XDG data folders.
std::optional<std::filesystem::path> desktopEntryProgram(const std::string& fileName);

}  // namespace platform::desktop
