#pragma once

#include <optional>
#include <string>

namespace platform::desktop {

// The display of hidden files in a real file manager, where each keeps its own setting
// (GSettings for Nautilus, Nemo and Caja; xfconf for Thunar).
struct HiddenFilesFlip {
  bool shown = false;   // what the setting is now
  std::string failure;  // why it could not be flipped; empty on success
};

// Flips the setting of the file manager running as `program` ("nautilus", "nemo", "caja",
// "thunar"); absent for any other program.
std::optional<HiddenFilesFlip> flipFileManagerHiddenFiles(const std::string& program);

}  // namespace platform::desktop
