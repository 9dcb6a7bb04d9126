#pragma once

#include "desktop/display/DisplayHelper.h"
#include "platform/NSPasteboard.h"

namespace platform::desktop {

// The desktop clipboard through the display helper, whose DesktopPasteboard says what it takes
// (text only, and only UTF-8) and which keeps what it copied until another program takes the
// clipboard. The text crosses byte for byte, so those rules are applied there, once.
class HelperPasteboard final : public NSPasteboard {
 public:
  explicit HelperPasteboard(DisplayHelper& helper) : helper_(helper) {}

  void declareTypes(const std::vector<std::string>& types) override;
  bool setString(const std::string& text, const std::string& type) override;
  std::optional<std::string> stringForType(const std::string& type) const override;

 private:
  QJsonObject askAndWait(QJsonObject request) const;

  DisplayHelper& helper_;
};

}  // namespace platform::desktop
