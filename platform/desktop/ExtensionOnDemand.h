#pragma once

#include <QDBusConnection>

#include "desktop/filemanagers/MenuSwitches.h"

namespace platform::desktop {

// Whether the extension serves the next right-click without running now: the session bus
// starts it on demand (its name is activatable) and the menu is on in at least one file manager
// that has its module, or in the stand-in. Asks the bus only for its list, so it starts nothing.
bool extensionStartsOnDemand(const QDBusConnection& connection, MenuSwitches& switches);

}  // namespace platform::desktop
