// plovane-finder: the file manager's part, played from the command line. It hosts the
// extension, asks it for the context menu of a selection, and can choose an entry of it.
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "host/InProcessExtension.h"
#include "host/MenuChoice.h"
#include "host/MenuPrinter.h"
#include "sim/SimModals.h"

namespace {

constexpr char kUsage[] =
    "usage: plovane-finder menu [--kind items|container|sidebar|toolbar] [--json] PATH...\n"
    "       plovane-finder choose [--answer ok:PATH|ok|cancel|button:TITLE]... ITEM PATH...\n"
    "ITEM is an entry's title, or titles through submenus joined by \" > \".\n";

struct Request {
  std::string command;
  platform::FIMenuKind kind = platform::FIMenuKind::contextualMenuForItems;
  bool json = false;
  std::vector<platform::sim::ModalAnswer> answers;
  std::string item;
  std::vector<platform::NSURL> selection;
};

std::optional<Request> parseRequest(const std::vector<std::string>& arguments) {
  static const std::map<std::string, platform::FIMenuKind> kinds = {
      {"items", platform::FIMenuKind::contextualMenuForItems},
      {"container", platform::FIMenuKind::contextualMenuForContainer},
      {"sidebar", platform::FIMenuKind::contextualMenuForSidebar},
      {"toolbar", platform::FIMenuKind::toolbarItemMenu}};
  if (arguments.empty() || (arguments[0] != "menu" && arguments[0] != "choose"))
    return std::nullopt;
  Request request;
  request.command = arguments[0];
  const bool choosing = request.command == "choose";
  std::vector<std::string> positional;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    const bool hasValue = i + 1 < arguments.size();
    if (!choosing && argument == "--json") {
      request.json = true;
    } else if (argument == "--kind" && hasValue) {
      auto kind = kinds.find(arguments[++i]);
      if (kind == kinds.end()) return std::nullopt;
      request.kind = kind->second;
    } else if (choosing && argument == "--answer" && hasValue) {
      auto answer = platform::sim::ModalAnswer::parse(arguments[++i]);
      if (!answer) return std::nullopt;
      request.answers.push_back(*answer);
    } else if (argument.starts_with("--")) {
      return std::nullopt;
    } else {
      positional.push_back(argument);
    }
  }
  if (choosing) {
    if (positional.empty()) return std::nullopt;
    request.item = positional.front();
    positional.erase(positional.begin());
  }
  for (const auto& path : positional) {
    const auto absolute = std::filesystem::absolute(path).lexically_normal();
    request.selection.push_back(platform::NSURL::fileURLWithPath(absolute.string()));
  }
  if (request.selection.empty()) return std::nullopt;
  return request;
}

bool selectionIsMonitored(plovane::host::InProcessExtension& extension,
                          const std::vector<platform::NSURL>& selection) {
  const auto directories = extension.sim().finderSyncController.directoryURLs();
  for (const auto& item : selection) {
    if (!plovane::host::isInsideDirectorySet(directories, item)) {
      std::cerr << "plovane-finder: " << item.path()
                << " is not inside a monitored folder; the file manager shows no extension "
                   "menu there\n";
      return false;
    }
  }
  return true;
}

void printTranscript(const platform::sim::Transcript& transcript) {
  for (const auto& line : transcript.lines) std::cout << line << "\n";
  std::cout.flush();
}

int chooseEntry(plovane::host::InProcessExtension& extension, const Request& request,
                const platform::NSMenu& menu) {
  const auto entry = plovane::host::findEntry(menu, plovane::host::parseTitlePath(request.item));
  if (!entry) {
    std::cerr << "plovane-finder: the menu has no entry \"" << request.item << "\"\n";
    return 1;
  }
  if (entry->action.empty()) {
    std::cerr << "plovane-finder: \"" << request.item
              << "\" only opens a submenu; choose one of its entries\n";
    return 1;
  }
  auto& sim = extension.sim();
  for (const auto& answer : request.answers) sim.modals.answer(answer);
  try {
    extension.finderSync().performSelector(entry->action, &*entry);
    sim.runLoop.drain();
  } catch (const platform::sim::UnexpectedModal& unanswered) {
    printTranscript(sim.transcript);
    std::cerr << "plovane-finder: " << unanswered.what() << "\n";
    return 3;
  }
  printTranscript(sim.transcript);
  if (const auto left = sim.modals.answersLeft(); left > 0) {
    std::cerr << "plovane-finder: " << left << " answer(s) were not needed by any modal\n";
    return 1;
  }
  return 0;
}

int run(const Request& request) {
  auto bundle = platform::NSBundle::bundleWithPath(plovane::host::extensionBundlePath());
  if (!bundle) {
    std::cerr << "plovane-finder: no extension bundle at " << plovane::host::extensionBundlePath()
              << " (set PLOVANE_EXTENSION_BUNDLE)\n";
    return 1;
  }
  plovane::host::InProcessExtension extension(std::move(*bundle),
                                              plovane::host::applicationsFolder());
  if (!selectionIsMonitored(extension, request.selection)) return 1;
  extension.sim().finderSyncController.setSelectedItemURLs(request.selection);
  const auto menu = extension.finderSync().menuForMenuKind(request.kind);
  if (request.command == "choose") return chooseEntry(extension, request, *menu);
  std::cout << (request.json ? plovane::host::menuAsJson(*menu) : plovane::host::menuAsTree(*menu));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const auto request = parseRequest({argv + 1, argv + argc});
  if (!request) {
    std::cerr << kUsage;
    return 2;
  }
  return run(*request);
}
