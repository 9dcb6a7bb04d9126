#include "app/UtilityKitWindow.h"

#include "app/utilityKitvc.h"

namespace plovane::app {

void UtilityKitWindow::windowDidLoad() {
  window()->setContentViewController(context_.utilityKitViewController());
}

}  // namespace plovane::app
