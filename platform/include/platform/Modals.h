#pragma once

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
};

}  // namespace platform
