#include "desktop/display/HelperPasteboard.h"

#include <QString>

namespace platform::desktop {

namespace {

bool isText(const std::string& type) { return type == NSPasteboardTypeString; }

}  // namespace

QJsonObject HelperPasteboard::askAndWait(QJsonObject request) const {
  QJsonObject answer;
  helper_.waitFor(helper_.ask(std::move(request), [&answer](const QJsonObject& message) {
    answer = message;
    return true;
  }));
  return answer;
}

void HelperPasteboard::declareTypes(const std::vector<std::string>&) {
  askAndWait({{"clipboard", "clear"}});
}

bool HelperPasteboard::setString(const std::string& text, const std::string& type) {
  if (!isText(type)) return false;
  const QString value = QString::fromStdString(text);
  // Text that is not UTF-8 would land as replacement characters: a different text.
  if (value.toStdString() != text) return false;
  bool copied = false;
  helper_.waitFor(helper_.ask({{"clipboard", "set"}, {"text", value}},
                              [this, &copied](const QJsonObject& answer) {
                                copied = answer["done"].toBool();
                                // Told before the exchange ends, which may stop an idle helper.
                                helper_.setHoldsClipboard(copied);
                                return true;
                              }));
  return copied;
}

std::optional<std::string> HelperPasteboard::stringForType(const std::string& type) const {
  if (!isText(type)) return std::nullopt;
  const auto answer = askAndWait({{"clipboard", "get"}});
  if (!answer["done"].toBool()) return std::nullopt;
  return answer["text"].toString().toStdString();
}

}  // namespace platform::desktop
