// Loads a Thunar module the way Thunar does: a GTypeModule that is also the thunarx provider
// plugin, around g_module_open(LAZY | LOCAL), the module's initialize and list_types, one object
// per listed type. Thunar unloads a module that does not make itself resident, so such a module
// fails here. It asks the providers with file objects of its own, so the module runs without
// Thunar and without a display.

#include <gtk/gtk.h>

extern "C" {
#include <thunarx/thunarx.h>
}

#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "MenuHarness.h"

namespace {

namespace harness = plovane::bridge::harness;

// ---- The module, loaded as Thunar loads it -------------------------------------------------

struct HarnessPlugin {
  harness::Module parent;
  gboolean resident;
};

struct HarnessPluginClass {
  harness::ModuleClass parent;
};

HarnessPlugin* pluginOf(gpointer object) { return static_cast<HarnessPlugin*>(object); }

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
}

GType harnessPluginType() {
  static const GType type = [] {
    const GType registered = g_type_register_static_simple(
        harness::moduleType(), "PlovaneHarnessThunarPlugin", sizeof(HarnessPluginClass),
        initPluginClass, sizeof(HarnessPlugin), nullptr, {});
    const GInterfaceInfo providerPlugin{initProviderPlugin, nullptr, nullptr};
    g_type_add_interface_static(registered, THUNARX_TYPE_PROVIDER_PLUGIN, &providerPlugin);
    return registered;
  }();
  return type;
}

// ---- File objects: as much of the file-info interface as the module asks ------------------

void initFileInfo(gpointer iface, gpointer) {
  auto* fileInfo = static_cast<ThunarxFileInfoIface*>(iface);
  fileInfo->get_location = [](ThunarxFileInfo* info) {
    return G_FILE(g_object_ref(harness::locationOf(info)));
  };
  // thunarx makes sure the folder of a folder menu is one.
  fileInfo->is_directory = [](ThunarxFileInfo* info) -> gboolean {
    return g_file_query_file_type(harness::locationOf(info), G_FILE_QUERY_INFO_NONE, nullptr) ==
           G_FILE_TYPE_DIRECTORY;
  };
}

// ---- Thunar's side ---------------------------------------------------------------------------

class Thunar final : public harness::FileManager {
 public:
  explicit Thunar(std::vector<GObject*> objects)
      : FileManager(std::move(objects), harness::fileType("PlovaneHarnessThunarFile",
                                                          THUNARX_TYPE_FILE_INFO, initFileInfo)) {
    // Thunar's calls into a provider insist on its window, which GTK makes only at a display.
    if (gtk_init_check(nullptr, nullptr)) window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  }

  GType menuProviderType() override { return THUNARX_TYPE_MENU_PROVIDER; }

  // As Thunar asks, through thunarx with its window; without a display, straight from the
  // provider's interface, as thunarx does once it has checked the window.
  GList* itemsFrom(GObject* object, bool background, GList* files) override {
    auto* provider = THUNARX_MENU_PROVIDER(object);
    auto* folder = THUNARX_FILE_INFO(files->data);
    if (window_ != nullptr) {
      return background ? thunarx_menu_provider_get_folder_menu_items(provider, window_, folder)
                        : thunarx_menu_provider_get_file_menu_items(provider, window_, files);
    }
    auto* iface = THUNARX_MENU_PROVIDER_GET_IFACE(provider);
    if (background) {
      return iface->get_folder_menu_items != nullptr
                 ? iface->get_folder_menu_items(provider, nullptr, folder)
                 : nullptr;
    }
    return iface->get_file_menu_items != nullptr
               ? iface->get_file_menu_items(provider, nullptr, files)
               : nullptr;
  }

  GList* itemsOf(GObject* submenu) override {
    return thunarx_menu_get_items(THUNARX_MENU(submenu));
  }

  void activate(GObject* item) override { thunarx_menu_item_activate(THUNARX_MENU_ITEM(item)); }

  // Thunar has no signal to ask for the items again; it asks at the next popup.
  const char* itemsUpdatedSignal() override { return nullptr; }

  const char* requiredTooltip() override { return nullptr; }

  // Thunar shows no badges: nothing to ask.
  bool requestEmblems(const std::vector<std::string>&) override { return true; }

 private:
  GtkWidget* window_ = nullptr;  // never shown
};

// A module that made itself resident stays in use for good, as Thunar keeps it.
std::unique_ptr<harness::FileManager> load(const char* modulePath) {
  harness::Module* module =
      harness::useModule(harnessPluginType(), modulePath,
                         {"thunar_extension_initialize", "thunar_extension_shutdown",
                          "thunar_extension_list_types", false});
  if (module == nullptr) return nullptr;
  if (!pluginOf(module)->resident) {
    std::cerr << modulePath << " does not make itself resident: Thunar would unload it\n";
    return nullptr;
  }
  return std::make_unique<Thunar>(harness::objectsOf(module));
}

}  // namespace

int main(int argc, char** argv) { return harness::runHarness(argc, argv, load); }
