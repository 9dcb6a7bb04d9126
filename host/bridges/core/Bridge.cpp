#include "core/Bridge.h"

#include "core/BusBridge.h"

namespace plovane::bridge {

Bridge& Bridge::shared(const char* manager) {
  // Lives as long as the file manager's process: a module is never unloaded while in use.
  static BusBridge* bridge = new BusBridge(manager, HostStateFile(HostStateFile::forThisUser()));
  return *bridge;
}

}  // namespace plovane::bridge
