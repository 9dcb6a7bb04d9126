#include "desktop/filemanagers/MenuSwitches.h"

#include "desktop/BusNames.h"
#include "desktop/filemanagers/DolphinMenuSwitch.h"

namespace platform::desktop {

MenuSwitches::MenuSwitches(platform::UserDefaultsRoot& defaults)
    : state_(defaults.standardUserDefaults(protocol::host_state::kDomain)) {}

std::set<std::string> MenuSwitches::switchedOff() {
  std::set<std::string> programs;
  // Without a store (its folder cannot be made) nothing was ever switched off.
  if (!state_) return programs;
  const auto listed = state_->arrayForKey(protocol::host_state::kDisabledFileManagers);
  for (const auto& entry : listed.value_or(platform::PlistArray{})) {
    if (const auto* program = entry.as<std::string>()) programs.insert(*program);
  }
  return programs;
}

bool MenuSwitches::isOn(const std::string& program) {
  if (switchedOff().contains(program)) return false;
  return program != kDolphinProgram || dolphinShowsMenu();
}

std::optional<std::string> MenuSwitches::setOn(const std::string& program, bool on) {
  if (!state_) return "the settings cannot be opened";
  auto off = switchedOff();
  if (on) {
    off.erase(program);
  } else {
    off.insert(program);
  }
  state_->setObject(platform::PlistValue(platform::PlistArray(off.begin(), off.end())),
                    protocol::host_state::kDisabledFileManagers);
  // A failed write is dropped by the store: the stored list stays as it was.
  if (!state_->synchronize()) {
    return state_->lastError().value_or("the settings file could not be written");
  }
  // Switched on here, the menu shows there, whatever Dolphin's own settings said.
  if (on && program == kDolphinProgram) return letDolphinShowMenu();
  return std::nullopt;
}

}  // namespace platform::desktop
