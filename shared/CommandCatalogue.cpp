#include "shared/CommandCatalogue.h"

#include <map>

namespace plovane {

namespace {

constexpr bool rowsSitAtTheirPositions() {
  for (std::size_t position = 0; position < kCatalogueSize; ++position) {
    if (kCatalogue[position].position != static_cast<std::int64_t>(position)) return false;
  }
  return true;
}
static_assert(rowsSitAtTheirPositions(), "a command's tag is its row's index");

// Built once, on first use; the initialisation of a function-local static is thread-safe.
const std::map<std::string, std::string>& commandIconTable() {
  static const auto table = [] {
    std::map<std::string, std::string> icons;
    for (const auto& command : kCatalogue) {
      icons.emplace(command.title, command.icon);
      if (const auto* shown = command.titlesByHiddenFlag) {
        icons.emplace(shown->visible, command.icon);
        icons.emplace(shown->hidden, command.icon);
      }
    }
    return icons;
  }();
  return table;
}

}  // namespace

const CatalogueCommand* catalogueCommand(std::int64_t position) {
  if (position < 0 || static_cast<std::size_t>(position) >= kCatalogueSize) return nullptr;
  return &kCatalogue[static_cast<std::size_t>(position)];
}

std::vector<std::string> catalogueTitles() {
  return {kCatalogueTitles.begin(), kCatalogueTitles.end()};
}

std::optional<std::string> commandIconName(const std::string& title) {
  const auto& table = commandIconTable();
  auto found = table.find(title);
  if (found == table.end()) return std::nullopt;
  return found->second;
}

std::size_t commandIconTableSize() { return commandIconTable().size(); }

}  // namespace plovane
