#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "support/Process.h"

namespace plovane::testing {

// An X server of the test's own (Xvfb) and an accessibility bus on the test's session bus:
// programs started with `environment()` show real windows and expose every control over AT-SPI,
// where `tests/e2e/atspi_driver.py` finds and presses them.
class VirtualDisplay {
 public:
  // Whether this machine has what it takes: Xvfb, the accessibility bus and python3's pyatspi.
  static bool available();

  // Starts the X server; logs go into `folder`.
  explicit VirtualDisplay(const std::filesystem::path& folder);

  // The display and what makes Qt programs accessible: for the session bus, whose programs
  // then show their windows here too.
  const std::map<std::string, std::string>& displayEnvironment() const { return display_; }
  // Starts the accessibility bus on the session bus of `busEnvironment`.
  void startAccessibilityBus(const std::map<std::string, std::string>& busEnvironment);
  // The session bus's environment plus the display's.
  const std::map<std::string, std::string>& environment() const { return environment_; }

  // Runs the driver against the program with that accessible name; its result.
  ProcessResult drive(const std::string& application, const std::vector<std::string>& steps) const;

 private:
  std::filesystem::path folder_;
  std::map<std::string, std::string> display_;
  std::map<std::string, std::string> environment_;
  std::unique_ptr<BackgroundProcess> server_;
  std::unique_ptr<BackgroundProcess> accessibilityBus_;
};

}  // namespace plovane::testing
