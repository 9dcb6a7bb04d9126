#pragma once

#include <string>
#include <vector>

#include "platform/SystemLog.h"

namespace platform::sim {

// Keeps every line so a test can read what the program logged and printed.
class RecordingSystemLog final : public SystemLog {
 public:
  void log(const std::string& line) override { logLines.push_back(line); }
  void standardOutput(const std::string& line) override { outputLines.push_back(line); }

  std::vector<std::string> logLines;
  std::vector<std::string> outputLines;
};

}  // namespace platform::sim
