#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::desktop {

// Starts programs the way a desktop does: with an argument vector, never through a shell, and
// detached, so the starter neither waits for nor outlives its children's exit status.
// Returns why the program could not be started.
std::optional<std::string> startDetached(
    const std::vector<std::string>& arguments,
    const std::optional<std::filesystem::path>& workingDirectory = {});

// How a program stood a short while after its start.
struct EarlyOutcome {
  enum class State { exited, killed, stillRunning, notStarted };
  State state = State::notStarted;
  int code = 0;         // the exit code, or the signal that ended it
  pid_t pid = -1;       // the program, while it still runs
  std::string failure;  // why it could not be started
};

// Starts a program whose exit status tells whether it did its job (xdg-open), with an argument
// vector in a session of its own, and waits at most `wait` for it to end. One still running then
// has handed the job over to something that stays (a browser, a mail client): it is left to run
// and reaped when it ends.
EarlyOutcome startAndWaitBriefly(const std::vector<std::string>& arguments,
                                 std::chrono::milliseconds wait);

// A program this process starts and answers for, in a session of its own like every program
// started here: its standard input reads /dev/null, and its standard output and error either come
// back through pipes or are dropped; or, for a conversation, its standard input and output are
// one socket whose other end is ours and its errors go where ours go. Its holder decides when it
// ends: one still running when the handle goes is killed. Either way it is reaped, never left a
// zombie.
class ChildProgram {
 public:
  enum class Output { dropped, piped, conversation };

  ChildProgram(const std::vector<std::string>& arguments, Output output);
  ~ChildProgram();
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  bool started() const { return failure_.empty(); }
  // Why it could not be started.
  const std::string& failure() const { return failure_; }
  // The read ends of its standard output and error (-1 when dropped; for a conversation, our end
  // of the socket, and no errors), and a handle that becomes
  // readable once it has ended (-1 where the kernel offers none).
  int output() const { return output_; }
  int errors() const { return errors_; }
  int endHandle() const { return handle_; }

  // Waits at most `wait` for it to end, kills it if it has not, and reaps it. Its status as
  // waitpid() reports it, or none when it had to be killed (or was never started or is already
  // reaped).
  std::optional<int> finish(std::chrono::milliseconds wait);

 private:
  pid_t pid_ = -1;
  int output_ = -1;
  int errors_ = -1;
  int handle_ = -1;
  std::string failure_;
};

// The first of `names` found as an executable on $PATH.
std::optional<std::filesystem::path> findOnPath(const std::vector<std::string>& names);

// Launch by bundle identifier: each program is a folder "<Name>.app" under an applications
// root whose Info.plist names its identifier and executable; the roots are searched in order.
// Identifiers of the original platform's own programs stand for this desktop's equivalents.
class BundleRegistry {
 public:
  explicit BundleRegistry(std::vector<std::filesystem::path> applicationsRoots);

  // Where the user's installed programs live: $PLOVANE_APPLICATIONS, else
  // $PLOVANE_HOME/Applications.
  static std::filesystem::path defaultApplicationsRoot();
  // Where the system's package puts them, under the install prefix the build was made for.
  static std::filesystem::path systemApplicationsRoot();

  // The command that starts the program, or why there is none.
  struct Command {
    std::vector<std::string> arguments;
    std::string failure;
  };
  Command commandFor(const std::string& bundleIdentifier) const;
  // The command that starts the bundle at `bundle` itself, or why there is none.
  static Command commandForBundleAt(const std::filesystem::path& bundle);

 private:
  std::vector<std::filesystem::path> applicationsRoots_;
};

}  // namespace platform::desktop
