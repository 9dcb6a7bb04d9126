#include "desktop/DesktopKeyboardEvents.h"

#include <array>
#include <cstdio>
#include <map>
#include <string>

namespace platform::desktop {

namespace {

enum class Modifier { command, option, control, shift };

// The original platform's virtual key codes of the modifier keys, left and right.
const std::map<std::uint16_t, Modifier>& modifierKeys() {
  static const std::map<std::uint16_t, Modifier> keys = {
      {0x37, Modifier::command}, {0x36, Modifier::command}, {0x3A, Modifier::option},
      {0x3D, Modifier::option},  {0x3B, Modifier::control}, {0x3E, Modifier::control},
      {0x38, Modifier::shift},   {0x3C, Modifier::shift}};
  return keys;
}

// The event flag that says a modifier is down, whether or not its key event was posted.
struct ModifierFlag {
  Modifier modifier;
  std::uint64_t mask;
  const char* name;
};
constexpr std::array<ModifierFlag, 4> kModifierFlags = {
    {{Modifier::command, kCGEventFlagMaskCommand, "Command"},
     {Modifier::option, 0x80000, "Option"},
     {Modifier::control, 0x40000, "Control"},
     {Modifier::shift, 0x20000, "Shift"}}};

// Letter keys of the ANSI layout, by virtual key code.
std::string keyName(std::uint16_t keyCode) {
  static const std::map<std::uint16_t, char> letters = {
      {0x00, 'A'}, {0x0B, 'B'}, {0x08, 'C'}, {0x02, 'D'}, {0x0E, 'E'}, {0x03, 'F'}, {0x05, 'G'},
      {0x04, 'H'}, {0x22, 'I'}, {0x26, 'J'}, {0x28, 'K'}, {0x25, 'L'}, {0x2E, 'M'}, {0x2D, 'N'},
      {0x1F, 'O'}, {0x23, 'P'}, {0x0C, 'Q'}, {0x0F, 'R'}, {0x01, 'S'}, {0x11, 'T'}, {0x20, 'U'},
      {0x09, 'V'}, {0x0D, 'W'}, {0x07, 'X'}, {0x10, 'Y'}, {0x06, 'Z'}};
  if (const auto letter = letters.find(keyCode); letter != letters.end()) {
    return std::string(1, letter->second);
  }
  char name[16];
  std::snprintf(name, sizeof name, "key 0x%02X", keyCode);
  return name;
}

}  // namespace

void DesktopKeyboardEvents::post(const CGKeyboardEvent& event) {
  if (modifierKeys().contains(event.keyCode)) {
    if (event.keyDown) {
      heldModifiers_.insert(event.keyCode);
    } else {
      heldModifiers_.erase(event.keyCode);
    }
    return;
  }
  if (!event.keyDown) return;
  std::string combination;
  for (const auto& flag : kModifierFlags) {
    bool held = (event.flags & flag.mask) != 0;
    for (const auto key : heldModifiers_) held = held || modifierKeys().at(key) == flag.modifier;
    if (held) combination += std::string(flag.name) + "+";
  }
  combination += keyName(event.keyCode);
  log_.log(combination + " was not sent: this desktop has no synthetic key events");
}

}  // namespace platform::desktop
