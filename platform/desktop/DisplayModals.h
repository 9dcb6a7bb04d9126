#pragma once

#include <memory>

#include "desktop/ScriptedModals.h"
#include "platform/Modals.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// Dialogs for the person at the display; otherwise answers from $PLOVANE_MODAL_ANSWERS (and,
// for the extension, from the bus), each modal written to the log as it is shown. `scripted`
// is set to the scripted modals when those are chosen.
std::unique_ptr<Modals> modalsFor(bool display, SystemLog& log, QObject& mainThread,
                                  ScriptedModals*& scripted);

}  // namespace platform::desktop
