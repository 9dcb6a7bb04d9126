#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/Bridge.h"

namespace plovane::bridge {

// The extension's menu reply (JSON) as entries a file manager can show: images become icon-theme
// names or files, and an entry that both acts and opens a submenu gets a first child that acts,
// since a GTK menu cannot click an entry that opens a submenu. Absent when the text is not a menu.
std::optional<std::vector<Entry>> entriesFromMenuReply(const std::string& json);

}  // namespace plovane::bridge
