#pragma once

#include <filesystem>
#include <optional>

// Where this user's settings live, read the same way by the store, the file-manager modules and
// the installation. An environment variable that is set but empty counts as unset.
namespace platform::protocol {

// $PLOVANE_HOME: the one folder a test or a per-user installation puts everything of ours in.
std::optional<std::filesystem::path> plovaneHome();

// The user's data folder: $XDG_DATA_HOME, else $HOME/.local/share; none without either.
std::optional<std::filesystem::path> userDataHome();

// $PLOVANE_HOME, else the data folder's "plovane-menu", else that below the working directory.
std::filesystem::path settingsRoot();

}  // namespace platform::protocol
