#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// The settings files the store moved aside that nobody was told of yet: one file name a line in
// "<folder>/set-aside.list", kept beside them because any program may move one aside (the
// extension reads the store first, often before the settings app runs) while only the app can
// tell the person. Both ends hold an exclusive flock on the list itself.

// Adds `fileName` (a file in `folder`). Returns an error description on failure.
std::optional<std::string> recordSetAside(const std::filesystem::path& folder,
                                          const std::string& fileName);

// The recorded names of files still in `folder`, each once, in the order moved; the record is
// emptied.
std::vector<std::string> takeSetAside(const std::filesystem::path& folder);

}  // namespace platform
