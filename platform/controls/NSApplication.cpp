#include "platform/NSApplication.h"

namespace platform {

void NSApplication::finishLaunching() {
  if (delegate == nullptr) return;
  delegate->applicationWillFinishLaunching(*this);
  if (!terminating_) delegate->applicationDidFinishLaunching(*this);
}

bool NSApplication::setActivationPolicy(NSApplicationActivationPolicy policy) {
  policy_ = policy;
  server_.setActivationPolicy(policy);
  return true;
}

void NSApplication::activateIgnoringOtherApps(bool) { server_.activateIgnoringOtherApps(); }

void NSApplication::terminate(const void*) {
  if (terminating_) return;
  terminating_ = true;
  if (delegate != nullptr) delegate->applicationWillTerminate(*this);
  server_.terminate();
}

bool NSApplication::sendMenuAction(const NSMenuItem& item) {
  return delegate != nullptr && delegate->performSelector(item.action, &item);
}

}  // namespace platform
