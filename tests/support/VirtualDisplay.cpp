#include "support/VirtualDisplay.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <optional>
#include <sstream>
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

// The display Xvfb chose, once it printed it (-displayfd 1 writes the number, a line of its own,
// into the log it shares with its messages); absent until then.
std::optional<std::string> chosenDisplay(const fs::path& log) {
  std::istringstream lines(fileContents(log));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && std::all_of(line.begin(), line.end(), ::isdigit)) return ":" + line;
  }
  return std::nullopt;
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
  // Xvfb picks a display no other server holds, so parallel tests never share one.
  const fs::path log = folder / "xvfb.log";
  server_ = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{"Xvfb", "-displayfd", "1", "-screen", "0", "1280x800x24",
                               "-nolisten", "tcp"},
      std::map<std::string, std::string>{}, log);
  std::optional<std::string> display;
  if (!waitUntil([&] { return (display = chosenDisplay(log)) || !server_->running(); }) ||
      !display) {
    throw std::runtime_error("Xvfb did not start: " + fileContents(log));
  }
  display_ = {
      {"DISPLAY", *display}, {"QT_QPA_PLATFORM", "xcb"}, {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}};
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
