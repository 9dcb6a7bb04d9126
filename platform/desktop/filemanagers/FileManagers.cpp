#include "desktop/filemanagers/FileManagers.h"

#include <unistd.h>

#include "desktop/ProgramLauncher.h"
#include "desktop/filemanagers/DesktopEntryProgram.h"
#include "desktop/filemanagers/DolphinMenuSwitch.h"

namespace platform::desktop {

namespace fs = std::filesystem;

namespace {

constexpr char kStandInDesktopEntry[] = "com.quenlow.plovanefinder.desktop";

// On PATH when the system's package installed it; a per-user installation leaves it in the
// build and names it in its desktop entry.
bool standInFound() {
  if (platform::desktop::findOnPath({kStandInProgram})) return true;
  const auto program = desktopEntryProgram(kStandInDesktopEntry);
  return program && ::access(program->c_str(), X_OK) == 0;
}

fs::path moduleIn(const char* folder, const std::string& program) {
  return fs::path(folder) / ("libplovane-menu-" + program + ".so");
}

}  // namespace

std::vector<FileManager> knownFileManagers() {
  return {
      {"nautilus", "Files", moduleIn(PLOVANE_NAUTILUS_MODULES, "nautilus")},
      {"nemo", "Nemo", moduleIn(PLOVANE_NEMO_MODULES, "nemo")},
      {"caja", "Caja", moduleIn(PLOVANE_CAJA_MODULES, "caja")},
      {"thunar", "Thunar", moduleIn(PLOVANE_THUNAR_MODULES, "thunar")},
      {kDolphinProgram, "Dolphin", moduleIn(PLOVANE_DOLPHIN_MODULES, kDolphinProgram), true,
       "Configure Dolphin \u25b8 Context Menu"},
      {kStandInProgram, "Plovane Finder", std::nullopt},
  };
}

std::vector<FileManagerState> fileManagersFound(const std::vector<FileManager>& known,
                                                MenuSwitches& switches) {
  std::vector<FileManagerState> found;
  for (const auto& manager : known) {
    if (!manager.module) {
      found.push_back({manager, standInFound(), switches.isOn(manager.program)});
    } else if (platform::desktop::findOnPath({manager.program})) {
      std::error_code unreadable;
      found.push_back(
          {manager, fs::exists(*manager.module, unreadable), switches.isOn(manager.program)});
    }
  }
  return found;
}

}  // namespace platform::desktop
