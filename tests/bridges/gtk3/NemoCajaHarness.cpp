// Loads a Nemo or Caja module (built once for each, like the module) the way that file manager
// does: a GTypeModule around g_module_open(LAZY | LOCAL), the module's initialize and list_types,
// one object per listed type, kept for good. It asks the providers with file objects of its own,
// so the module runs without the file manager and without a display.

#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "MenuHarness.h"
#include "gtk3/NemoCajaApi.h"

namespace {

namespace fm = plovane::bridge::gtk3;
namespace harness = plovane::bridge::harness;

// As much of the file-info interface as the module asks.
void initFileInfo(gpointer iface, gpointer) {
  static_cast<fm::FileInfoIface*>(iface)->get_location = [](fm::FileInfo* info) {
    return G_FILE(g_object_ref(harness::locationOf(info)));
  };
}

class NemoCaja final : public harness::FileManager {
 public:
  explicit NemoCaja(std::vector<GObject*> objects)
      : FileManager(std::move(objects),
                    harness::fileType("PlovaneHarnessFile", fm::fileInfoType(), initFileInfo)) {}

  GType menuProviderType() override { return fm::menuProviderType(); }

  GList* itemsFrom(GObject* provider, bool background, GList* files) override {
    auto* menuProvider = reinterpret_cast<fm::MenuProvider*>(provider);
    return background ? fm::backgroundItems(menuProvider, static_cast<fm::FileInfo*>(files->data))
                      : fm::fileItems(menuProvider, files);
  }

  GList* itemsOf(GObject* submenu) override {
    return fm::itemsOf(reinterpret_cast<fm::Menu*>(submenu));
  }

  void activate(GObject* item) override { fm::activate(reinterpret_cast<fm::MenuItem*>(item)); }

  const char* itemsUpdatedSignal() override { return "items-updated"; }

  // Caja refuses an item without a tooltip; Nemo takes one, and the module is the same.
  const char* requiredTooltip() override { return "tip"; }

  bool requestEmblems(const std::vector<std::string>& paths) override {
    return askInfoProviders(
        fm::infoProviderType(), paths,
        [](GObject* provider, GObject* file, GClosure* done, const std::string& path) {
          fm::OperationHandle* handle = nullptr;
          // The module answers at once; a request left running would hold the file's view up.
          if (fm::updateFileInfo(reinterpret_cast<fm::InfoProvider*>(provider),
                                 reinterpret_cast<fm::FileInfo*>(file), done,
                                 &handle) == fm::kOperationComplete) {
            return true;
          }
          std::cerr << "the info provider did not complete at once for " << path << "\n";
          return false;
        });
  }
};

std::unique_ptr<harness::FileManager> load(const char* modulePath) {
  return std::make_unique<NemoCaja>(harness::loadObjects(
      modulePath, {fm::kInitializeSymbol, fm::kShutdownSymbol, fm::kListTypesSymbol, false}));
}

}  // namespace

int main(int argc, char** argv) { return harness::runHarness(argc, argv, load); }
