#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <string>

namespace plovane::testing {

// A session bus of a test's own, as dbus-run-session would start it, whose daemon (and so
// every program it activates) runs with the environment the test gives. Everything the daemon
// and its programs print goes to one log file.
class PrivateSessionBus {
 public:
  PrivateSessionBus(const std::filesystem::path& folder, const std::filesystem::path& serviceFolder,
                    const std::map<std::string, std::string>& environment);
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  // The given environment plus the bus address: what a client of this bus runs with.
  std::map<std::string, std::string> clientEnvironment() const;
  std::string log() const;

 private:
  std::filesystem::path logFile_;
  std::map<std::string, std::string> environment_;
  std::string address_;
  pid_t daemon_ = -1;
};

}  // namespace plovane::testing
