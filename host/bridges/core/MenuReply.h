#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "core/Bridge.h"

namespace plovane::bridge {

// Whoever owns the extension's bus name answers, so a reply is bounded before it is parsed: the
// extension's menus are at most three levels deep (the wrapper, a custom folder, its contents)
// and a few kilobytes per entry at the most.
inline constexpr std::size_t kMaxMenuReplyBytes = 256 * 1024;
inline constexpr int kMaxMenuLevels = 8;

// The extension's menu reply (JSON) as entries a file manager can show: images become icon-theme
// names or files inside the bundle's resources, titles valid UTF-8, and an entry that both acts
// and opens a submenu gets a first child that acts, since a GTK menu cannot click an entry that
// opens a submenu. Absent when the text is not a menu, or is refused (larger or deeper than the
// bounds above, said in one log line) without being parsed. Linear in the reply's size.
std::optional<std::vector<Entry>> entriesFromMenuReply(std::string_view json);

}  // namespace plovane::bridge
