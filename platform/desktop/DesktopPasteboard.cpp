#include "desktop/DesktopPasteboard.h"

#include <QMimeData>

namespace platform::desktop {

namespace {

bool isText(const std::string& type) { return type == NSPasteboardTypeString; }

}  // namespace

void DesktopPasteboard::declareTypes(const std::vector<std::string>&) { clipboard_.clear(); }

bool DesktopPasteboard::setString(const std::string& text, const std::string& type) {
  if (!isText(type)) return false;
  const QString value = QString::fromStdString(text);
  // Text that is not UTF-8 would land as replacement characters: a different text.
  if (value.toStdString() != text) return false;
  clipboard_.setText(value);
  return clipboard_.text() == value;
}

std::optional<std::string> DesktopPasteboard::stringForType(const std::string& type) const {
  if (!isText(type)) return std::nullopt;
  const QMimeData* contents = clipboard_.mimeData();
  if (contents == nullptr || !contents->hasText()) return std::nullopt;
  return contents->text().toStdString();
}

}  // namespace platform::desktop
