#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "sim/RecordingSystemLog.h"
#include "sim/SimPlatform.h"
#include "support/TemporaryFolder.h"

namespace plovane::testing {

// Every replace of a store file makes a new inode: a changed inode means somebody wrote.
std::uint64_t fileInode(const std::filesystem::path& file);

// One program's world on the sim backend, with a real store under a temporary root.
class TestEnvironment {
 public:
  explicit TestEnvironment(
      std::optional<std::string> shortVersion = "1.9",
      std::string bundleIdentifier = "com.quenlow.plovanemenu.findersyncextension");

  // Another handle on the shared suite, as the other program (or a test) would open it.
  std::shared_ptr<platform::NSUserDefaults> openSuite();

  // What a desktop session of this home runs with: HOME, the XDG folders (made here) and the
  // store's root, drawing offscreen; a test adds its display or bus.
  std::map<std::string, std::string> sessionEnvironment();

  // The extension's own defaults, as the rating prompt keeps them.
  std::shared_ptr<platform::NSUserDefaults> extensionDefaults();

  TemporaryFolder home;
  platform::sim::RecordingSystemLog log;
  platform::UserDefaultsRoot defaults;
  platform::NSBundle bundle;
  platform::sim::SimPlatform sim;
  platform::sim::SimRunLoop& runLoop = sim.runLoop;
  platform::sim::SimFinderSyncController& finderSyncController = sim.finderSyncController;
  platform::sim::SimWorkspace& workspace = sim.workspace;
  platform::scripted::AnsweredModals& modals = sim.modals;
  platform::sim::SimNotificationCenter& notifications = sim.notificationCenter;
  platform::Platform& platform = sim.platform;
};

}  // namespace plovane::testing
