#include "desktop/DisplayModals.h"

#include <cstdlib>
#include <string_view>

#include "desktop/QtModals.h"

namespace platform::desktop {

bool hasDisplay() {
  const char* platformName = std::getenv("QT_QPA_PLATFORM");
  if (platformName != nullptr && std::string_view(platformName) == "offscreen") return false;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

std::unique_ptr<Modals> modalsFor(bool display, SystemLog& log, QObject& mainThread,
                                  ScriptedModals*& scripted) {
  if (display) return std::make_unique<QtModals>();
  auto answered = std::make_unique<ScriptedModals>(log, mainThread);
  if (const char* file = std::getenv("PLOVANE_MODAL_ANSWERS"); file != nullptr && *file != '\0') {
    if (auto why = answered->loadAnswers(file)) log.log(*why);
  }
  log.log("no display: modals are answered from a script and written here");
  scripted = answered.get();
  return answered;
}

}  // namespace platform::desktop
