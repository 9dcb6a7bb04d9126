#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/PlistValue.h"

namespace plovane {

// One row of the command list: the title shown for its catalogue position and whether the menu
// offers it. Stored under "menuArrayDic" as {"title": text, "state": boolean}.
struct CommandListEntry {
  std::string title;
  bool state = false;

  friend bool operator==(const CommandListEntry&, const CommandListEntry&) = default;
};

using CommandList = std::vector<CommandListEntry>;

// The rows of a stored list; absent unless it is a list of dictionaries. A row without a text
// "title" reads with an empty title, one without a boolean "state" as switched off.
std::optional<CommandList> readCommandList(const platform::PlistValue& stored);
platform::PlistArray storedCommandList(const CommandList& list);

}  // namespace plovane
