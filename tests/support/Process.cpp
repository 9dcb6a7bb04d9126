#include "support/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <csignal>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace plovane::testing {

namespace {

std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (!extra.contains(text.substr(0, text.find('=')))) entries.push_back(text);
  }
  for (const auto& [name, value] : extra) entries.push_back(name + "=" + value);
  return entries;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> result;
  for (auto& text : strings) result.push_back(text.data());
  result.push_back(nullptr);
  return result;
}

void readBoth(int outFd, int errFd, std::string& out, std::string& err) {
  std::array<pollfd, 2> fds{pollfd{outFd, POLLIN, 0}, pollfd{errFd, POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    if (::poll(fds.data(), fds.size(), -1) < 0) break;
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const auto got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got <= 0) {
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? out : err).append(buffer, static_cast<std::size_t>(got));
      }
    }
  }
}

int exitCodeOf(int status) {
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ProcessResult runProcess(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment) {
  int outPipe[2], errPipe[2];
  if (::pipe(outPipe) != 0 || ::pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
  for (int fd : {outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) {
    posix_spawn_file_actions_addclose(&actions, fd);
  }
  auto argv = std::vector<std::string>(arguments);
  auto env = mergedEnvironment(environment);
  auto argvPointers = pointers(argv);
  auto envPointers = pointers(env);
  pid_t child = 0;
  const int spawned = ::posix_spawn(&child, argv[0].c_str(), &actions, nullptr, argvPointers.data(),
                                    envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(outPipe[1]);
  ::close(errPipe[1]);
  ProcessResult result;
  if (spawned != 0) {
    ::close(outPipe[0]);
    ::close(errPipe[0]);
    result.standardError = std::string("cannot start ") + argv[0] + ": " + std::strerror(spawned);
    return result;
  }
  readBoth(outPipe[0], errPipe[0], result.standardOutput, result.standardError);
  ::close(outPipe[0]);
  ::close(errPipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.exitCode = exitCodeOf(status);
  return result;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& arguments,
                                     const std::map<std::string, std::string>& environment,
                                     const std::filesystem::path& logFile) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  auto argv = std::vector<std::string>(arguments);
  auto env = mergedEnvironment(environment);
  auto argvPointers = pointers(argv);
  auto envPointers = pointers(env);
  const int spawned = ::posix_spawnp(&pid_, argv[0].c_str(), &actions, nullptr, argvPointers.data(),
                                     envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    throw std::runtime_error(std::string("cannot start ") + argv[0] + ": " +
                             std::strerror(spawned));
  }
}

BackgroundProcess::~BackgroundProcess() {
  if (!running()) return;
  ::kill(pid_, SIGTERM);
  if (!waitForExit(5)) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
}

bool BackgroundProcess::running() {
  if (exitCode_) return false;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) != pid_) return true;
  exitCode_ = exitCodeOf(status);
  return false;
}

std::optional<int> BackgroundProcess::waitForExit(double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (running() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return exitCode_;
}

namespace {

pid_t spawnConversing(const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment,
                      const std::filesystem::path& logFile, int& input, int& output) {
  int inPipe[2], outPipe[2];
  if (::pipe2(inPipe, O_CLOEXEC) != 0 || ::pipe2(outPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error("pipe failed");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, inPipe[0], 0);
  posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                   0600);
  auto argv = std::vector<std::string>(arguments);
  auto env = mergedEnvironment(environment);
  auto argvPointers = pointers(argv);
  auto envPointers = pointers(env);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argvPointers.data(),
                                    envPointers.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(inPipe[0]);
  ::close(outPipe[1]);
  if (spawned != 0) {
    ::close(inPipe[1]);
    ::close(outPipe[0]);
    throw std::runtime_error(std::string("cannot start ") + argv[0] + ": " +
                             std::strerror(spawned));
  }
  input = inPipe[1];
  output = outPipe[0];
  return pid;
}

}  // namespace

ConversingProcess::ConversingProcess(const std::vector<std::string>& arguments,
                                     const std::map<std::string, std::string>& environment,
                                     const std::filesystem::path& logFile)
    : BackgroundProcess(spawnConversing(arguments, environment, logFile, input_, output_)) {}

ConversingProcess::~ConversingProcess() {
  closeInput();
  waitForExit(5);
  ::close(output_);
}

void ConversingProcess::send(const std::string& line) {
  const std::string text = line + "\n";
  std::size_t written = 0;
  while (input_ >= 0 && written < text.size()) {
    const auto count = ::write(input_, text.data() + written, text.size() - written);
    if (count <= 0) break;
    written += static_cast<std::size_t>(count);
  }
}

std::optional<std::string> ConversingProcess::readUntil(const std::string& end, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    const std::string marker = end + "\n";
    const auto at = unread_.starts_with(marker) ? 0 : unread_.find("\n" + marker);
    if (at != std::string::npos) {
      const auto cut = at == 0 ? 0 : at + 1;
      std::string before = unread_.substr(0, cut);
      unread_.erase(0, cut + marker.size());
      return before;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd ready{output_, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const auto got = ::read(output_, buffer, sizeof buffer);
    if (got <= 0) return std::nullopt;
    unread_.append(buffer, static_cast<std::size_t>(got));
  }
}

void ConversingProcess::closeInput() {
  if (input_ < 0) return;
  ::close(input_);
  input_ = -1;
}

pid_t spawnProgram(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  return posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

}  // namespace plovane::testing
