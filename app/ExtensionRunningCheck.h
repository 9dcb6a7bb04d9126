#pragma once

#include <functional>

#include "platform/Platform.h"

namespace plovane::app {

// Whether the extension runs: the running applications are scanned on the global queue and
// the result handed to `update` on the main queue. Only accessory programs count, and the
// identifier is compared lower-cased.
void checkExtensionRunning(platform::Platform& services, std::function<void(bool)> update);

}  // namespace plovane::app
