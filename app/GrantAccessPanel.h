#pragma once

#include <memory>

#include "platform/NSPanels.h"

namespace plovane::app {

// The panel in which the user grants the app a folder: folders only, starting at the file
// system's root, with "Grant Access" on its default button.
std::shared_ptr<platform::NSOpenPanel> makeGrantAccessPanel(bool allowsMultipleSelection);

}  // namespace plovane::app
