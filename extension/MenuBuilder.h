#pragma once

#include <memory>

#include "extension/MenuInputs.h"
#include "platform/NSMenu.h"

namespace plovane {

// The context menu: the switched-on catalogue commands in catalogue order (tag = position),
// the custom folders with their contents as submenus (tag = index), then "Utility Kit"; inside
// one "Plovane Menu" entry when asked to. Reads nothing but its inputs; its cost grows with the
// number of entries and no faster.
std::shared_ptr<platform::NSMenu> buildMenu(MenuInputs inputs);

}  // namespace plovane
