#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// A script text run by the system's scripting host.
class NSAppleScript {
 public:
  virtual ~NSAppleScript() = default;
  // False when the script could not run; the caller decides whether that matters.
  virtual bool executeSource(const std::string& source) = 0;
};

// The seconds of a `delay N` script, the one script every backend runs (on its run loop); absent
// for any other text.
std::optional<double> scriptDelaySeconds(std::string_view source);

inline constexpr std::uint64_t kCGEventFlagMaskCommand = 0x100000;

struct CGKeyboardEvent {
  std::uint16_t keyCode = 0;
  bool keyDown = false;
  std::uint64_t flags = 0;
  friend bool operator==(const CGKeyboardEvent&, const CGKeyboardEvent&) = default;
};

// Synthetic keyboard input to whatever application is frontmost.
class KeyboardEvents {
 public:
  virtual ~KeyboardEvents() = default;
  virtual void post(const CGKeyboardEvent& event) = 0;
};

}  // namespace platform
