#pragma once

#include <sys/types.h>

#include <filesystem>
#include <vector>

#include "desktop/filemanagers/FileManagers.h"

namespace platform::desktop {

// A process of a file manager that this user runs.
struct FileManagerProcess {
  pid_t pid = 0;
  // Its memory map names the module's file. Most file managers load modules only as they start,
  // so one that runs without it shows the menu only once it is started again; one that looks for
  // modules at each menu maps it at its first menu after the install.
  bool moduleLoaded = false;
  // The folders its command line named, absolute: what it showed when it started.
  std::vector<std::filesystem::path> folders;
};

// This user's processes of `manager`, found under /proc by program name. None for the stand-in,
// whose menu is its own.
std::vector<FileManagerProcess> runningProcessesOf(const FileManager& manager);

// Whether `state`'s module is installed and some process of it runs without it that would load it
// only when started again.
bool mustRestart(const FileManagerState& state);

// Whether the process is gone; one that has exited and waits for its parent counts as gone.
bool processGone(pid_t pid);

}  // namespace platform::desktop
