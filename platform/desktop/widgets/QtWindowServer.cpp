#include "desktop/widgets/QtWindowServer.h"

#include <QCoreApplication>

namespace platform::desktop {

QtWindowServer::QtWindowServer(std::filesystem::path resourcesFolder)
    : resources_(std::move(resourcesFolder)) {}

QtWindowServer::~QtWindowServer() = default;

void QtWindowServer::orderFront(NSWindow&) {}
void QtWindowServer::orderOut(NSWindow&) {}
void QtWindowServer::windowChanged(NSWindow&) {}
void QtWindowServer::activateIgnoringOtherApps() {}

void QtWindowServer::setActivationPolicy(NSApplicationActivationPolicy policy) {
  if (policyHandler_) policyHandler_(policy);
}

void QtWindowServer::terminate() { QCoreApplication::exit(0); }

QWidget* QtWindowServer::widgetFor(const NSWindow& window) const {
  auto found = windows_.find(&window);
  return found != windows_.end() ? found->second.data() : nullptr;
}

}  // namespace platform::desktop
