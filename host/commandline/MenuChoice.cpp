#include "host/commandline/MenuChoice.h"

namespace plovane::host {

namespace {

constexpr std::string_view kSeparator = " > ";

}  // namespace

std::vector<std::string> parseTitlePath(const std::string& text) {
  std::vector<std::string> titles;
  std::size_t start = 0;
  for (auto at = text.find(kSeparator); at != std::string::npos;
       at = text.find(kSeparator, start)) {
    titles.push_back(text.substr(start, at - start));
    start = at + kSeparator.size();
  }
  titles.push_back(text.substr(start));
  return titles;
}

std::optional<platform::NSMenuItem> findEntry(const platform::NSMenu& menu,
                                              const std::vector<std::string>& titles) {
  const platform::NSMenu* level = &menu;
  for (std::size_t depth = 0; depth < titles.size(); ++depth) {
    const platform::NSMenuItem* found = nullptr;
    for (const auto& item : level->items) {
      if (item.title == titles[depth]) {
        found = &item;
        break;
      }
    }
    if (found == nullptr) return std::nullopt;
    if (depth + 1 == titles.size()) return *found;
    if (!found->submenu) return std::nullopt;
    level = found->submenu.get();
  }
  return std::nullopt;
}

}  // namespace plovane::host
