#include "support/VirtualDisplay.h"

#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

#include "support/FileTree.h"

namespace plovane::testing {

namespace {

namespace fs = std::filesystem;

constexpr char kAccessibilityBusLauncher[] = "/usr/libexec/at-spi-bus-launcher";
constexpr char kSystemPython[] = "/usr/bin/python3";

bool onPath(const std::string& program) {
  return runProcess({"/usr/bin/which", program}).exitCode == 0;
}

// Whether anything holds display `number` or left its traces behind.
bool displayTaken(int number) {
  const std::string n = std::to_string(number);
  return fs::exists("/tmp/.X" + n + "-lock") || fs::exists("/tmp/.X11-unix/X" + n);
}

template <class Condition>
bool waitUntil(Condition condition) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

}  // namespace

bool VirtualDisplay::available() {
  return onPath("Xvfb") && fs::exists(kAccessibilityBusLauncher) &&
         runProcess({kSystemPython, "-c", "import pyatspi"}).exitCode == 0;
}

VirtualDisplay::VirtualDisplay(const fs::path& folder) : folder_(folder) {
  // Each test process starts from a display number of its own. A number just given up could be
  // taken while its old server still shuts down, and that server's clean-up then removes the new
  // server's socket: clients of the new one could not connect.
  const int first = 100 + static_cast<int>(::getpid() % 800);
  std::string tried;
  for (int number = first; number < first + 20 && !server_; ++number) {
    if (displayTaken(number)) continue;
    const std::string display = ":" + std::to_string(number);
    const fs::path log = folder / ("xvfb" + std::to_string(number) + ".log");
    auto server = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{"Xvfb", display, "-screen", "0", "1280x800x24", "-nolisten",
                                 "tcp"},
        std::map<std::string, std::string>{}, log);
    const fs::path socket = "/tmp/.X11-unix/X" + std::to_string(number);
    waitUntil([&] { return fs::exists(socket) || !server->running(); });
    if (!server->running() || !fs::exists(socket)) {
      tried += fileContents(log);
      continue;
    }
    server_ = std::move(server);
    display_ = {{"DISPLAY", display},
                {"QT_QPA_PLATFORM", "xcb"},
                {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}};
  }
  if (!server_) throw std::runtime_error("Xvfb did not start: " + tried);
}

void VirtualDisplay::startAccessibilityBus(
    const std::map<std::string, std::string>& busEnvironment) {
  environment_ = busEnvironment;
  for (const auto& [name, value] : display_) environment_[name] = value;
  accessibilityBus_ = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{kAccessibilityBusLauncher, "--launch-immediately"}, environment_,
      folder_ / "at-spi.log");
}

ProcessResult VirtualDisplay::drive(const std::string& application,
                                    const std::vector<std::string>& steps) const {
  std::vector<std::string> arguments = {kSystemPython, PLOVANE_ATSPI_DRIVER, application};
  arguments.insert(arguments.end(), steps.begin(), steps.end());
  return runProcess(arguments, environment_);
}

}  // namespace plovane::testing
