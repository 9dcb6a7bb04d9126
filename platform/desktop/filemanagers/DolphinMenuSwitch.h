#pragma once

#include <optional>
#include <string>

namespace platform::desktop {

// Dolphin's program, as the switches name it.
inline constexpr char kDolphinProgram[] = "dolphin";

// Dolphin's own switch for the menu, the check box on its Context Menu settings page. Unticked, it
// writes "plovane-menu-dolphin=false" in group [Show] of kservicemenurc in the user's
// configuration folder, and Dolphin then skips the module; without that entry it shows it.
bool dolphinShowsMenu();

// Takes Dolphin's "off" out of the file, keeping every other byte; nothing to do without one.
// Why not, when the file could not be replaced; it then stays as it was.
std::optional<std::string> letDolphinShowMenu();

}  // namespace platform::desktop
