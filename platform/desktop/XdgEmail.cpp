#include "desktop/XdgEmail.h"

#include <chrono>
#include <filesystem>

#include "desktop/ProgramLauncher.h"

namespace platform::desktop {

namespace {

constexpr std::chrono::milliseconds kWait{2000};

std::string quoted(const NSURL& item) { return "\u201c" + item.lastPathComponent() + "\u201d"; }

// xdg-email attaches regular files only; saying why here beats its exit code 2.
std::optional<std::string> whyNotAttachable(const NSURL& item) {
  std::error_code error;
  const auto status = std::filesystem::status(item.path(), error);
  if (!std::filesystem::exists(status)) return quoted(item) + " is no longer there.";
  if (std::filesystem::is_directory(status)) {
    return quoted(item) +
           " is a folder. Mail attaches files only: choose a file, or compress "
           "the folder first.";
  }
  if (!std::filesystem::is_regular_file(status)) {
    return quoted(item) + " is not a file that mail can carry.";
  }
  return std::nullopt;
}

std::optional<std::string> judge(const EarlyOutcome& outcome) {
  switch (outcome.state) {
    case EarlyOutcome::State::stillRunning:
      return std::nullopt;
    case EarlyOutcome::State::notStarted:
      return "The mail program could not be started: " + outcome.failure + ".";
    case EarlyOutcome::State::killed:
      return "The mail program was stopped (signal " + std::to_string(outcome.code) + ").";
    case EarlyOutcome::State::exited:
      break;
  }
  switch (outcome.code) {
    case 0:
      return std::nullopt;
    case 2:
      return "The file could not be attached: it is no longer there or is not a file.";
    case 3:
      return "No mail program is set up on this computer.";
    default:
      return "The mail program could not be opened (xdg-email ended with code " +
             std::to_string(outcome.code) + ").";
  }
}

}  // namespace

std::optional<std::string> XdgEmail::performWithItems(const std::vector<NSURL>& items) {
  if (items.empty()) return "There is nothing to attach.";
  std::vector<std::string> arguments = {"xdg-email"};
  for (const auto& item : items) {
    if (auto why = whyNotAttachable(item)) return why;
    arguments.insert(arguments.end(), {"--attach", item.path()});
  }
  return judge(startAndWaitBriefly(arguments, kWait));
}

}  // namespace platform::desktop
