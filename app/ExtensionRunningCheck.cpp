#include "app/ExtensionRunningCheck.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "shared/SettingsKeys.h"

namespace plovane::app {

namespace {

constexpr double kPollSeconds = 5.0;

std::string lowerCased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

bool extensionAmong(const std::vector<platform::NSRunningApplication>& running) {
  for (const auto& application : running) {
    if (application.activationPolicy != platform::NSApplicationActivationPolicy::accessory)
      continue;
    if (!application.bundleIdentifier) continue;
    if (lowerCased(*application.bundleIdentifier) == kExtensionBundleIdentifier) return true;
  }
  return false;
}

}  // namespace

void checkExtensionRunning(platform::RunLoop& runLoop, platform::NSWorkspace& workspace,
                           std::function<void(bool)> update) {
  runLoop.dispatchAsyncGlobal([&runLoop, &workspace, update = std::move(update)] {
    const bool running = extensionAmong(workspace.runningApplications());
    runLoop.dispatchAsyncMain([update, running] { update(running); });
  });
}

void startPolling(std::shared_ptr<platform::NSTimer>& timer, platform::RunLoop& runLoop,
                  platform::Block check) {
  stopPolling(timer);
  timer = runLoop.scheduledTimer(kPollSeconds, true, std::move(check));
}

void stopPolling(std::shared_ptr<platform::NSTimer>& timer) {
  if (timer) timer->invalidate();
  timer.reset();
}

}  // namespace plovane::app
