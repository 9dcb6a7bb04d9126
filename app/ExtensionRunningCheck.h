#pragma once

#include <functional>
#include <memory>

#include "platform/NSWorkspace.h"
#include "platform/RunLoop.h"

namespace plovane::app {

// Whether the extension runs: the running applications are scanned on the global queue and
// the result handed to `update` on the main queue. Only accessory programs count, and the
// identifier is compared lower-cased.
void checkExtensionRunning(platform::RunLoop& runLoop, platform::NSWorkspace& workspace,
                           std::function<void(bool)> update);

// The check every 5 seconds while a view is on screen, kept in `timer`. Starting again replaces
// the running timer, so a view that appears twice never polls twice.
void startPolling(std::shared_ptr<platform::NSTimer>& timer, platform::RunLoop& runLoop,
                  platform::Block check);
void stopPolling(std::shared_ptr<platform::NSTimer>& timer);

}  // namespace plovane::app
