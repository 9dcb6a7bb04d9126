#include "core/BusPaths.h"

namespace plovane::bridge {

GVariant* pathsVariant(const std::vector<std::string>& paths) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE("aay"));
  for (const auto& path : paths) {
    g_variant_builder_add_value(
        &builder, g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, path.data(), path.size(), 1));
  }
  return g_variant_builder_end(&builder);
}

}  // namespace plovane::bridge
