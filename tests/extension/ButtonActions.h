#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/Responder.h"

namespace plovane::testing {

// Stands in for the principal object as the target of an alert's buttons: records each action
// and hands it on, as that object hands them to the part that showed the alert.
class ButtonActions final : public platform::Responder {
 public:
  bool performSelector(const std::string& selector, const platform::NSMenuItem*) override {
    performed.push_back(selector);
    if (handOn) handOn(selector);
    return true;
  }

  std::function<void(const std::string&)> handOn;
  std::vector<std::string> performed;
};

}  // namespace plovane::testing
