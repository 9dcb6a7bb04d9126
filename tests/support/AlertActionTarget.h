#pragma once

#include <string>
#include <vector>

#include "platform/NSAlert.h"
#include "platform/NSApplication.h"
#include "platform/Responder.h"

namespace plovane::testing {

// Records the actions an alert's buttons send it; "finish" ends the alert, as an action that
// closes it would.
class AlertActionTarget final : public platform::Responder {
 public:
  explicit AlertActionTarget(platform::NSAlert& alert) : alert_(alert) {}
  bool performSelector(const std::string& selector, const platform::NSMenuItem*) override {
    performed.push_back(selector);
    if (selector == "finish") platform::NSApplication::endSheet(alert_.window());
    return true;
  }
  std::vector<std::string> performed;

 private:
  platform::NSAlert& alert_;
};

}  // namespace plovane::testing
