#pragma once

#include <map>
#include <string>
#include <vector>

namespace plovane::testing {

struct ProcessResult {
  int exitCode = -1;
  std::string standardOutput;
  std::string standardError;
};

// Runs a program with an argument vector (no shell), the current environment plus
// `environment`, and waits for it.
ProcessResult runProcess(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment = {});

}  // namespace plovane::testing
