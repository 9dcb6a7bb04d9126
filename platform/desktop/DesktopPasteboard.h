#pragma once

#include <QClipboard>

#include "platform/NSPasteboard.h"

namespace platform::desktop {

// The desktop clipboard, which holds text only for this system.
class DesktopPasteboard final : public NSPasteboard {
 public:
  explicit DesktopPasteboard(QClipboard& clipboard) : clipboard_(clipboard) {}

  void declareTypes(const std::vector<std::string>& types) override;
  // False for any type but text, and when the clipboard did not take the text.
  bool setString(const std::string& text, const std::string& type) override;
  std::optional<std::string> stringForType(const std::string& type) const override;

 private:
  QClipboard& clipboard_;
};

}  // namespace platform::desktop
