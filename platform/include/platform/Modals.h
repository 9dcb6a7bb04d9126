#pragma once

#include <functional>
#include <memory>

#include "platform/NSAlert.h"
#include "platform/NSPanels.h"

namespace platform {

// Runs alerts and panels modally. A button with a target sends its action and the alert stays
// until that action ends its window; a button without one ends the alert with its response.
class Modals {
 public:
  virtual ~Modals() = default;
  virtual NSModalResponse runModal(NSAlert& alert) = 0;
  virtual NSModalResponse runModal(NSOpenPanel& panel) = 0;
  virtual NSModalResponse runModal(NSSavePanel& panel) = 0;

  // A sheet on `window`: the call returns at once, the window stays usable behind it for
  // timers and queued work, and `completion` (may be empty) runs on the main queue once the
  // sheet ends, with the same responses as runModal. The sheet keeps its alert or panel alive.
  using Completion = std::function<void(NSModalResponse)>;
  virtual void beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow& window,
                                        Completion completion) = 0;
  virtual void beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow& window,
                                        Completion completion) = 0;
};

}  // namespace platform
