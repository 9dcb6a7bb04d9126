#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

inline constexpr char NSPasteboardTypeString[] = "public.utf8-plain-text";

class NSPasteboard {
 public:
  virtual ~NSPasteboard() = default;
  // Clears the contents and announces the types about to be written.
  virtual void declareTypes(const std::vector<std::string>& types) = 0;
  virtual bool setString(const std::string& text, const std::string& type) = 0;
  virtual std::optional<std::string> stringForType(const std::string& type) const = 0;
};

}  // namespace platform
