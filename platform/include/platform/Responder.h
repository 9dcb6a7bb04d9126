#pragma once

#include <string>

namespace platform {

class NSMenuItem;

// Anything a control can send an action to, by selector name.
class Responder {
 public:
  virtual ~Responder() = default;
  // Runs an exported method by name; false when there is no such selector.
  virtual bool performSelector(const std::string& selector, const NSMenuItem* sender) = 0;
};

}  // namespace platform
