#include "desktop/ProgramOutput.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>

#include "desktop/ProgramLauncher.h"

namespace platform::desktop {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kWait{10};
// A setting's value is a line or two: a stream longer than this is no answer to keep.
constexpr std::size_t kMostBytes = 1 << 20;

std::chrono::milliseconds left(Clock::time_point deadline) {
  return std::max(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()),
                  std::chrono::milliseconds(0));
}

struct Printed {
  std::string output;
  std::string errors;
  bool tooLong = false;
};

// Reads both streams as they come, until both are closed, the deadline passes, or the program
// has ended and what it left in the pipes is read (a process it started may hold them open).
Printed readStreams(const ChildProgram& program, Clock::time_point deadline) {
  Printed printed;
  std::array<pollfd, 3> watched{{{program.output(), POLLIN, 0},
                                 {program.errors(), POLLIN, 0},
                                 {program.endHandle(), POLLIN, 0}}};
  const std::array<std::string*, 2> into{&printed.output, &printed.errors};
  bool ended = false;
  while (watched[0].fd >= 0 || watched[1].fd >= 0) {
    const int ready = ::poll(watched.data(), watched.size(),
                             ended ? 0 : static_cast<int>(left(deadline).count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) break;
    for (std::size_t stream = 0; stream < into.size(); ++stream) {
      if (watched[stream].revents == 0) continue;
      char buffer[4096];
      const auto count = ::read(watched[stream].fd, buffer, sizeof buffer);
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) {
        watched[stream].fd = -1;
        continue;
      }
      into[stream]->append(buffer, static_cast<std::size_t>(count));
      if (into[stream]->size() > kMostBytes) {
        printed.tooLong = true;
        return printed;
      }
    }
    if (watched[2].revents != 0) {
      ended = true;
      watched[2].fd = -1;
    }
  }
  return printed;
}

QString howItEnded(const std::string& program, int status) {
  return QString::fromStdString(
      WIFEXITED(status) ? program + " exited with code " + std::to_string(WEXITSTATUS(status))
                        : program + " was ended by signal " + std::to_string(WTERMSIG(status)));
}

}  // namespace

ProgramOutput runForOutput(const std::filesystem::path& program, const QStringList& arguments) {
  std::vector<std::string> argv{program.string()};
  for (const auto& argument : arguments) argv.push_back(argument.toStdString());
  ChildProgram child(argv, ChildProgram::Output::piped);
  if (!child.started()) return {false, {}, QString::fromStdString(child.failure())};
  const auto deadline = Clock::now() + kWait;
  const auto printed = readStreams(child, deadline);
  if (printed.tooLong) {
    return {false, {}, QString::fromStdString(program.string() + " printed more than a mebibyte")};
  }
  const auto status = child.finish(left(deadline));
  if (!status) {
    return {false,
            {},
            QString::fromStdString(program.string() + " did not finish within " +
                                   std::to_string(kWait.count()) + " seconds")};
  }
  const QString errors = QString::fromStdString(printed.errors).trimmed();
  if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0) {
    return {false, {}, errors.isEmpty() ? howItEnded(program.string(), *status) : errors};
  }
  return {true, QString::fromStdString(printed.output).trimmed(), {}};
}

}  // namespace platform::desktop
