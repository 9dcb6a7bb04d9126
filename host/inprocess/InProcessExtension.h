#pragma once

#include <filesystem>
#include <memory>

#include "desktop/StreamSystemLog.h"
#include "extension/FinderSync.h"
#include "platform/NSBundle.h"
#include "sim/SimPlatform.h"

namespace plovane::host {

// The extension hosted inside the stand-in's own process, as the system would start it: one
// principal object against the real store, its log on standard error.
class InProcessExtension {
 public:
  InProcessExtension(platform::NSBundle bundle, std::filesystem::path applicationsFolder);

  FinderSync& finderSync() { return *finderSync_; }
  platform::sim::SimPlatform& sim() { return sim_; }

 private:
  platform::desktop::StreamSystemLog log_;
  platform::UserDefaultsRoot defaults_;
  platform::NSBundle bundle_;
  platform::sim::SimPlatform sim_;
  std::unique_ptr<FinderSync> finderSync_;
};

// The extension bundle: $PLOVANE_EXTENSION_BUNDLE, else the one in the bundles folder.
std::filesystem::path extensionBundlePath();

}  // namespace plovane::host
