#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace plovane::host {

// Where an installation puts things: the bundles under the applications root, the bus's
// service file and the desktop entry under the data folder.
struct InstallPlaces {
  std::filesystem::path builtBundles;   // the bundles to copy
  std::filesystem::path finderProgram;  // this stand-in, for its desktop entry
  std::filesystem::path applications;
  std::filesystem::path data;                 // $PLOVANE_HOME when set, else the XDG data home
  std::optional<std::filesystem::path> home;  // handed to the extension when it is started
};

InstallPlaces defaultInstallPlaces();

// Copies the bundles and writes the service file and the desktop entry. Returns what was
// written, or throws std::filesystem::filesystem_error / std::runtime_error saying why not.
std::vector<std::filesystem::path> install(const InstallPlaces& places);

}  // namespace plovane::host
