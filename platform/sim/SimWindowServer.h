#pragma once

#include <optional>
#include <vector>

#include "platform/WindowServer.h"
#include "sim/Transcript.h"

namespace platform::sim {

// Windows on a screen nobody sees: which are shown, how the program presents itself, and
// whether it asked to end, for a test to read.
class SimWindowServer final : public WindowServer {
 public:
  explicit SimWindowServer(Transcript& transcript) : transcript_(transcript) {}

  void orderFront(NSWindow& window) override;
  void orderOut(NSWindow& window) override;
  void windowChanged(NSWindow&) override {}
  void activateIgnoringOtherApps() override;
  void setActivationPolicy(NSApplicationActivationPolicy policy) override;
  void terminate() override;

  // The shown windows, the most recently ordered front last.
  std::vector<NSWindow*> visibleWindows;
  std::optional<NSApplicationActivationPolicy> activationPolicy;
  int activations = 0;
  bool terminated = false;

 private:
  Transcript& transcript_;
};

}  // namespace platform::sim
