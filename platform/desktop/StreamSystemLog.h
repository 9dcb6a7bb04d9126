#pragma once

#include <iostream>

#include "platform/SystemLog.h"

namespace platform::desktop {

// The system log of a desktop program is its standard error, one line per entry.
class StreamSystemLog final : public SystemLog {
 public:
  void log(const std::string& line) override { std::cerr << line << std::endl; }
  void standardOutput(const std::string& line) override { std::cout << line << std::endl; }
};

}  // namespace platform::desktop
