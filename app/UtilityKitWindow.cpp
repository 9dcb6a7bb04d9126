#include "app/UtilityKitWindow.h"

#include "app/utilityKitvc.h"

namespace plovane::app {

void UtilityKitWindow::windowDidLoad() {
  window()->setContentViewController(instances_.utilityKitViewController());
}

}  // namespace plovane::app
