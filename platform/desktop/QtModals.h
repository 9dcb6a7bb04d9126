#pragma once

#include <QString>
#include <utility>

#include "platform/Modals.h"

namespace platform::desktop {

// Alerts and panels as Qt Widgets dialogs, each run modally until the user ends it. Needs a
// QApplication. Panels use Qt's own file dialog, which knows this platform's hidden items.
// Every dialog names `program`, the one that asks, in its title.
class QtModals final : public Modals {
 public:
  explicit QtModals(QString program) : program_(std::move(program)) {}

  // The alert's window is ordered front while the alert shows; the response is
  // NSAlertFirstButtonReturn plus the index of the button that ended it.
  NSModalResponse runModal(NSAlert& alert) override;
  // OK fills URLs with every chosen item and URL with the first; Cancel leaves URL as it was
  // and URLs following it.
  NSModalResponse runModal(NSOpenPanel& panel) override;
  // OK sets URL to the typed name in the folder shown.
  NSModalResponse runModal(NSSavePanel& panel) override;
  // Sheets are window-modal dialogs over the window's widget (application-modal ones while the
  // window is not on screen); the completion runs when the dialog finishes.
  void beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow& window,
                                Completion completion) override;
  void beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow& window,
                                Completion completion) override;

 private:
  QString program_;
};

}  // namespace platform::desktop
