#pragma once

#include <glib-object.h>

#include <string>
#include <vector>

#include "core/Bridge.h"

namespace plovane::bridge::gtk3 {

// Makes the menu item's "activate" signal send the entry with the selection the menu was built
// for. An entry without an action, or with a submenu (which a GTK menu cannot click), gets nothing.
void performOnActivate(GObject* item, Bridge& bridge, const Entry& entry,
                       const std::vector<std::string>& paths);

}  // namespace plovane::bridge::gtk3
