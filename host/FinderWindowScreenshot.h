#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "host/FinderWindowMain.h"

namespace plovane::host {

// What the picture shows besides the window: the context menu of the item named `item`, and
// in it the submenu titled `submenu`, open as a person would have them.
struct ScreenshotScene {
  std::optional<std::string> item;
  std::optional<std::string> submenu;
};

// Sets up the scene around the shown window and writes the screen to `picture` (PNG).
// Returns why not.
std::optional<std::string> takeScreenshot(FinderMainWindow& window, const ScreenshotScene& scene,
                                          const std::filesystem::path& picture);

}  // namespace plovane::host
