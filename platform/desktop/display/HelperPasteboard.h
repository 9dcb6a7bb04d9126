#pragma once

#include "desktop/display/DisplayHelper.h"
#include "platform/NSPasteboard.h"

namespace platform::desktop {

// The desktop clipboard through the display helper, which holds text only for this system and
// keeps what it copied until another program takes the clipboard.
class HelperPasteboard final : public NSPasteboard {
 public:
  explicit HelperPasteboard(DisplayHelper& helper) : helper_(helper) {}

  void declareTypes(const std::vector<std::string>& types) override;
  // False for any type but text, for text that is not UTF-8, and when the clipboard did not
  // take the text.
  bool setString(const std::string& text, const std::string& type) override;
  std::optional<std::string> stringForType(const std::string& type) const override;

 private:
  QJsonObject askAndWait(QJsonObject request) const;

  DisplayHelper& helper_;
};

}  // namespace platform::desktop
