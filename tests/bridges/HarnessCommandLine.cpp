#include "HarnessCommandLine.h"

#include <cstdlib>
#include <iostream>
#include <string_view>

#include "protocol/FinderSyncProtocol.h"

namespace plovane::bridge::harness {

namespace {

void printUsage() {
  std::cerr << "usage: HARNESS MODULE.so menu items PATH...\n"
               "       HARNESS MODULE.so menu background FOLDER\n"
               "       HARNESS MODULE.so choose [--answer TEXT]... \"Title > Sub\" items PATH...\n"
               "       HARNESS MODULE.so menu-after-refresh SECONDS items PATH...\n"
               "       HARNESS MODULE.so menu-repeat N items PATH...\n"
               "       HARNESS MODULE.so emblems PATH...\n"
               "       HARNESS MODULE.so session\n";
}

// "items PATH..." or "background FOLDER" from argument `at` on.
bool parseRequest(int argc, char** argv, int at, Request& request) {
  if (at >= argc) return false;
  const std::string_view kind = argv[at];
  if (kind != "items" && kind != "background") return false;
  request.background = kind == "background";
  for (int index = at + 1; index < argc; ++index) request.paths.emplace_back(argv[index]);
  return request.background ? request.paths.size() == 1 : !request.paths.empty();
}

bool parseNumber(const char* text, double& number) {
  char* end = nullptr;
  number = std::strtod(text, &end);
  return end != text && *end == '\0' && number >= 0;
}

bool parseCommand(int argc, char** argv, CommandLine& line) {
  if (argc < 3) return false;
  const std::string_view command = argv[2];
  if (command == "menu") {
    line.command = Command::menu;
    return parseRequest(argc, argv, 3, line.request);
  }
  if (command == "choose") {
    line.command = Command::choose;
    int entry = 3;
    while (entry + 1 < argc && std::string_view(argv[entry]) == "--answer") {
      line.request.answers.emplace_back(argv[entry + 1]);
      entry += 2;
    }
    if (entry >= argc) return false;
    line.entry = argv[entry];
    return parseRequest(argc, argv, entry + 1, line.request);
  }
  if (command == "menu-after-refresh" || command == "menu-repeat") {
    line.command = command == "menu-repeat" ? Command::menuRepeat : Command::menuAfterRefresh;
    return argc >= 4 && parseNumber(argv[3], line.number) &&
           parseRequest(argc, argv, 4, line.request);
  }
  if (command == "session") {
    line.command = Command::session;
    return argc == 3;
  }
  if (command == "emblems") {
    line.command = Command::emblems;
    for (int index = 3; index < argc; ++index) line.request.paths.emplace_back(argv[index]);
    return argc >= 4;
  }
  return false;
}

}  // namespace

std::optional<CommandLine> parseCommandLine(int argc, char** argv) {
  CommandLine line;
  if (parseCommand(argc, argv, line)) return line;
  printUsage();
  return std::nullopt;
}

std::vector<std::string> splitTitles(const std::string& path) {
  std::vector<std::string> titles;
  std::string::size_type start = 0;
  for (auto at = path.find(" > "); at != std::string::npos; at = path.find(" > ", start)) {
    titles.push_back(path.substr(start, at - start));
    start = at + 3;
  }
  titles.push_back(path.substr(start));
  return titles;
}

bool sendAnswers(GDBusConnection* bus, const std::vector<std::string>& answers) {
  namespace protocol = platform::protocol;
  if (bus == nullptr) return false;
  // Bytes without a terminating NUL, as the module sends paths.
  GVariantBuilder list;
  g_variant_builder_init(&list, G_VARIANT_TYPE("aay"));
  for (const auto& answer : answers) {
    g_variant_builder_add_value(
        &list, g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, answer.data(), answer.size(), 1));
  }
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(
      bus, protocol::kService, protocol::kPath, protocol::kInterface, protocol::kAnswerModals.name,
      g_variant_new("(aay)", &list), G_VARIANT_TYPE(protocol::kAnswerModals.reply),
      G_DBUS_CALL_FLAGS_NONE, 10'000, nullptr, &error);
  if (reply == nullptr) {
    std::cerr << "the answers were refused: " << error->message << "\n";
    g_error_free(error);
    return false;
  }
  g_variant_unref(reply);
  return true;
}

}  // namespace plovane::bridge::harness
