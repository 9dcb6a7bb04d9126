#include "gtk3/PerformOnActivate.h"

namespace plovane::bridge::gtk3 {

namespace {

struct Activation {
  Bridge* bridge;
  Entry entry;
  std::vector<std::string> paths;
};

void onActivate(GObject*, gpointer data) {
  const auto& activation = *static_cast<const Activation*>(data);
  activation.bridge->perform(activation.entry, activation.paths);
}

void freeActivation(gpointer data, GClosure*) { delete static_cast<Activation*>(data); }

}  // namespace

void performOnActivate(GObject* item, Bridge& bridge, const Entry& entry,
                       const std::vector<std::string>& paths) {
  if (entry.action.empty() || !entry.submenu.empty()) return;
  auto* activation = new Activation{&bridge, entry, paths};
  g_signal_connect_data(item, "activate", G_CALLBACK(onActivate), activation, freeActivation,
                        GConnectFlags{});
}

}  // namespace plovane::bridge::gtk3
