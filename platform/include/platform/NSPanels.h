#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/NSURL.h"

namespace platform {

// The properties the system sets on a save panel; `URL` is what the user confirmed.
class NSSavePanel {
 public:
  std::string title;
  std::string message;
  std::string prompt;
  std::string nameFieldStringValue;
  std::optional<NSURL> directoryURL;
  std::optional<std::vector<std::string>> allowedFileTypes;
  bool allowsOtherFileTypes = false;
  bool treatsFilePackagesAsDirectories = false;
  bool showsHiddenFiles = false;

  std::optional<NSURL> URL;
};

class NSOpenPanel : public NSSavePanel {
 public:
  bool canChooseFiles = true;
  bool canChooseDirectories = false;
  bool allowsMultipleSelection = false;

  std::vector<NSURL> URLs;
};

}  // namespace platform
