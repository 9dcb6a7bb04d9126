#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/NSMenu.h"

namespace plovane::host {

// The titles from the top of the menu down to one entry: "Plovane Menu > Open Terminal".
std::vector<std::string> parseTitlePath(const std::string& text);

// The entry at that path of titles; absent when some title is not there.
std::optional<platform::NSMenuItem> findEntry(const platform::NSMenu& menu,
                                              const std::vector<std::string>& titles);

}  // namespace plovane::host
