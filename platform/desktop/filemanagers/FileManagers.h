#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "desktop/filemanagers/MenuSwitches.h"

namespace platform::desktop {

// A file manager the menu can appear in.
struct FileManager {
  std::string program;  // as found on PATH and as the switches name it
  std::string name;     // as its users know it
  // The menu's module in the folder the file manager loads modules from; the stand-in has none,
  // the menu is its own.
  std::optional<std::filesystem::path> module;
  // It looks for modules at every context menu, so one already running shows the menu once the
  // module is installed; the others load modules only as they start.
  bool looksForModulesAtEachMenu = false;
  // Where its own settings can hide the menu, as its users find it; none when only ours can.
  std::optional<std::string> ownSwitch = std::nullopt;
};

// Files, Nemo, Caja, Thunar and Dolphin with the module folders this build installs into, then
// the stand-in.
std::vector<FileManager> knownFileManagers();

struct FileManagerState {
  FileManager manager;
  bool installed = false;  // the module is in its folder; for the stand-in, its program is found
  bool menuOn = false;     // this user has not switched the menu off there
};

// Those of `known` this machine has, in order: a file manager whose program is on PATH, and the
// stand-in always.
std::vector<FileManagerState> fileManagersFound(const std::vector<FileManager>& known,
                                                MenuSwitches& switches);

}  // namespace platform::desktop
