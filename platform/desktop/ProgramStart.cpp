#include "desktop/ProgramStart.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "desktop/StreamSystemLog.h"
#include "desktop/XDisplayReach.h"

namespace platform::desktop {

std::optional<NSBundle> runningProgramBundle(const char* program) {
  const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  auto bundle = NSBundle::bundleWithPath(folder);
  if (!bundle) {
    std::cerr << program << ": no Info.plist beside the executable in " << folder << "\n";
  }
  return bundle;
}

bool takeHomeArgument(int& index, int argc, char** argv) {
  if (std::string_view(argv[index]) != "--home" || index + 1 >= argc) return false;
  ::setenv("PLOVANE_HOME", argv[++index], 1);
  return true;
}

namespace {

// Whether a person can see this program's windows: a display is set and Qt is not told to
// draw offscreen.
bool hasDisplay() {
  const char* platformName = std::getenv("QT_QPA_PLATFORM");
  if (platformName != nullptr && std::string_view(platformName) == "offscreen") return false;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

}  // namespace

bool prepareDisplay() {
  bool display = hasDisplay();
  const char* x = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (display && x != nullptr && *x != '\0' && (wayland == nullptr || *wayland == '\0')) {
    if (const auto why = whyXDisplayUnreachable(x)) {
      StreamSystemLog().log("the display " + std::string(x) + " cannot be reached (" + *why +
                            "): drawing offscreen");
      display = false;
    }
  }
  if (!display) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  return display;
}

void quitWhenBusGoes(QTimer& watch, const QDBusConnection& bus, std::function<void()> quit) {
  QObject::connect(&watch, &QTimer::timeout, [bus, quit = std::move(quit)] {
    if (!bus.isConnected()) quit();
  });
  watch.start(1000);
}

}  // namespace platform::desktop
