#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/NSMenu.h"
#include "platform/NSURL.h"

namespace plovane::host {

// What `menu` and `choose` do the same whichever way the extension is hosted. Each check says
// on standard error why it refused.
bool selectionIsMonitored(const std::set<platform::NSURL>& directories,
                          const std::vector<platform::NSURL>& selection);
std::optional<platform::NSMenuItem> chosenEntry(const platform::NSMenu& menu,
                                                const std::string& item);
void printMenu(const platform::NSMenu& menu, bool json);

// Whether this user left the menu on in the stand-in (in the Extensions pane); when not, it says
// so on standard error and the extension is not asked.
bool menuSwitchedOn();

// Whether this process can reach a session bus at all, without starting one.
bool sessionBusAvailable();

}  // namespace plovane::host
