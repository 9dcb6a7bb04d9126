#include "desktop/ProgramLauncher.h"

#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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

// Waits until the child ends or the time is up, without taking its exit status (a process
// handle, so Linux 5.3 or later).
void waitForEnd(pid_t child, std::chrono::milliseconds wait) {
  // By number: glibc 2.36 declares pidfd_open without C linkage for C++.
  const int handle = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
  if (handle < 0) return;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ended{handle, POLLIN, 0};
    const int ready = ::poll(&ended, 1, static_cast<int>(std::max<long>(left.count(), 0)));
    if (ready >= 0 || errno != EINTR) break;
  }
  ::close(handle);
}

// A child that outlives the wait is still ours to reap, so it never lingers as a zombie.
void reapWhenItEnds(pid_t child) {
  std::thread([child] {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

}  // namespace

EarlyOutcome startAndWaitBriefly(const std::vector<std::string>& arguments,
                                 std::chrono::milliseconds wait) {
  EarlyOutcome outcome;
  if (arguments.empty()) {
    outcome.failure = "nothing to start";
    return outcome;
  }
  auto argv = arguments;
  auto argvPointers = pointers(argv);
  posix_spawnattr_t attributes;
  ::posix_spawnattr_init(&attributes);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t program = 0;
  const int failed =
      ::posix_spawnp(&program, argvPointers[0], nullptr, &attributes, argvPointers.data(), environ);
  ::posix_spawnattr_destroy(&attributes);
  if (failed != 0) {
    outcome.failure = "cannot run " + arguments[0] + ": " + std::strerror(failed);
    return outcome;
  }
  waitForEnd(program, wait);
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
  auto argv = arguments;
  auto argvPointers = pointers(argv);
  // An intermediate child starts the program and exits at once, so the program is adopted by
  // init and reaped there; its exit code tells whether the program could be started.
  const pid_t intermediate = ::fork();
  if (intermediate < 0) return std::string("cannot fork: ") + std::strerror(errno);
  if (intermediate == 0) {
    ::setsid();
    if (workingDirectory && ::chdir(workingDirectory->c_str()) != 0) _exit(126);
    pid_t program = 0;
    const int failed =
        ::posix_spawnp(&program, argvPointers[0], nullptr, nullptr, argvPointers.data(), environ);
    _exit(failed == 0 ? 0 : 127);
  }
  int status = 0;
  ::waitpid(intermediate, &status, 0);
  if (!WIFEXITED(status)) return "the starter of " + arguments[0] + " was killed";
  switch (WEXITSTATUS(status)) {
    case 0:
      return std::nullopt;
    case 126:
      return "cannot enter " + workingDirectory->string();
    default:
      return "cannot run " + arguments[0];
  }
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
