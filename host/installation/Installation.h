#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plovane::host {

// Where an installation puts things: the bundles under the applications root, a copy of the
// stand-in in the programs folder, the bus's service file and the desktop entries under the data
// folder.
struct InstallPlaces {
  std::filesystem::path builtBundles;   // the bundles to copy
  std::filesystem::path finderProgram;  // this stand-in, copied so nothing runs from the build
  std::filesystem::path applications;
  std::filesystem::path programs;             // the copied stand-in, which its entry runs
  std::filesystem::path data;                 // $PLOVANE_HOME when set, else the XDG data home
  std::optional<std::filesystem::path> home;  // handed to the extension when it is started
};

InstallPlaces defaultInstallPlaces();

// Copies the bundles and the stand-in and writes the service file and the desktop entries, each
// as a new file renamed over the old one, so a program of an earlier install may still be
// running. Returns what was written, or throws std::filesystem::filesystem_error /
// std::runtime_error saying why not.
std::vector<std::filesystem::path> install(const InstallPlaces& places);

// Removes what `install` writes (and what an interrupted one left), never the settings. Returns
// what was there and is now gone.
std::vector<std::filesystem::path> uninstall(const InstallPlaces& places);

}  // namespace plovane::host
