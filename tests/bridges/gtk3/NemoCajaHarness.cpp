// Loads a Nemo or Caja module (built once for each, like the module) the way that file manager
// does: a GTypeModule around g_module_open(LAZY | LOCAL), the module's initialize and list_types,
// one object per listed type, kept for good. It asks the providers with file objects of its own,
// so the module runs without the file manager and without a display.

#include <gmodule.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "MenuHarness.h"
#include "gtk3/NemoCajaApi.h"

namespace {

namespace fm = plovane::bridge::gtk3;
namespace harness = plovane::bridge::harness;

// ---- The module, loaded as the file manager loads it -------------------------------------

struct HarnessModule {
  GTypeModule parent;
  GModule* library;
  void (*initialize)(GTypeModule*);
  void (*shutdown)();
  void (*listTypes)(const GType**, int*);
};

struct HarnessModuleClass {
  GTypeModuleClass parent;
};

gboolean loadModule(GTypeModule* typeModule) {
  auto* module = reinterpret_cast<HarnessModule*>(typeModule);
  module->library = g_module_open(
      typeModule->name, static_cast<GModuleFlags>(G_MODULE_BIND_LAZY | G_MODULE_BIND_LOCAL));
  if (module->library == nullptr) {
    std::cerr << "cannot load " << typeModule->name << ": " << g_module_error() << "\n";
    return FALSE;
  }
  gpointer initialize = nullptr;
  gpointer shutdown = nullptr;
  gpointer listTypes = nullptr;
  if (!g_module_symbol(module->library, fm::kInitializeSymbol, &initialize) ||
      !g_module_symbol(module->library, fm::kShutdownSymbol, &shutdown) ||
      !g_module_symbol(module->library, fm::kListTypesSymbol, &listTypes)) {
    std::cerr << typeModule->name << " lacks an entry point: " << g_module_error() << "\n";
    g_module_close(module->library);
    module->library = nullptr;
    return FALSE;
  }
  module->initialize = reinterpret_cast<void (*)(GTypeModule*)>(initialize);
  module->shutdown = reinterpret_cast<void (*)()>(shutdown);
  module->listTypes = reinterpret_cast<void (*)(const GType**, int*)>(listTypes);
  module->initialize(typeModule);
  return TRUE;
}

void unloadModule(GTypeModule* typeModule) {
  auto* module = reinterpret_cast<HarnessModule*>(typeModule);
  module->shutdown();
  g_module_close(module->library);
  module->library = nullptr;
}

void initModuleClass(gpointer klass, gpointer) {
  auto* typeModule = G_TYPE_MODULE_CLASS(klass);
  typeModule->load = loadModule;
  typeModule->unload = unloadModule;
}

GType harnessModuleType() {
  static const GType type = [] {
    GTypeInfo info{};
    info.class_size = sizeof(HarnessModuleClass);
    info.class_init = initModuleClass;
    info.instance_size = sizeof(HarnessModule);
    return g_type_register_static(G_TYPE_TYPE_MODULE, "PlovaneHarnessModule", &info, {});
  }();
  return type;
}

// The objects of every type the module lists; empty when it cannot be loaded.
std::vector<GObject*> loadProviders(const char* path) {
  auto* module = G_TYPE_MODULE(g_object_new(harnessModuleType(), nullptr));
  g_type_module_set_name(module, path);
  std::vector<GObject*> providers;
  if (!g_type_module_use(module)) return providers;
  const GType* types = nullptr;
  int count = 0;
  reinterpret_cast<HarnessModule*>(module)->listTypes(&types, &count);
  for (int index = 0; index < count; ++index) {
    providers.push_back(G_OBJECT(g_object_new(types[index], nullptr)));
  }
  // The providers hold the module from here on.
  g_type_module_unuse(module);
  return providers;
}

// ---- File objects: as much of the file-info interface as the module asks ------------------

struct HarnessFile {
  GObject parent;
  GFile* location;
};

GObjectClass* fileParentClass = nullptr;

GFile* locationOf(fm::FileInfo* info) {
  return G_FILE(g_object_ref(reinterpret_cast<HarnessFile*>(info)->location));
}

void initFileInfo(gpointer iface, gpointer) {
  static_cast<fm::FileInfoIface*>(iface)->get_location = locationOf;
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
    const GType registered = g_type_register_static(G_TYPE_OBJECT, "PlovaneHarnessFile", &info, {});
    const GInterfaceInfo fileInfo{initFileInfo, nullptr, nullptr};
    g_type_add_interface_static(registered, fm::fileInfoType(), &fileInfo);
    return registered;
  }();
  return type;
}

fm::FileInfo* fileFor(const std::string& path) {
  auto* file = static_cast<HarnessFile*>(g_object_new(harnessFileType(), nullptr));
  file->location = harness::locationFor(path);
  return reinterpret_cast<fm::FileInfo*>(file);
}

// ---- The file manager's side ----------------------------------------------------------------

class NemoCaja final : public harness::FileManager {
 public:
  explicit NemoCaja(std::vector<GObject*> providers) : providers_(std::move(providers)) {}

  GList* menu(bool background, const std::vector<std::string>& paths) override {
    GList* files = nullptr;
    for (const auto& path : paths) files = g_list_append(files, fileFor(path));
    GList* items = nullptr;
    // The file manager concatenates every provider's items in the order of the providers.
    for (GObject* provider : menuProviders()) {
      auto* menuProvider = reinterpret_cast<fm::MenuProvider*>(provider);
      GList* own = background
                       ? fm::backgroundItems(menuProvider, static_cast<fm::FileInfo*>(files->data))
                       : fm::fileItems(menuProvider, files);
      items = g_list_concat(items, own);
    }
    g_list_free_full(files, g_object_unref);
    return items;
  }

  GList* itemsOf(GObject* submenu) override {
    return fm::itemsOf(reinterpret_cast<fm::Menu*>(submenu));
  }

  void activate(GObject* item) override { fm::activate(reinterpret_cast<fm::MenuItem*>(item)); }

  std::vector<GObject*> menuProviders() override { return implementing(fm::menuProviderType()); }

  const char* itemsUpdatedSignal() override { return "items-updated"; }

  // Caja refuses an item without a tooltip; Nemo takes one, and the module is the same.
  const char* requiredTooltip() override { return "tip"; }

  bool requestEmblems(const std::vector<std::string>& paths) override {
    bool complete = true;
    for (const auto& path : paths) {
      fm::FileInfo* file = fileFor(path);
      for (GObject* provider : implementing(fm::infoProviderType())) {
        GClosure* done = g_cclosure_new(G_CALLBACK(+[] {}), nullptr, nullptr);
        g_closure_ref(done);
        g_closure_sink(done);
        fm::OperationHandle* handle = nullptr;
        // The module answers at once; a request left running would hold the file's view up.
        if (fm::updateFileInfo(reinterpret_cast<fm::InfoProvider*>(provider), file, done,
                               &handle) != fm::kOperationComplete) {
          std::cerr << "the info provider did not complete at once for " << path << "\n";
          complete = false;
        }
        g_closure_unref(done);
      }
      g_object_unref(file);
    }
    return complete;
  }

 private:
  std::vector<GObject*> implementing(GType interface) const {
    std::vector<GObject*> found;
    for (GObject* provider : providers_) {
      if (G_TYPE_CHECK_INSTANCE_TYPE(provider, interface)) found.push_back(provider);
    }
    return found;
  }

  std::vector<GObject*> providers_;  // never released, as the file manager keeps them
};

std::unique_ptr<harness::FileManager> load(const char* modulePath) {
  std::vector<GObject*> providers = loadProviders(modulePath);
  if (providers.empty()) return nullptr;
  return std::make_unique<NemoCaja>(std::move(providers));
}

}  // namespace

int main(int argc, char** argv) { return harness::runHarness(argc, argv, load); }
