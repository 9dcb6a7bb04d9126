#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
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

// A program left running while the test goes on, its output appended to `logFile`; ended
// (SIGTERM, then waited for) with the object unless it ended by itself.
// Starts a program by argument vector with this process's environment; -1 when it cannot start.
// The caller waits for it (or kills it).
pid_t spawnProgram(const std::vector<std::string>& arguments);

class BackgroundProcess {
 public:
  BackgroundProcess(const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& environment,
                    const std::filesystem::path& logFile);
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  bool running();
  // The exit code once it has ended, waiting at most `seconds`; absent while it still runs.
  std::optional<int> waitForExit(double seconds);

 private:
  pid_t pid_ = -1;
  std::optional<int> exitCode_;
};

}  // namespace plovane::testing
