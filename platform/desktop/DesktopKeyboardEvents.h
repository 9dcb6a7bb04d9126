#pragma once

#include <cstdint>
#include <set>

#include "platform/Scripting.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// This desktop has no synthetic key events: each key combination a program would have typed is
// logged, once, when its non-modifier key goes down, and nothing is sent.
class DesktopKeyboardEvents final : public KeyboardEvents {
 public:
  explicit DesktopKeyboardEvents(SystemLog& log) : log_(log) {}

  void post(const CGKeyboardEvent& event) override;

 private:
  SystemLog& log_;
  std::set<std::uint16_t> heldModifiers_;
};

}  // namespace platform::desktop
