#pragma once

#include <map>
#include <string>
#include <vector>

namespace platform::protocol {

// The icon theme's names for the platform images this system asks for, best first: template
// images are drawn in one colour, like the theme's symbolic icons. Shared by the Qt drawing and
// the file-manager modules, which hand theme names to their file manager.
inline const std::map<std::string, std::vector<std::string>>& systemImageIconNames() {
  static const std::map<std::string, std::vector<std::string>> names = {
      {"NSActionTemplate", {"emblem-system-symbolic", "emblem-system"}},
      {"NSAddTemplate", {"list-add-symbolic", "list-add"}},
  };
  return names;
}

}  // namespace platform::protocol
