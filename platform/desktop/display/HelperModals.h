#pragma once

#include <memory>

#include "desktop/display/DisplayHelper.h"
#include "platform/Modals.h"

namespace platform::desktop {

// Alerts and panels drawn by the display helper for the person at the display. A button with a
// target sends its action here, in the extension, and the alert stays until that action ends
// its window, as with dialogs drawn in-process.
class HelperModals final : public Modals {
 public:
  explicit HelperModals(DisplayHelper& helper) : helper_(helper) {}

  NSModalResponse runModal(NSAlert& alert) override;
  NSModalResponse runModal(NSOpenPanel& panel) override;
  NSModalResponse runModal(NSSavePanel& panel) override;
  void beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow& window,
                                Completion completion) override;
  void beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow& window,
                                Completion completion) override;

 private:
  int show(std::shared_ptr<NSAlert> alert, Completion completion);
  template <class Panel>
  int show(std::shared_ptr<Panel> panel, Completion completion);
  template <class Shown>
  NSModalResponse runModalOf(Shown& shown);

  DisplayHelper& helper_;
};

}  // namespace platform::desktop
