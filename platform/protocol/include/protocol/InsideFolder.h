#pragma once

#include <span>
#include <string>
#include <string_view>

// The one rule for "inside a monitored folder", shared by the extension's bus service and the
// file-manager modules (no Qt, no GLib: both link it).
namespace platform::protocol {

// `path` made absolute (against the working directory) with every ".", ".." and empty component
// taken out, so "/w/../x//y/" reads "/x/y". Lexical only: symbolic links are not looked at.
// Empty for an empty path, or a relative one when there is no working directory.
std::string normalisedPath(std::string_view path);

// Whether `item` is `folder` or lies below it, compared whole component by whole component once
// both are normalised. An empty folder holds nothing.
bool isInsideFolder(std::string_view folder, std::string_view item);

// `path` as the kernel follows it: every symbolic link of the part that exists resolved, the rest
// normalised. Empty when it cannot be resolved (a loop of links, a folder that cannot be read).
std::string resolvedPath(std::string_view path);

// Whether the file manager asks the extension about `item`: it is one of `folders` or lies below
// one, by the lexical rule above.
bool isInsideAnyFolder(std::span<const std::string> folders, std::string_view item);

// Whether an entry may act on `item`: inside as above, and still inside once the symbolic links
// of both the item and the folders are resolved, since the command follows them.
bool actsInsideAnyFolder(std::span<const std::string> folders, std::string_view item);

}  // namespace platform::protocol
