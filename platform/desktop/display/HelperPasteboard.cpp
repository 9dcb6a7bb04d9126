#include "desktop/display/HelperPasteboard.h"

#include "desktop/display/DisplayMessages.h"

namespace platform::desktop {

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
  bool copied = false;
  helper_.waitFor(helper_.ask({{"clipboard", "set"},
                               {"type", QString::fromStdString(type)},
                               {"text", display::exactText(text)}},
                              [this, &copied](const QJsonObject& answer) {
                                copied = answer["done"].toBool();
                                // Told before the exchange ends, which may stop an idle helper.
                                helper_.setHoldsClipboard(copied);
                                return true;
                              }));
  return copied;
}

std::optional<std::string> HelperPasteboard::stringForType(const std::string& type) const {
  const auto answer = askAndWait({{"clipboard", "get"}, {"type", QString::fromStdString(type)}});
  if (!answer["done"].toBool()) return std::nullopt;
  return display::bytesOf(answer["text"]);
}

}  // namespace platform::desktop
