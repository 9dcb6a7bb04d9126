// Loads a Thunar module the way Thunar does: a GTypeModule that is also the thunarx provider
// plugin, around g_module_open(LAZY | LOCAL), the module's initialize and list_types, one object
// per listed type. Thunar unloads a module that does not make itself resident, so such a module
// fails here. It asks the providers with file objects of its own, so the module runs without
// Thunar and without a display.

#include <gmodule.h>
#include <gtk/gtk.h>

extern "C" {
#include <thunarx/thunarx.h>
}

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "MenuHarness.h"

namespace {

namespace harness = plovane::bridge::harness;

// ---- The module, loaded as Thunar loads it -------------------------------------------------

struct HarnessPlugin {
  GTypeModule parent;
  GModule* library;
  gboolean resident;
  void (*initialize)(ThunarxProviderPlugin*);
  void (*shutdown)();
  void (*listTypes)(const GType**, gint*);
};

struct HarnessPluginClass {
  GTypeModuleClass parent;
};

HarnessPlugin* pluginOf(gpointer object) { return static_cast<HarnessPlugin*>(object); }

gboolean loadPlugin(GTypeModule* typeModule) {
  HarnessPlugin* plugin = pluginOf(typeModule);
  plugin->library = g_module_open(
      typeModule->name, static_cast<GModuleFlags>(G_MODULE_BIND_LAZY | G_MODULE_BIND_LOCAL));
  if (plugin->library == nullptr) {
    std::cerr << "cannot load " << typeModule->name << ": " << g_module_error() << "\n";
    return FALSE;
  }
  gpointer initialize = nullptr;
  gpointer shutdown = nullptr;
  gpointer listTypes = nullptr;
  if (!g_module_symbol(plugin->library, "thunar_extension_initialize", &initialize) ||
      !g_module_symbol(plugin->library, "thunar_extension_shutdown", &shutdown) ||
      !g_module_symbol(plugin->library, "thunar_extension_list_types", &listTypes)) {
    std::cerr << typeModule->name << " lacks an entry point: " << g_module_error() << "\n";
    g_module_close(plugin->library);
    plugin->library = nullptr;
    return FALSE;
  }
  plugin->initialize = reinterpret_cast<void (*)(ThunarxProviderPlugin*)>(initialize);
  plugin->shutdown = reinterpret_cast<void (*)()>(shutdown);
  plugin->listTypes = reinterpret_cast<void (*)(const GType**, gint*)>(listTypes);
  plugin->initialize(reinterpret_cast<ThunarxProviderPlugin*>(plugin));
  return TRUE;
}

void unloadPlugin(GTypeModule* typeModule) {
  HarnessPlugin* plugin = pluginOf(typeModule);
  plugin->shutdown();
  g_module_close(plugin->library);
  plugin->library = nullptr;
}

// As much of the provider-plugin interface as the module asks.
void setResident(ThunarxProviderPlugin* plugin, gboolean resident) {
  pluginOf(plugin)->resident = resident;
}

GType registerType(ThunarxProviderPlugin* plugin, GType parent, const gchar* name,
                   const GTypeInfo* info, GTypeFlags flags) {
  return g_type_module_register_type(G_TYPE_MODULE(plugin), parent, name, info, flags);
}

void addInterface(ThunarxProviderPlugin* plugin, GType instanceType, GType interfaceType,
                  const GInterfaceInfo* info) {
  g_type_module_add_interface(G_TYPE_MODULE(plugin), instanceType, interfaceType, info);
}

void initProviderPlugin(gpointer iface, gpointer) {
  auto* plugin = static_cast<ThunarxProviderPluginIface*>(iface);
  plugin->set_resident = setResident;
  plugin->register_type = registerType;
  plugin->add_interface = addInterface;
}

// The interface's "resident" property, kept in the same field.
enum { kResidentProperty = 1 };

void initPluginClass(gpointer klass, gpointer) {
  auto* object = G_OBJECT_CLASS(klass);
  object->get_property = [](GObject* plugin, guint, GValue* value, auto*) {
    g_value_set_boolean(value, pluginOf(plugin)->resident);
  };
  object->set_property = [](GObject* plugin, guint, const GValue* value, auto*) {
    pluginOf(plugin)->resident = g_value_get_boolean(value);
  };
  g_object_class_override_property(object, kResidentProperty, "resident");
  auto* typeModule = G_TYPE_MODULE_CLASS(klass);
  typeModule->load = loadPlugin;
  typeModule->unload = unloadPlugin;
}

GType harnessPluginType() {
  static const GType type = [] {
    GTypeInfo info{};
    info.class_size = sizeof(HarnessPluginClass);
    info.class_init = initPluginClass;
    info.instance_size = sizeof(HarnessPlugin);
    const GType registered =
        g_type_register_static(G_TYPE_TYPE_MODULE, "PlovaneHarnessThunarPlugin", &info, {});
    const GInterfaceInfo providerPlugin{initProviderPlugin, nullptr, nullptr};
    g_type_add_interface_static(registered, THUNARX_TYPE_PROVIDER_PLUGIN, &providerPlugin);
    return registered;
  }();
  return type;
}

// The objects of every type the module lists; empty when it cannot be loaded or would be
// unloaded by Thunar.
std::vector<GObject*> loadProviders(const char* path) {
  HarnessPlugin* plugin = pluginOf(g_object_new(harnessPluginType(), nullptr));
  auto* module = G_TYPE_MODULE(plugin);
  g_type_module_set_name(module, path);
  std::vector<GObject*> providers;
  if (!g_type_module_use(module)) return providers;
  if (!plugin->resident) {
    std::cerr << path << " does not make itself resident: Thunar would unload it\n";
    return providers;
  }
  const GType* types = nullptr;
  gint count = 0;
  plugin->listTypes(&types, &count);
  for (gint index = 0; index < count; ++index) {
    providers.push_back(G_OBJECT(g_object_new(types[index], nullptr)));
  }
  return providers;
}

// ---- File objects: as much of the file-info interface as the module asks ------------------

struct HarnessFile {
  GObject parent;
  GFile* location;
};

GObjectClass* fileParentClass = nullptr;

GFile* locationOf(ThunarxFileInfo* info) {
  return G_FILE(g_object_ref(reinterpret_cast<HarnessFile*>(info)->location));
}

// thunarx makes sure the folder of a folder menu is one.
gboolean isDirectory(ThunarxFileInfo* info) {
  GFile* location = reinterpret_cast<HarnessFile*>(info)->location;
  return g_file_query_file_type(location, G_FILE_QUERY_INFO_NONE, nullptr) == G_FILE_TYPE_DIRECTORY;
}

void initFileInfo(gpointer iface, gpointer) {
  auto* fileInfo = static_cast<ThunarxFileInfoIface*>(iface);
  fileInfo->get_location = locationOf;
  fileInfo->is_directory = isDirectory;
}

void finalizeFile(GObject* object) {
  g_object_unref(reinterpret_cast<HarnessFile*>(object)->location);
  fileParentClass->finalize(object);
}

void initFileClass(gpointer klass, gpointer) {
  fileParentClass = G_OBJECT_CLASS(g_type_class_peek_parent(klass));
  G_OBJECT_CLASS(klass)->finalize = finalizeFile;
}

GType harnessFileType() {
  static const GType type = [] {
    GTypeInfo info{};
    info.class_size = sizeof(GObjectClass);
    info.class_init = initFileClass;
    info.instance_size = sizeof(HarnessFile);
    const GType registered =
        g_type_register_static(G_TYPE_OBJECT, "PlovaneHarnessThunarFile", &info, {});
    const GInterfaceInfo fileInfo{initFileInfo, nullptr, nullptr};
    g_type_add_interface_static(registered, THUNARX_TYPE_FILE_INFO, &fileInfo);
    return registered;
  }();
  return type;
}

ThunarxFileInfo* fileFor(const std::string& path) {
  auto* file = static_cast<HarnessFile*>(g_object_new(harnessFileType(), nullptr));
  file->location = harness::locationFor(path);
  return reinterpret_cast<ThunarxFileInfo*>(file);
}

// ---- Thunar's side ---------------------------------------------------------------------------

class Thunar final : public harness::FileManager {
 public:
  explicit Thunar(std::vector<GObject*> providers) : providers_(std::move(providers)) {
    // Thunar's calls into a provider insist on its window, which GTK makes only at a display.
    if (gtk_init_check(nullptr, nullptr)) window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  }

  GList* menu(bool background, const std::vector<std::string>& paths) override {
    GList* files = nullptr;
    for (const auto& path : paths) files = g_list_append(files, fileFor(path));
    GList* items = nullptr;
    for (GObject* provider : menuProviders()) {
      auto* menuProvider = THUNARX_MENU_PROVIDER(provider);
      GList* own = background ? folderItems(menuProvider, THUNARX_FILE_INFO(files->data))
                              : fileItems(menuProvider, files);
      items = g_list_concat(items, own);
    }
    g_list_free_full(files, g_object_unref);
    return items;
  }

  GList* itemsOf(GObject* submenu) override {
    return thunarx_menu_get_items(THUNARX_MENU(submenu));
  }

  void activate(GObject* item) override { thunarx_menu_item_activate(THUNARX_MENU_ITEM(item)); }

  std::vector<GObject*> menuProviders() override {
    std::vector<GObject*> found;
    for (GObject* provider : providers_) {
      if (THUNARX_IS_MENU_PROVIDER(provider)) found.push_back(provider);
    }
    return found;
  }

  // Thunar has no signal to ask for the items again; it asks at the next popup.
  const char* itemsUpdatedSignal() override { return nullptr; }

  const char* requiredTooltip() override { return nullptr; }

  // Thunar shows no badges: nothing to ask.
  bool requestEmblems(const std::vector<std::string>&) override { return true; }

 private:
  // As Thunar asks, through thunarx with its window; without a display, straight from the
  // provider's interface, as thunarx does once it has checked the window.
  GList* fileItems(ThunarxMenuProvider* provider, GList* files) {
    if (window_ != nullptr) {
      return thunarx_menu_provider_get_file_menu_items(provider, window_, files);
    }
    auto* iface = THUNARX_MENU_PROVIDER_GET_IFACE(provider);
    return iface->get_file_menu_items != nullptr
               ? iface->get_file_menu_items(provider, nullptr, files)
               : nullptr;
  }

  GList* folderItems(ThunarxMenuProvider* provider, ThunarxFileInfo* folder) {
    if (window_ != nullptr) {
      return thunarx_menu_provider_get_folder_menu_items(provider, window_, folder);
    }
    auto* iface = THUNARX_MENU_PROVIDER_GET_IFACE(provider);
    return iface->get_folder_menu_items != nullptr
               ? iface->get_folder_menu_items(provider, nullptr, folder)
               : nullptr;
  }

  std::vector<GObject*> providers_;  // never released, as Thunar keeps a resident module's
  GtkWidget* window_ = nullptr;      // never shown
};

std::unique_ptr<harness::FileManager> load(const char* modulePath) {
  std::vector<GObject*> providers = loadProviders(modulePath);
  if (providers.empty()) return nullptr;
  return std::make_unique<Thunar>(std::move(providers));
}

}  // namespace

int main(int argc, char** argv) { return harness::runHarness(argc, argv, load); }
