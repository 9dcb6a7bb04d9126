#include "host/integration/MenuSwitches.h"

#include "desktop/BusNames.h"

namespace plovane::integration {

namespace host_state = platform::desktop::host_state;

MenuSwitches::MenuSwitches(platform::UserDefaultsRoot& defaults)
    : state_(defaults.standardUserDefaults(host_state::kDomain)) {}

std::set<std::string> MenuSwitches::switchedOff() {
  std::set<std::string> programs;
  const auto listed = state_->arrayForKey(host_state::kDisabledFileManagers);
  for (const auto& entry : listed.value_or(platform::PlistArray{})) {
    if (const auto* program = entry.as<std::string>()) programs.insert(*program);
  }
  return programs;
}

bool MenuSwitches::isOn(const std::string& program) { return !switchedOff().contains(program); }

std::optional<std::string> MenuSwitches::setOn(const std::string& program, bool on) {
  const auto before = state_->objectForKey(host_state::kDisabledFileManagers);
  auto off = switchedOff();
  if (on) {
    off.erase(program);
  } else {
    off.insert(program);
  }
  state_->setObject(platform::PlistValue(platform::PlistArray(off.begin(), off.end())),
                    host_state::kDisabledFileManagers);
  if (state_->synchronize()) return std::nullopt;
  const auto reason = state_->lastError().value_or("the settings file could not be written");
  // A failed write stays pending and would land with the next one: the old list replaces it.
  if (before) {
    state_->setObject(*before, host_state::kDisabledFileManagers);
  } else {
    state_->removeObjectForKey(host_state::kDisabledFileManagers);
  }
  return reason;
}

}  // namespace plovane::integration
