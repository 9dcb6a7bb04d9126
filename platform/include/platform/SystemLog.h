#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

// Where diagnostics go: the system log (NSLog-style lines) and the process's standard output.
class SystemLog {
 public:
  virtual ~SystemLog() = default;
  virtual void log(const std::string& line) = 0;
  virtual void standardOutput(const std::string& line) = 0;
};

// Fills the "%@" placeholders of a log format in order.
std::string formatLog(std::string_view format, std::initializer_list<std::string_view> arguments);

}  // namespace platform
