#include "support/VirtualDisplay.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace plovane::testing {

namespace {

namespace fs = std::filesystem;

constexpr char kAccessibilityBusLauncher[] = "/usr/libexec/at-spi-bus-launcher";
constexpr char kSystemPython[] = "/usr/bin/python3";

bool onPath(const std::string& program) {
  return runProcess({"/usr/bin/which", program}).exitCode == 0;
}

// A display number no other server of this machine holds; each display of a test run takes a
// new one, so a server that is still going away is never mistaken for a new one.
int freeDisplayNumber() {
  static int next = 90 + getpid() % 400;
  for (int number = next++;; number = next++) {
    if (!fs::exists("/tmp/.X" + std::to_string(number) + "-lock") &&
        !fs::exists("/tmp/.X11-unix/X" + std::to_string(number))) {
      return number;
    }
  }
}

bool acceptsConnections(const std::string& socketPath) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
  const bool connected =
      ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return connected;
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
  const int number = freeDisplayNumber();
  const std::string display = ":" + std::to_string(number);
  server_ = std::make_unique<BackgroundProcess>(
      std::vector<std::string>{"Xvfb", display, "-screen", "0", "1280x800x24", "-nolisten", "tcp"},
      std::map<std::string, std::string>{}, folder / "xvfb.log");
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
  if (!waitUntil([&] { return acceptsConnections(socket) || !server_->running(); }) ||
      !server_->running()) {
    throw std::runtime_error("Xvfb did not start on " + display);
  }
  display_ = {
      {"DISPLAY", display}, {"QT_QPA_PLATFORM", "xcb"}, {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1"}};
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
