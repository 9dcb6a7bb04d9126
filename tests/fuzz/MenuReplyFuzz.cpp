// A menu reply reaches the file manager's process from whoever owns the extension's bus name:
// reading one never crashes or recurses without bound, and the titles it hands GTK are UTF-8.
#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/MenuReply.h"

namespace {

void check(const std::vector<plovane::bridge::Entry>& entries, int level) {
  if (level > plovane::bridge::kMaxMenuLevels + 1) __builtin_trap();
  for (const auto& entry : entries) {
    if (!g_utf8_validate(entry.title.c_str(), -1, nullptr) ||
        !g_utf8_validate(entry.action.c_str(), -1, nullptr))
      __builtin_trap();
    check(entry.submenu, level + 1);
  }
}

void quiet(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A refused reply is said in one log line: thousands of them would drown what the run finds.
  g_log_set_default_handler(quiet, nullptr);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string reply(reinterpret_cast<const char*>(data), size);
  if (const auto entries = plovane::bridge::entriesFromMenuReply(reply)) check(*entries, 1);
  return 0;
}
