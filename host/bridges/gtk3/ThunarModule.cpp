// The Thunar module: the extension's entries in the selection's and the folder's context menus.

#include <gmodule.h>
#include <gtk/gtk.h>

// thunarx declares part of its API without C linkage of its own.
extern "C" {
#include <thunarx/thunarx.h>
}

#include <optional>
#include <string>
#include <vector>

#include "core/Bridge.h"
#include "gtk3/LocalPaths.h"
#include "gtk3/MenuItems.h"

namespace {

namespace gtk3 = plovane::bridge::gtk3;
using plovane::bridge::Bridge;
using plovane::bridge::MenuKind;

GType providerType = G_TYPE_INVALID;

// Thunar has no signal to ask for the items again: when the bridge starts the extension in the
// background, the next popup shows the entries. So no items-changed callback is set.
Bridge& bridge() { return Bridge::shared("thunar"); }

constexpr gtk3::MenuCalls<ThunarxMenuItem, ThunarxMenu> kMenuCalls{
    thunarx_menu_item_new, thunarx_menu_new, thunarx_menu_append_item, thunarx_menu_item_set_menu};

GList* menuFor(MenuKind kind, const std::optional<std::vector<std::string>>& paths) {
  return gtk3::menuItems(kMenuCalls, bridge(), kind, paths);
}

GList* fileMenuItems(ThunarxMenuProvider*, GtkWidget*, GList* files) {
  return menuFor(MenuKind::items, gtk3::localPaths(files, thunarx_file_info_get_location));
}

GList* folderMenuItems(ThunarxMenuProvider*, GtkWidget*, ThunarxFileInfo* folder) {
  if (folder == nullptr) return nullptr;
  auto path = gtk3::takeLocalPath(thunarx_file_info_get_location(folder));
  if (!path) return nullptr;
  return menuFor(MenuKind::container, std::vector<std::string>{std::move(*path)});
}

void initMenuProvider(gpointer iface, gpointer) {
  auto* menuProvider = static_cast<ThunarxMenuProviderIface*>(iface);
  menuProvider->get_file_menu_items = fileMenuItems;
  menuProvider->get_folder_menu_items = folderMenuItems;
}

}  // namespace

extern "C" {

G_MODULE_EXPORT void thunar_extension_initialize(ThunarxProviderPlugin* plugin) {
  // Thunar unloads a module it is not using, which would take the bridge's bus callbacks with it.
  thunarx_provider_plugin_set_resident(plugin, TRUE);
  GTypeInfo info{};
  info.class_size = sizeof(GObjectClass);
  info.instance_size = sizeof(GObject);
  providerType = thunarx_provider_plugin_register_type(plugin, G_TYPE_OBJECT,
                                                       "PlovaneMenuThunarProvider", &info, {});
  const GInterfaceInfo menuProvider{initMenuProvider, nullptr, nullptr};
  thunarx_provider_plugin_add_interface(plugin, providerType, THUNARX_TYPE_MENU_PROVIDER,
                                        &menuProvider);
  // Loaded means Thunar runs: the bridge starts the extension now, not at the first right-click.
  bridge();
}

// Required by Thunar; the module is resident, so this never runs before the process ends.
G_MODULE_EXPORT void thunar_extension_shutdown() {}

G_MODULE_EXPORT void thunar_extension_list_types(const GType** types, gint* count) {
  *types = &providerType;
  *count = 1;
}

}  // extern "C"
