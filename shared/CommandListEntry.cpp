#include "shared/CommandListEntry.h"

namespace plovane {

using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

namespace {

constexpr char kTitle[] = "title";
constexpr char kState[] = "state";

CommandListEntry readEntry(const PlistDictionary& fields) {
  CommandListEntry entry;
  if (const auto title = fields.find(kTitle); title != fields.end()) {
    if (const auto* text = title->second.as<std::string>()) entry.title = *text;
  }
  if (const auto state = fields.find(kState); state != fields.end()) {
    if (const auto* flag = state->second.as<bool>()) entry.state = *flag;
  }
  return entry;
}

}  // namespace

std::optional<CommandList> readCommandList(const PlistValue& stored) {
  const auto* rows = stored.as<PlistArray>();
  if (rows == nullptr) return std::nullopt;
  CommandList list;
  list.reserve(rows->size());
  for (const auto& row : *rows) {
    const auto* fields = row.as<PlistDictionary>();
    if (fields == nullptr) return std::nullopt;
    list.push_back(readEntry(*fields));
  }
  return list;
}

PlistArray storedCommandList(const CommandList& list) {
  PlistArray stored;
  stored.reserve(list.size());
  for (const auto& entry : list) {
    stored.emplace_back(PlistDictionary{{kTitle, entry.title}, {kState, entry.state}});
  }
  return stored;
}

}  // namespace plovane
