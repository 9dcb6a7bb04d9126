#include "support/VirtualDisplay.h"

#include <poll.h>
#include <unistd.h>

#include <stdexcept>

#include "support/FileTree.h"

namespace plovane::testing {

namespace {

namespace fs = std::filesystem;

constexpr char kAccessibilityBusLauncher[] = "/usr/libexec/at-spi-bus-launcher";
constexpr char kSystemPython[] = "/usr/bin/python3";

bool onPath(const std::string& program) {
  return runProcess({"/usr/bin/which", program}).exitCode == 0;
}

// The first line Xvfb writes to the pipe's reading end (its display number), waiting at most ten
// seconds; empty when it wrote none.
std::string firstLine(int reading) {
  std::string line;
  pollfd ready{reading, POLLIN, 0};
  char c = 0;
  while (::poll(&ready, 1, 10'000) == 1 && ::read(reading, &c, 1) == 1 && c != '\n') line += c;
  return line;
}

}  // namespace

bool VirtualDisplay::available() {
  return onPath("Xvfb") && fs::exists(kAccessibilityBusLauncher) &&
         runProcess({kSystemPython, "-c", "import pyatspi"}).exitCode == 0;
}

VirtualDisplay::VirtualDisplay(const fs::path& folder) : folder_(folder) {
  // Xvfb picks a free display itself and says which: it takes the number's lock file first, so
  // tests running side by side never share a display, whatever numbers others just gave up.
  // It never resets: a server that does so when its last client leaves drops the accessibility
  // bus's address from its root window and can refuse a program connecting meanwhile.
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  const fs::path log = folder / "xvfb.log";
  server_ = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(pipeEnds[1]), "-screen", "0",
                               "1280x800x24", "-nolisten", "tcp", "-noreset"},
      std::map<std::string, std::string>{}, log);
  ::close(pipeEnds[1]);
  const std::string number = firstLine(pipeEnds[0]);
  ::close(pipeEnds[0]);
  if (number.empty()) throw std::runtime_error("Xvfb did not start: " + fileContents(log));
  display_ = {{"DISPLAY", ":" + number},
              {"QT_QPA_PLATFORM", "xcb"},
              {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}};
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
