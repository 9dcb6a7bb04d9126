#include "host/window/FinderWindowHostState.h"

#include "desktop/BusNames.h"

namespace plovane::host {

namespace host_state = platform::protocol::host_state;

FinderHostState::FinderHostState(platform::UserDefaultsRoot& defaults)
    : state_(defaults.standardUserDefaults(host_state::kDomain)),
      directorySet_(defaults),
      switches_(defaults) {}

bool FinderHostState::showsHiddenFiles() {
  const auto value = state_->objectForKey(host_state::kShowsHiddenFiles);
  const bool* shown = value ? value->as<bool>() : nullptr;
  return shown != nullptr && *shown;
}

void FinderHostState::setShowsHiddenFiles(bool shown) {
  state_->setBool(shown, host_state::kShowsHiddenFiles);
}

}  // namespace plovane::host
