#include "host/commandline/CommandLine.h"

#include <map>

#include "scripted/ModalAnswer.h"

namespace plovane::host {

namespace {

platform::NSURL absoluteURL(const std::string& path) {
  const auto absolute = std::filesystem::absolute(path).lexically_normal();
  return platform::NSURL::fileURLWithPath(absolute.string());
}

std::optional<Request> parseWindow(const std::vector<std::string>& arguments) {
  Request request;
  request.command = Request::Command::window;
  const std::map<std::string, std::optional<std::string>*> options = {
      {"--open-menu-at", &request.menuItem}, {"--open-submenu", &request.submenu}};
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (argument == "--screenshot" && hasValue) {
      request.screenshot = std::filesystem::absolute(arguments[++i]);
    } else if (auto option = options.find(argument); option != options.end() && hasValue) {
      *option->second = arguments[++i];
    } else if (argument.starts_with("--") || request.folder) {
      return std::nullopt;
    } else {
      request.folder = absoluteURL(argument).path();
    }
  }
  // A menu is opened only for the picture, and a submenu only inside a menu.
  if (request.menuItem && !request.screenshot) return std::nullopt;
  if (request.submenu && !request.menuItem) return std::nullopt;
  return request;
}

std::optional<Request> parseLog(const std::vector<std::string>& arguments) {
  Request request;
  request.command = Request::Command::log;
  if (arguments.size() == 1) return request;
  if (arguments.size() != 3 || arguments[1] != "--lines") return std::nullopt;
  const std::string& count = arguments[2];
  if (count.empty() || count.size() > 9 ||
      count.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  request.logLines = std::stoul(count);
  return request;
}

// The options of menu and choose; false at the first argument that is none of them.
bool parseOptions(const std::vector<std::string>& arguments, Request& request,
                  std::vector<std::string>& positional) {
  static const std::map<std::string, platform::FIMenuKind> kinds = {
      {"items", platform::FIMenuKind::contextualMenuForItems},
      {"container", platform::FIMenuKind::contextualMenuForContainer},
      {"sidebar", platform::FIMenuKind::contextualMenuForSidebar},
      {"toolbar", platform::FIMenuKind::toolbarItemMenu}};
  const bool choosing = request.command == Request::Command::choose;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (!choosing && argument == "--json") {
      request.json = true;
    } else if (argument == "--kind" && hasValue) {
      auto kind = kinds.find(arguments[++i]);
      if (kind == kinds.end()) return false;
      request.kind = kind->second;
    } else if (choosing && argument == "--answer" && hasValue) {
      if (!platform::scripted::ModalAnswer::parse(arguments[++i])) return false;
      request.answers.push_back(arguments[i]);
    } else if (argument.starts_with("--")) {
      return false;
    } else {
      positional.push_back(argument);
    }
  }
  return true;
}

}  // namespace

std::optional<Request> parseRequest(const std::vector<std::string>& arguments) {
  if (arguments.empty()) return std::nullopt;
  if (arguments[0] == "--window") return parseWindow(arguments);
  static const std::map<std::string, Request::Command> alone = {
      {"--help", Request::Command::help},
      {"install", Request::Command::install},
      {"uninstall", Request::Command::uninstall}};
  if (const auto command = alone.find(arguments[0]); command != alone.end()) {
    if (arguments.size() != 1) return std::nullopt;
    Request request;
    request.command = command->second;
    return request;
  }
  if (arguments[0] == "log") return parseLog(arguments);
  if (arguments[0] != "menu" && arguments[0] != "choose") return std::nullopt;
  Request request;
  request.command = arguments[0] == "menu" ? Request::Command::menu : Request::Command::choose;
  std::vector<std::string> positional;
  if (!parseOptions(arguments, request, positional)) return std::nullopt;
  if (request.command == Request::Command::choose) {
    if (positional.empty()) return std::nullopt;
    request.item = positional.front();
    positional.erase(positional.begin());
  }
  for (const auto& path : positional) request.selection.push_back(absoluteURL(path));
  if (request.selection.empty()) return std::nullopt;
  return request;
}

}  // namespace plovane::host
