#include "shared/CommandCatalogue.h"

#include <map>

namespace plovane {

std::vector<std::string> catalogueTitles() {
  return {kCatalogueTitles.begin(), kCatalogueTitles.end()};
}

namespace {

// Built once, on first use; the initialisation of a function-local static is thread-safe.
const std::map<std::string, std::string>& commandIconTable() {
  static const std::map<std::string, std::string> table = {
      {"Open Terminal", "1"},
      {"Open System Preferences", "system-preferences-icon"},
      {"Set as Wallpaper", "4"},
      {"Create New Text File", "5"},
      {"Copy path to Clipboard", "6"},
      {"Send via Mail", "7"},
      {"Move to a folder", "9"},
      {"Copy to a folder", "10"},
      {"Open New Finder Window", "11"},
      {"Hide / Unhide item", "12"},
      {"Find Duplicate Files", "13"},
      {"Find Duplicate Photos", "14"},
      {"View or Edit Exif Data", "15"},
      {"Resize Photos", "16"},
      {"Configure Plovane Menu Settings", "NSActionTemplate"},
      {"Add Folders", "NSAddTemplate"},
      {kHideItemTitle, "12"},
      {kUnhideItemTitle, "12"},
  };
  return table;
}

}  // namespace

std::optional<std::string> commandIconName(const std::string& title) {
  const auto& table = commandIconTable();
  auto found = table.find(title);
  if (found == table.end()) return std::nullopt;
  return found->second;
}

std::size_t commandIconTableSize() { return commandIconTable().size(); }

}  // namespace plovane
