#include "gtk3/LocalPaths.h"

namespace plovane::bridge::gtk3 {

std::optional<std::string> takeLocalPath(GFile* location) {
  if (location == nullptr) return std::nullopt;
  char* path = g_file_get_path(location);
  g_object_unref(location);
  if (path == nullptr) return std::nullopt;
  std::string result(path);
  g_free(path);
  return result;
}

}  // namespace plovane::bridge::gtk3
