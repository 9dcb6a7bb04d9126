#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/AppContext.h"
#include "app/AppDelegate.h"
#include "app/mainStartWindow.h"
#include "app/tabviewcontroller.h"
#include "platform/NSApplication.h"
#include "shared/SettingsKeys.h"
#include "support/TestEnvironment.h"

namespace plovane::testing {

// The settings app on the sim backend, with the bundle's real artwork, started as its process
// would be.
class SettingsAppFixture : public ::testing::Test {
 protected:
  SettingsAppFixture() {
    std::filesystem::create_directories(env.bundle.bundlePath());
    std::filesystem::copy(std::filesystem::path(PLOVANE_APP_BUNDLE) / "Resources",
                          env.bundle.bundlePath() / "Resources",
                          std::filesystem::copy_options::recursive);
  }

  void markFirstRunDone(platform::PlistValue value = true) {
    env.defaults.standardUserDefaults(kAppBundleIdentifier)->setObject(value, keys::firstRun);
  }

  // Runs the launch sequence and whatever it queued.
  void launch() {
    application.delegate = &delegate;
    application.mainMenu = app::AppDelegate::applicationMenu();
    application.finishLaunching();
    env.runLoop.drain();
  }

  platform::NSWindow& mainWindow() { return *context.mainWindowController()->window(); }
  app::tabviewcontroller& tabs() { return *context.tabViewController(); }

  template <class Controller>
  Controller& tab(std::size_t index) {
    return dynamic_cast<Controller&>(*tabs().tabViewItems().at(index).viewController);
  }

  // Every later write to the domain fails: its lock file points into a folder that is not there.
  void breakWritesOf(const std::string& domain) {
    auto lock = env.defaults.fileForDomain(domain);
    lock += ".lock";
    std::filesystem::remove(lock);
    std::filesystem::create_symlink(env.home.path() / "missing" / "lock", lock);
  }

  void repairWritesOf(const std::string& domain) {
    auto lock = env.defaults.fileForDomain(domain);
    lock += ".lock";
    std::filesystem::remove(lock);
  }

  // The alert shown last; the test fails when there was none.
  const platform::NSAlert& lastAlert() const {
    for (auto it = env.modals.shown.rbegin(); it != env.modals.shown.rend(); ++it) {
      if (const auto* alert = std::get_if<platform::NSAlert>(&*it)) return *alert;
    }
    throw std::logic_error("no alert was shown");
  }

  void extensionRuns(platform::NSApplicationActivationPolicy policy,
                     std::string identifier = kExtensionBundleIdentifier) {
    env.workspace.running = {{std::move(identifier), policy}};
  }

  TestEnvironment env{"1.9", kAppBundleIdentifier};
  platform::sim::SimWindowServer& windows = env.sim.windowServer;
  platform::NSApplication application{windows, platform::NSApplicationActivationPolicy::accessory};
  app::AppContext context{env.platform, application};
  app::AppDelegate delegate{context};
};

}  // namespace plovane::testing
