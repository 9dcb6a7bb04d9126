#include "desktop/ProgramLauncher.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "platform/NSBundle.h"
#include "platform/NSUserDefaults.h"

extern char** environ;

namespace platform::desktop {

namespace {

// What stands in for the original platform's own programs on a Linux desktop, in order of
// preference.
const std::map<std::string, std::vector<std::string>>& desktopEquivalents() {
  static const std::map<std::string, std::vector<std::string>> equivalents = {
      {"com.apple.Terminal",
       {"x-terminal-emulator", "gnome-terminal", "konsole", "xfce4-terminal", "xterm"}},
      {"com.apple.systempreferences",
       {"gnome-control-center", "systemsettings", "xfce4-settings-manager", "mate-control-center"}},
  };
  return equivalents;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (auto& text : strings) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

// A handle that becomes readable once the child has ended (Linux 5.3 or later, close-on-exec
// always), or -1.
int endHandleOf(pid_t child) {
  // By number: glibc 2.36 declares pidfd_open without C linkage for C++.
  return static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
}

// Waits until the child behind `handle` ends or the time is up, without taking its exit status.
void waitForEnd(int handle, std::chrono::milliseconds wait) {
  if (handle < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ended{handle, POLLIN, 0};
    const int ready = ::poll(&ended, 1, static_cast<int>(std::max<long>(left.count(), 0)));
    if (ready >= 0 || errno != EINTR) break;
  }
}

// A child that outlives the wait is still ours to reap, so it never lingers as a zombie.
void reapWhenItEnds(pid_t child) {
  std::thread([child] {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

// What the child does between its fork and its exec: only the spawn's own file actions, which
// are safe there.
class FileActions {
 public:
  FileActions() { ::posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// Starts the program in a session of its own: the one way programs are started here. No fork of
// our own: the callers are threaded, and a forked copy of a threaded process may only exec.
struct Spawned {
  pid_t pid = -1;
  int error = 0;  // why it could not be started, or 0
};

Spawned spawnInOwnSession(const std::vector<std::string>& arguments, FileActions& actions) {
  auto argv = arguments;
  auto argvPointers = pointers(argv);
  posix_spawnattr_t attributes;
  ::posix_spawnattr_init(&attributes);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t program = 0;
  const int failed = ::posix_spawnp(&program, argvPointers[0], actions.get(), &attributes,
                                    argvPointers.data(), environ);
  ::posix_spawnattr_destroy(&attributes);
  return failed == 0 ? Spawned{program, 0} : Spawned{-1, failed};
}

std::string cannotRun(const std::string& program, int error) {
  return "cannot run " + program + ": " + std::strerror(error);
}

void closeIfOpen(int descriptor) {
  if (descriptor >= 0) ::close(descriptor);
}

}  // namespace

ChildProgram::ChildProgram(const std::vector<std::string>& arguments, Output output) {
  if (arguments.empty()) {
    failure_ = "nothing to start";
    return;
  }
  FileActions actions;
  // Close-on-exec, so that no program started meanwhile by another thread holds them open.
  int outputPipe[2] = {-1, -1}, errorsPipe[2] = {-1, -1};
  if (output == Output::conversation) {
    // One socket both ways: the child reads it as its standard input and writes its standard
    // output to it; its errors go where ours go.
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, outputPipe) != 0) {
      failure_ = cannotRun(arguments[0], errno);
      return;
    }
    ::posix_spawn_file_actions_adddup2(actions.get(), outputPipe[1], STDIN_FILENO);
    ::posix_spawn_file_actions_adddup2(actions.get(), outputPipe[1], STDOUT_FILENO);
  } else {
    ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  if (output == Output::piped) {
    if (::pipe2(outputPipe, O_CLOEXEC) != 0 || ::pipe2(errorsPipe, O_CLOEXEC) != 0) {
      failure_ = cannotRun(arguments[0], errno);
      for (const int end : {outputPipe[0], outputPipe[1]}) closeIfOpen(end);
      return;
    }
    ::posix_spawn_file_actions_adddup2(actions.get(), outputPipe[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_adddup2(actions.get(), errorsPipe[1], STDERR_FILENO);
  } else if (output == Output::dropped) {
    ::posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    ::posix_spawn_file_actions_adddup2(actions.get(), STDOUT_FILENO, STDERR_FILENO);
  }
  const auto started = spawnInOwnSession(arguments, actions);
  // The child's ends are the child's alone: our copies would keep the pipes from closing.
  closeIfOpen(outputPipe[1]);
  closeIfOpen(errorsPipe[1]);
  output_ = outputPipe[0];
  errors_ = errorsPipe[0];
  if (started.error != 0) {
    failure_ = cannotRun(arguments[0], started.error);
    return;
  }
  pid_ = started.pid;
  handle_ = endHandleOf(pid_);
}

ChildProgram::~ChildProgram() {
  finish(std::chrono::milliseconds(0));
  for (const int descriptor : {output_, errors_, handle_}) closeIfOpen(descriptor);
}

std::optional<int> ChildProgram::finish(std::chrono::milliseconds wait) {
  if (pid_ <= 0) return std::nullopt;
  waitForEnd(handle_, wait);
  int status = 0;
  const bool ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
  if (!ended) {
    // Not yet reaped, so the pid is still this child's and no other process's.
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
  return ended ? std::optional<int>(status) : std::nullopt;
}

EarlyOutcome startAndWaitBriefly(const std::vector<std::string>& arguments,
                                 std::chrono::milliseconds wait) {
  EarlyOutcome outcome;
  if (arguments.empty()) {
    outcome.failure = "nothing to start";
    return outcome;
  }
  FileActions inherited;
  const auto started = spawnInOwnSession(arguments, inherited);
  if (started.error != 0) {
    outcome.failure = cannotRun(arguments[0], started.error);
    return outcome;
  }
  const pid_t program = started.pid;
  const int handle = endHandleOf(program);
  waitForEnd(handle, wait);
  closeIfOpen(handle);
  int status = 0;
  if (::waitpid(program, &status, WNOHANG) != program) {
    reapWhenItEnds(program);
    outcome.state = EarlyOutcome::State::stillRunning;
    outcome.pid = program;
  } else if (WIFEXITED(status)) {
    outcome.state = EarlyOutcome::State::exited;
    outcome.code = WEXITSTATUS(status);
  } else {
    outcome.state = EarlyOutcome::State::killed;
    outcome.code = WTERMSIG(status);
  }
  return outcome;
}

std::optional<std::string> startDetached(
    const std::vector<std::string>& arguments,
    const std::optional<std::filesystem::path>& workingDirectory) {
  if (arguments.empty()) return "nothing to start";
  FileActions actions;
  if (workingDirectory) {
    ::posix_spawn_file_actions_addchdir_np(actions.get(), workingDirectory->c_str());
  }
  const auto started = spawnInOwnSession(arguments, actions);
  if (started.error == 0) {
    reapWhenItEnds(started.pid);
    return std::nullopt;
  }
  // The spawn reports a folder it cannot enter as it reports a program it cannot run.
  std::error_code ec;
  if (workingDirectory && !std::filesystem::is_directory(*workingDirectory, ec)) {
    return "cannot enter " + workingDirectory->string();
  }
  return cannotRun(arguments[0], started.error);
}

std::optional<std::filesystem::path> findOnPath(const std::vector<std::string>& names) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  const std::string folders = path;
  for (const auto& name : names) {
    std::size_t start = 0;
    while (start <= folders.size()) {
      const auto end = std::min(folders.find(':', start), folders.size());
      const std::filesystem::path candidate =
          std::filesystem::path(folders.substr(start, end - start)) / name;
      if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
      start = end + 1;
    }
  }
  return std::nullopt;
}

BundleRegistry::BundleRegistry(std::vector<std::filesystem::path> applicationsRoots)
    : applicationsRoots_(std::move(applicationsRoots)) {}

std::filesystem::path BundleRegistry::defaultApplicationsRoot() {
  if (const char* configured = std::getenv("PLOVANE_APPLICATIONS");
      configured != nullptr && *configured != '\0') {
    return configured;
  }
  return UserDefaultsRoot::defaultRoot() / "Applications";
}

std::filesystem::path BundleRegistry::systemApplicationsRoot() {
  return PLOVANE_SYSTEM_APPLICATIONS;
}

BundleRegistry::Command BundleRegistry::commandFor(const std::string& bundleIdentifier) const {
  std::string searched;
  for (const auto& root : applicationsRoots_) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
      if (entry.path().extension() != ".app") continue;
      const auto bundle = NSBundle::bundleWithPath(entry.path());
      if (!bundle || bundle->bundleIdentifier() != bundleIdentifier) continue;
      return commandForBundleAt(entry.path());
    }
    searched += (searched.empty() ? "" : " or ") + root.string();
  }
  if (auto equivalent = desktopEquivalents().find(bundleIdentifier);
      equivalent != desktopEquivalents().end()) {
    if (auto program = findOnPath(equivalent->second)) return {{program->string()}, {}};
    return {{}, "no program on this desktop stands in for " + bundleIdentifier};
  }
  return {{}, "no bundle with identifier " + bundleIdentifier + " under " + searched};
}

BundleRegistry::Command BundleRegistry::commandForBundleAt(const std::filesystem::path& bundle) {
  const auto found = NSBundle::bundleWithPath(bundle);
  if (!found) return {{}, bundle.string() + " has no readable Info.plist"};
  const auto executable = found->objectForInfoDictionaryKey("CFBundleExecutable");
  if (!executable) return {{}, bundle.string() + " names no CFBundleExecutable"};
  return {{(bundle / *executable).string()}, {}};
}

}  // namespace platform::desktop
