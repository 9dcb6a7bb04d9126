// The Nemo or Caja module (one source, built once for each): the extension's entries in the
// selection's and the folder background's context menus, and the shown files' badge requests.

#include <gmodule.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Bridge.h"
#include "gtk3/LocalPaths.h"
#include "gtk3/MenuItems.h"
#include "gtk3/NemoCajaApi.h"
#include "gtk3/RefreshWhenNoMenuIsOpen.h"

namespace {

namespace fm = plovane::bridge::gtk3;
using plovane::bridge::Bridge;
using plovane::bridge::MenuKind;

GType providerType = G_TYPE_INVALID;

Bridge& bridge() { return Bridge::shared(fm::kManager); }

constexpr fm::MenuCalls<fm::MenuItem, fm::Menu> kMenuCalls{fm::newMenuItem, fm::newMenu,
                                                           fm::appendItem, fm::setSubmenu};

GList* menuFor(MenuKind kind, const std::optional<std::vector<std::string>>& paths) {
  return fm::menuItems(kMenuCalls, bridge(), kind, paths);
}

GList* fileItems(fm::MenuProvider*, GtkWidget*, GList* files) {
  return menuFor(MenuKind::items, fm::localPaths(files, fm::locationOf));
}

GList* backgroundItems(fm::MenuProvider*, GtkWidget*, fm::FileInfo* folder) {
  // Both file managers sometimes ask for a background without a folder.
  if (folder == nullptr) return nullptr;
  auto path = fm::takeLocalPath(fm::locationOf(folder));
  if (!path) return nullptr;
  return menuFor(MenuKind::container, std::vector<std::string>{std::move(*path)});
}

// Badges are set by the extension through its own channel; the request only has to reach it, so
// the file manager never waits.
fm::OperationResult updateFileInfo(fm::InfoProvider*, fm::FileInfo* file, GClosure*,
                                   fm::OperationHandle**) {
  if (auto path = fm::takeLocalPath(fm::locationOf(file))) bridge().requestBadge(*path);
  return fm::kOperationComplete;
}

void initMenuProvider(gpointer iface, gpointer) {
  auto* menuProvider = static_cast<fm::MenuProviderIface*>(iface);
  menuProvider->get_file_items = fileItems;
  menuProvider->get_background_items = backgroundItems;
}

void initInfoProvider(gpointer iface, gpointer) {
  static_cast<fm::InfoProviderIface*>(iface)->update_file_info = updateFileInfo;
}

void initProvider(GTypeInstance* instance, gpointer) {
  // A weak reference: the bridge outlives any provider the file manager lets go of.
  std::shared_ptr<GWeakRef> provider(new GWeakRef, [](GWeakRef* ref) {
    g_weak_ref_clear(ref);
    delete ref;
  });
  g_weak_ref_init(provider.get(), instance);
  bridge().setItemsChanged([provider] {
    fm::refreshWhenNoMenuIsOpen([provider] {
      if (gpointer object = g_weak_ref_get(provider.get())) {
        fm::emitItemsUpdated(static_cast<fm::MenuProvider*>(object));
        g_object_unref(object);
      }
    });
  });
}

void registerProvider(GTypeModule* module) {
  GTypeInfo info{};
  info.class_size = sizeof(GObjectClass);
  info.instance_size = sizeof(GObject);
  info.instance_init = initProvider;
  providerType =
      g_type_module_register_type(module, G_TYPE_OBJECT, fm::kProviderTypeName, &info, {});
  const GInterfaceInfo menuProvider{initMenuProvider, nullptr, nullptr};
  g_type_module_add_interface(module, providerType, fm::menuProviderType(), &menuProvider);
  const GInterfaceInfo infoProvider{initInfoProvider, nullptr, nullptr};
  g_type_module_add_interface(module, providerType, fm::infoProviderType(), &infoProvider);
}

}  // namespace

extern "C" {

G_MODULE_EXPORT void PLOVANE_FM_SYMBOL(module_initialize)(GTypeModule* module) {
  registerProvider(module);
}

// Required by the file manager; the bridge stays until the process ends.
G_MODULE_EXPORT void PLOVANE_FM_SYMBOL(module_shutdown)() {}

G_MODULE_EXPORT void PLOVANE_FM_SYMBOL(module_list_types)(const GType** types, int* count) {
  *types = &providerType;
  *count = 1;
}

}  // extern "C"
