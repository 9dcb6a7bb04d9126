#pragma once

#include <glib-object.h>

#include <optional>
#include <string>
#include <vector>

#include "core/Bridge.h"
#include "gtk3/PerformOnActivate.h"

namespace plovane::bridge::gtk3 {

// The calls in which the GTK 3 file managers' menu APIs differ; their items alike have the
// "sensitive" property and the "activate" signal.
template <typename Item, typename Menu>
struct MenuCalls {
  Item* (*newItem)(const char* name, const char* label, const char* tooltip, const char* icon);
  Menu* (*newMenu)();
  void (*append)(Menu* menu, Item* item);
  void (*setSubmenu)(Item* item, Menu* submenu);
};

template <typename Item, typename Menu>
Item* menuItemFor(const MenuCalls<Item, Menu>& calls, Bridge& bridge, const Entry& entry,
                  const std::string& name, const std::vector<std::string>& paths) {
  const char* icon = entry.icon.empty() ? nullptr : entry.icon.c_str();
  // The title doubles as the tooltip: Caja refuses an item without one.
  Item* item = calls.newItem(name.c_str(), entry.title.c_str(), entry.title.c_str(), icon);
  g_object_set(item, "sensitive", entry.enabled ? TRUE : FALSE, nullptr);
  if (!entry.submenu.empty()) {
    Menu* submenu = calls.newMenu();
    for (std::size_t index = 0; index < entry.submenu.size(); ++index) {
      Item* child = menuItemFor(calls, bridge, entry.submenu[index],
                                name + "-" + std::to_string(index), paths);
      calls.append(submenu, child);
      g_object_unref(child);
    }
    calls.setSubmenu(item, submenu);
    g_object_unref(submenu);
  }
  performOnActivate(G_OBJECT(item), bridge, entry, paths);
  return item;
}

// The extension's menu for local paths as the file manager's items (a new list with references),
// or null for no menu: no paths (an item that is not local), or nothing to show.
template <typename Item, typename Menu>
GList* menuItems(const MenuCalls<Item, Menu>& calls, Bridge& bridge, MenuKind kind,
                 const std::optional<std::vector<std::string>>& paths) {
  if (!paths) return nullptr;
  const std::vector<Entry> entries = bridge.menu(kind, *paths);
  GList* items = nullptr;
  // Names are unique within the menu: the file managers make actions of them.
  for (std::size_t index = 0; index < entries.size(); ++index) {
    items = g_list_prepend(items, menuItemFor(calls, bridge, entries[index],
                                              "PlovaneMenu-" + std::to_string(index), *paths));
  }
  return g_list_reverse(items);
}

}  // namespace plovane::bridge::gtk3
