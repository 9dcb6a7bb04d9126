#include "desktop/ProgramStart.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string_view>

#include "desktop/DisplayModals.h"

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

bool prepareDisplay() {
  const bool display = hasDisplay();
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
