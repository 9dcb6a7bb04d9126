#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "host/commandline/CommandLine.h"
#include "host/window/FinderWindowMain.h"

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

// `--window FOLDER --screenshot FILE.png`: opens the window filling the screen, sets up the
// request's scene and writes the picture, then exits.
int runScreenshot(const Request& request, int& argc, char** argv);

}  // namespace plovane::host
