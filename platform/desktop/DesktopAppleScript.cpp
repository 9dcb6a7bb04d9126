#include "desktop/DesktopAppleScript.h"

#include <optional>
#include <set>
#include <sstream>

#include "desktop/BusNames.h"
#include "desktop/FileManagerHiddenFiles.h"

namespace platform::desktop {

namespace {

// `tell application "System Events" to tell process "Finder" to keystroke ">" using
// {command down, shift down}`, with the modifiers in any order.
bool isShowHiddenFilesKeystroke(std::string_view source) {
  constexpr std::string_view kTarget =
      "tell application \"System Events\" to tell process \"Finder\" to keystroke \">\" using {";
  if (!source.starts_with(kTarget) || !source.ends_with("}")) return false;
  std::string_view list = source.substr(kTarget.size(), source.size() - kTarget.size() - 1);
  std::set<std::string> modifiers;
  std::istringstream items{std::string(list)};
  for (std::string item; std::getline(items, item, ',');) {
    item.erase(0, item.find_first_not_of(' '));
    modifiers.insert(item);
  }
  return modifiers == std::set<std::string>{"command down", "shift down"};
}

}  // namespace

bool DesktopAppleScript::executeSource(const std::string& source) {
  if (const auto seconds = scriptDelaySeconds(source)) {
    runLoop_.sleep(*seconds);
    return true;
  }
  if (isShowHiddenFilesKeystroke(source)) return toggleHiddenFiles();
  log_.log("did not run the script \u201c" + source + "\u201d: Linux has no scripting host");
  return false;
}

bool DesktopAppleScript::toggleHiddenFiles() {
  const std::string& program = requests_.requestingProgram();
  const auto flip = flipFileManagerHiddenFiles(program);
  if (!flip) return toggleStandInHiddenFiles();
  if (!flip->failure.empty()) {
    log_.log("could not flip the display of hidden files in " + program + ": " + flip->failure);
    return false;
  }
  log_.log(std::string("hidden files are now ") + (flip->shown ? "shown" : "hidden") + " in " +
           program);
  return true;
}

bool DesktopAppleScript::toggleStandInHiddenFiles() {
  const auto display = defaults_.standardUserDefaults(protocol::host_state::kDomain);
  if (!display) return false;  // the store has logged why
  const auto current = display->objectForKey(protocol::host_state::kShowsHiddenFiles);
  const bool shown = !(current && current->is<bool>() && *current->as<bool>());
  display->setBool(shown, protocol::host_state::kShowsHiddenFiles);
  if (const auto& failure = display->lastError()) {
    log_.log("could not flip the file manager's display of hidden files: " + *failure);
    return false;
  }
  log_.log(std::string("hidden files are now ") + (shown ? "shown" : "hidden") +
           " in the file manager (Linux has no scripting host; the display toggle was flipped "
           "instead)");
  return true;
}

}  // namespace platform::desktop
