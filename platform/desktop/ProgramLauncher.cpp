#include "desktop/ProgramLauncher.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

}  // namespace

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

BundleRegistry::BundleRegistry(std::filesystem::path applicationsRoot)
    : applicationsRoot_(std::move(applicationsRoot)) {}

std::filesystem::path BundleRegistry::defaultApplicationsRoot() {
  if (const char* configured = std::getenv("PLOVANE_APPLICATIONS");
      configured != nullptr && *configured != '\0') {
    return configured;
  }
  return UserDefaultsRoot::defaultRoot() / "Applications";
}

BundleRegistry::Command BundleRegistry::commandFor(const std::string& bundleIdentifier) const {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(applicationsRoot_, error)) {
    if (entry.path().extension() != ".app") continue;
    const auto bundle = NSBundle::bundleWithPath(entry.path());
    if (!bundle || bundle->bundleIdentifier() != bundleIdentifier) continue;
    const auto executable = bundle->objectForInfoDictionaryKey("CFBundleExecutable");
    if (!executable) return {{}, entry.path().string() + " names no CFBundleExecutable"};
    return {{(entry.path() / *executable).string()}, {}};
  }
  if (auto equivalent = desktopEquivalents().find(bundleIdentifier);
      equivalent != desktopEquivalents().end()) {
    if (auto program = findOnPath(equivalent->second)) return {{program->string()}, {}};
    return {{}, "no program on this desktop stands in for " + bundleIdentifier};
  }
  return {{},
          "no bundle with identifier " + bundleIdentifier + " under " + applicationsRoot_.string()};
}

}  // namespace platform::desktop
