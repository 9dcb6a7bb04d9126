#pragma once

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/NSUserDefaults.h"

namespace platform::desktop {

// The stand-in's program, as the switches name it.
inline constexpr char kStandInProgram[] = "plovane-finder";

// Whether this user wants the menu in each file manager. The stand-in's defaults domain keeps the
// programs in which it is switched off, where the file managers' modules and the stand-in read
// it; every read goes to the store, since the pane changes it while file managers run. Dolphin has
// a switch of its own (DolphinMenuSwitch.h): the menu is on there only when both are, and
// switching ours on switches its own on too.
class MenuSwitches {
 public:
  explicit MenuSwitches(platform::UserDefaultsRoot& defaults);

  bool isOn(const std::string& program);
  // Why not, when the store could not keep it; the switch then stays as it was.
  std::optional<std::string> setOn(const std::string& program, bool on);

 private:
  std::set<std::string> switchedOff();

  std::shared_ptr<platform::NSUserDefaults> state_;
};

}  // namespace platform::desktop
