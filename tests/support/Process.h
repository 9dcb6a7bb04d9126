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

 protected:
  explicit BackgroundProcess(pid_t pid) : pid_(pid) {}

 private:
  pid_t pid_ = -1;
  std::optional<int> exitCode_;
};

// The two ends of a conversation, there before the program is started.
struct ConversationPipes {
  int input_ = -1;
  int output_ = -1;
};

// A program the test talks to while it runs: lines to its standard input, its standard output
// read back up to a line the test waits for; its standard error goes to `logFile`.
class ConversingProcess : private ConversationPipes, public BackgroundProcess {
 public:
  ConversingProcess(const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& environment,
                    const std::filesystem::path& logFile);
  ~ConversingProcess();

  void send(const std::string& line);
  // What it printed before the line `end`, which is taken too; absent when `end` did not come
  // within `seconds`.
  std::optional<std::string> readUntil(const std::string& end, double seconds);
  // Its input ends, as a program's does when the other side goes.
  void closeInput();

 private:
  std::string unread_;
};

}  // namespace plovane::testing
