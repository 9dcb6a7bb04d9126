#pragma once

#include <QDialog>
#include <cstddef>
#include <vector>

#include "platform/NSAlert.h"

class QPushButton;

namespace platform::desktop {

// An alert as a desktop dialog: the style's icon, the message in bold above the informative
// text, and the buttons left to right in the order they were added, the first one default.
// A button without target ends the dialog; one with a target sends its action, and the dialog
// stays until that action ends the alert's window. exec() returns the index of the button.
class AlertDialog final : public QDialog {
 public:
  explicit AlertDialog(NSAlert& alert);

 protected:
  // Escape and the window's close button answer as the alert's cancelling button, since an
  // alert ends only through one of its own buttons.
  void reject() override;

 private:
  void press(std::size_t index);
  std::size_t cancellingButton() const;

  NSAlert& alert_;
  std::vector<QPushButton*> buttons_;
};

}  // namespace platform::desktop
