#include "support/PrivateSessionBus.h"

#include "support/FileTree.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

extern char** environ;

namespace plovane::testing {

namespace {

constexpr char kConfiguration[] = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <servicedir>@SERVICES@</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

std::string configurationFor(const std::filesystem::path& services) {
  std::string text = kConfiguration;
  text.replace(text.find("@SERVICES@"), 10, services.string());
  return text;
}

std::vector<std::string> environmentEntries(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    // The test's bus replaces whatever bus and display the test runner has.
    if (name == "DBUS_SESSION_BUS_ADDRESS" || name == "DISPLAY" || name == "WAYLAND_DISPLAY")
      continue;
    if (!extra.contains(name)) entries.push_back(text);
  }
  for (const auto& [name, value] : extra) entries.push_back(name + "=" + value);
  return entries;
}

}  // namespace

PrivateSessionBus::PrivateSessionBus(const std::filesystem::path& folder,
                                     const std::filesystem::path& serviceFolder,
                                     const std::map<std::string, std::string>& environment)
    : logFile_(folder / "bus.log"), environment_(environment) {
  const auto configuration = folder / "bus.conf";
  std::ofstream(configuration) << configurationFor(serviceFolder);
  const auto addressFile = folder / "bus.address";
  std::vector<std::string> arguments = {
      "dbus-daemon", "--nofork", "--config-file=" + configuration.string(), "--print-address=3"};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, logFile_.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawn_file_actions_addopen(&actions, 3, addressFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  auto entries = environmentEntries(environment_);
  std::vector<char*> argv, envp;
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  for (auto& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);
  const int failed = ::posix_spawnp(&daemon_, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start dbus-daemon");
  // The daemon writes its address once it listens.
  for (int attempt = 0; attempt < 1000 && address_.empty(); ++attempt) {
    const std::string text = fileContents(addressFile);
    if (text.find('\n') != std::string::npos) {
      address_ = text.substr(0, text.find('\n'));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  if (address_.empty()) throw std::runtime_error("dbus-daemon printed no address: " + log());
}

PrivateSessionBus::~PrivateSessionBus() {
  ::kill(daemon_, SIGTERM);
  int status = 0;
  ::waitpid(daemon_, &status, 0);
}

std::map<std::string, std::string> PrivateSessionBus::clientEnvironment() const {
  auto environment = environment_;
  environment["DBUS_SESSION_BUS_ADDRESS"] = address_;
  return environment;
}

std::string PrivateSessionBus::log() const { return fileContents(logFile_); }

}  // namespace plovane::testing
