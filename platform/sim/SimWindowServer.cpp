#include "sim/SimWindowServer.h"

#include <algorithm>

#include "platform/NSWindow.h"

namespace platform::sim {

void SimWindowServer::orderFront(NSWindow& window) {
  std::erase(visibleWindows, &window);
  visibleWindows.push_back(&window);
  transcript_.add("window shown: " + window.title());
}

void SimWindowServer::orderOut(NSWindow& window) {
  std::erase(visibleWindows, &window);
  transcript_.add("window hidden: " + window.title());
}

void SimWindowServer::activateIgnoringOtherApps() {
  ++activations;
  transcript_.add("activated");
}

void SimWindowServer::setActivationPolicy(NSApplicationActivationPolicy policy) {
  activationPolicy = policy;
  transcript_.add(policy == NSApplicationActivationPolicy::regular ? "activation policy regular"
                  : policy == NSApplicationActivationPolicy::accessory
                      ? "activation policy accessory"
                      : "activation policy prohibited");
}

void SimWindowServer::terminate() {
  terminated = true;
  transcript_.add("terminated");
}

}  // namespace platform::sim
