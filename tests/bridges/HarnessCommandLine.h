#pragma once

// The command line every file manager's harness shares (see MenuHarness.h for its commands),
// parsed apart from how a harness loads its module, and the modal answers it sends before an
// entry is chosen.

#include <gio/gio.h>

#include <optional>
#include <string>
#include <vector>

namespace plovane::bridge::harness {

inline constexpr int kUsageExit = 64;
inline constexpr int kModuleExit = 70;
inline constexpr char kNoMenu[] = "(no menu)";

struct Request {
  bool background = false;
  std::vector<std::string> paths;
  std::vector<std::string> answers;
};

enum class Command { menu, choose, menuAfterRefresh, menuRepeat, emblems, session };

struct CommandLine {
  Command command = Command::menu;
  Request request;
  std::string entry;  // choose's "A > B"
  double number = 0;  // menu-after-refresh's seconds, menu-repeat's count
};

// argv[1] is the module; none (after printing the usage) when the rest is not a command.
std::optional<CommandLine> parseCommandLine(int argc, char** argv);

// "A > B" as its titles.
std::vector<std::string> splitTitles(const std::string& path);

// The extension takes answers only from the connection that then sends the chosen entry: `bus`,
// the process's shared session connection, which the module sends on.
bool sendAnswers(GDBusConnection* bus, const std::vector<std::string>& answers);

}  // namespace plovane::bridge::harness
