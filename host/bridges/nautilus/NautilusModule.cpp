// The module Nautilus 43 (extension API 4) loads from its extension folder: one provider type
// that answers the context menus of a selection and of a folder's background from the
// extension, and forwards the badge requests of the files it shows. Everything else is the
// core's: which folders are served, the wait, starting the extension, the batching.
#include <gio/gio.h>
#include <glib-object.h>
#include <gmodule.h>

// Nautilus 43 declares the module functions outside its C-linkage block.
extern "C" {
#include <nautilus-extension.h>
}

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/Bridge.h"

namespace {

using plovane::bridge::Bridge;
using plovane::bridge::Entry;
using plovane::bridge::MenuKind;

constexpr char kManager[] = "nautilus";
constexpr char kItemNamePrefix[] = "PlovaneMenu";

struct Provider {
  GObject parent;
};

struct ProviderClass {
  GObjectClass parent;
};

GType providerType = 0;
GType moduleTypes[1];

// The live provider objects (Nautilus makes one): each is told when the items changed.
std::vector<GObject*>& liveProviders() {
  static std::vector<GObject*> providers;
  return providers;
}

Bridge& bridge() { return Bridge::shared(kManager); }

// What activating an item sends: its entry and the selection the menu was built for.
struct Activation {
  Entry entry;
  std::shared_ptr<const std::vector<std::string>> paths;
};

// The local path of a file Nautilus shows, as the file system's bytes; absent without one.
bool appendLocalPath(NautilusFileInfo* file, std::vector<std::string>& paths) {
  if (file == nullptr) return false;
  GFile* location = nautilus_file_info_get_location(file);
  if (location == nullptr) return false;
  char* path = g_file_get_path(location);
  g_object_unref(location);
  if (path == nullptr) return false;
  paths.emplace_back(path);
  g_free(path);
  return true;
}

void activateItem(NautilusMenuItem*, gpointer data) {
  const auto* activation = static_cast<const Activation*>(data);
  bridge().perform(activation->entry, *activation->paths);
}

void freeActivation(gpointer data, GClosure*) { delete static_cast<Activation*>(data); }

NautilusMenuItem* itemFor(const Entry& entry, const std::string& name,
                          const std::shared_ptr<const std::vector<std::string>>& paths);

// Items named after their place in the menu ("PlovaneMenu_2_0"), so every name is unique.
GList* itemsFor(const std::vector<Entry>& entries, const std::string& prefix,
                const std::shared_ptr<const std::vector<std::string>>& paths) {
  GList* items = nullptr;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    items = g_list_prepend(
        items, itemFor(entries[index], prefix + "_" + std::to_string(index), paths));
  }
  return g_list_reverse(items);
}

NautilusMenuItem* itemFor(const Entry& entry, const std::string& name,
                          const std::shared_ptr<const std::vector<std::string>>& paths) {
  // Nautilus 43 draws no icons on extension items; the name is handed on for later releases.
  NautilusMenuItem* item = nautilus_menu_item_new(name.c_str(), entry.title.c_str(), "",
                                                  entry.icon.empty() ? nullptr : entry.icon.c_str());
  g_object_set(item, "sensitive", entry.enabled ? TRUE : FALSE, nullptr);
  if (!entry.action.empty()) {
    Entry sent = entry;
    sent.submenu.clear();
    g_signal_connect_data(item, "activate", G_CALLBACK(activateItem),
                          new Activation{std::move(sent), paths}, freeActivation,
                          static_cast<GConnectFlags>(0));
  }
  if (!entry.submenu.empty()) {
    NautilusMenu* submenu = nautilus_menu_new();
    GList* children = itemsFor(entry.submenu, name, paths);
    for (GList* child = children; child != nullptr; child = child->next) {
      nautilus_menu_append_item(submenu, NAUTILUS_MENU_ITEM(child->data));
    }
    nautilus_menu_item_list_free(children);
    nautilus_menu_item_set_submenu(item, submenu);
    g_object_unref(submenu);
  }
  return item;
}

GList* menuFor(MenuKind kind, std::vector<std::string> paths) {
  if (paths.empty()) return nullptr;
  const std::vector<Entry> entries = bridge().menu(kind, paths);
  if (entries.empty()) return nullptr;
  auto selection = std::make_shared<const std::vector<std::string>>(std::move(paths));
  return itemsFor(entries, kItemNamePrefix, selection);
}

GList* getFileItems(NautilusMenuProvider*, GList* files) {
  std::vector<std::string> paths;
  for (GList* file = files; file != nullptr; file = file->next) {
    if (!appendLocalPath(static_cast<NautilusFileInfo*>(file->data), paths)) return nullptr;
  }
  return menuFor(MenuKind::items, std::move(paths));
}

GList* getBackgroundItems(NautilusMenuProvider*, NautilusFileInfo* folder) {
  std::vector<std::string> paths;
  if (!appendLocalPath(folder, paths)) return nullptr;
  return menuFor(MenuKind::container, std::move(paths));
}

// The extension registers no badge images, so nothing is drawn; the requests still reach it.
NautilusOperationResult updateFileInfo(NautilusInfoProvider*, NautilusFileInfo* file, GClosure*,
                                       NautilusOperationHandle** handle) {
  if (handle != nullptr) *handle = nullptr;
  std::vector<std::string> paths;
  if (appendLocalPath(file, paths)) bridge().requestBadge(paths.front());
  return NAUTILUS_OPERATION_COMPLETE;
}

void cancelUpdate(NautilusInfoProvider*, NautilusOperationHandle*) {}

void menuProviderInit(gpointer iface, gpointer) {
  auto* menu = static_cast<NautilusMenuProviderInterface*>(iface);
  menu->get_file_items = getFileItems;
  menu->get_background_items = getBackgroundItems;
}

void infoProviderInit(gpointer iface, gpointer) {
  auto* info = static_cast<NautilusInfoProviderInterface*>(iface);
  info->update_file_info = updateFileInfo;
  info->cancel_update = cancelUpdate;
}

void itemsChanged() {
  // A handler may drop a provider; emit on a copy, each kept alive meanwhile.
  std::vector<GObject*> providers = liveProviders();
  for (GObject* provider : providers) g_object_ref(provider);
  for (GObject* provider : providers) {
    nautilus_menu_provider_emit_items_updated_signal(NAUTILUS_MENU_PROVIDER(provider));
    g_object_unref(provider);
  }
}

GObjectClass* providerParentClass = nullptr;

void providerFinalize(GObject* object) {
  auto& providers = liveProviders();
  std::erase(providers, object);
  providerParentClass->finalize(object);
}

void providerClassInit(gpointer klass, gpointer) {
  providerParentClass = G_OBJECT_CLASS(g_type_class_peek_parent(klass));
  G_OBJECT_CLASS(klass)->finalize = providerFinalize;
}

void providerInit(GTypeInstance* instance, gpointer) {
  static bool told = false;
  if (!told) {
    told = true;
    bridge().setItemsChanged(itemsChanged);
  }
  liveProviders().push_back(G_OBJECT(instance));
}

void registerProvider(GTypeModule* module) {
  static const GTypeInfo info = {
      sizeof(ProviderClass), nullptr, nullptr, providerClassInit, nullptr, nullptr,
      sizeof(Provider),      0,       providerInit, nullptr};
  providerType = g_type_module_register_type(module, G_TYPE_OBJECT, "PlovaneMenuNautilusProvider",
                                             &info, static_cast<GTypeFlags>(0));
  static const GInterfaceInfo menuInfo = {menuProviderInit, nullptr, nullptr};
  g_type_module_add_interface(module, providerType, NAUTILUS_TYPE_MENU_PROVIDER, &menuInfo);
  static const GInterfaceInfo infoInfo = {infoProviderInit, nullptr, nullptr};
  g_type_module_add_interface(module, providerType, NAUTILUS_TYPE_INFO_PROVIDER, &infoInfo);
}

}  // namespace

extern "C" {

G_MODULE_EXPORT void nautilus_module_initialize(GTypeModule* module) {
  registerProvider(module);
  moduleTypes[0] = providerType;
}

G_MODULE_EXPORT void nautilus_module_shutdown(void) {}

G_MODULE_EXPORT void nautilus_module_list_types(const GType** types, int* num_types) {
  *types = moduleTypes;
  *num_types = static_cast<int>(G_N_ELEMENTS(moduleTypes));
}

}  // extern "C"
