#pragma once

#include <memory>

#include "platform/NSUserDefaults.h"
#include "shared/SettingsKeys.h"

namespace plovane::app {

// The shared suite, absent when it cannot be opened.
inline std::shared_ptr<platform::NSUserDefaults> openSharedDefaults(
    platform::UserDefaultsRoot& defaults) {
  return defaults.initWithSuiteName(kSuiteName);
}

// The app's own defaults, where "firstRun" lives.
inline std::shared_ptr<platform::NSUserDefaults> openAppDefaults(
    platform::UserDefaultsRoot& defaults) {
  return defaults.standardUserDefaults(kAppBundleIdentifier);
}

}  // namespace plovane::app
