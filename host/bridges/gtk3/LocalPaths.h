#pragma once

#include <gio/gio.h>

#include <optional>
#include <string>
#include <vector>

namespace plovane::bridge::gtk3 {

// The file's path on this machine, as bytes, or none for a file elsewhere (a network share, the
// trash). Takes the caller's reference to `location`, as the file managers hand it out.
std::optional<std::string> takeLocalPath(GFile* location);

// The local paths of the file manager's selection (a list of its file objects), or none when it is
// empty or any item has no local path: the extension only knows local files.
template <typename FileInfo>
std::optional<std::vector<std::string>> localPaths(GList* files, GFile* (*locationOf)(FileInfo*)) {
  if (files == nullptr) return std::nullopt;
  std::vector<std::string> paths;
  for (GList* link = files; link != nullptr; link = link->next) {
    auto path = takeLocalPath(locationOf(static_cast<FileInfo*>(link->data)));
    if (!path) return std::nullopt;
    paths.push_back(std::move(*path));
  }
  return paths;
}

}  // namespace plovane::bridge::gtk3
