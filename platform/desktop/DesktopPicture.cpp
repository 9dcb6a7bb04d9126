#include "desktop/DesktopPicture.h"

#include <QStringList>

#include "desktop/ProgramOutput.h"
#include "platform/NSURL.h"

namespace platform::desktop {

namespace {

const QString kSchema = QStringLiteral("org.gnome.desktop.background");

// A GVariant string as gsettings reads it: quoted, with quotes and backslashes escaped.
QString stringLiteral(const QString& text) {
  QString escaped = text;
  escaped.replace(u'\\', QStringLiteral("\\\\"));
  escaped.replace(u'\'', QStringLiteral("\\'"));
  return u'\'' + escaped + u'\'';
}

// The string of a GVariant string literal as gsettings prints one; gsettings picks double
// quotes when the text holds a single one.
std::optional<QString> stringOfLiteral(const QString& literal) {
  if (literal.size() < 2 || (literal.front() != u'\'' && literal.front() != u'"') ||
      literal.back() != literal.front()) {
    return std::nullopt;
  }
  QString text;
  for (qsizetype i = 1; i + 1 < literal.size(); ++i) {
    if (literal[i] == u'\\' && i + 2 < literal.size()) ++i;
    text += literal[i];
  }
  return text;
}

std::string describe(const QString& key, const QString& failure) {
  return (key + QStringLiteral(": ") + failure).toStdString();
}

}  // namespace

std::optional<std::string> setGnomeDesktopPicture(const std::filesystem::path& gsettings,
                                                  const std::filesystem::path& image) {
  const QString uri =
      QString::fromStdString(NSURL::fileURLWithPath(image.string()).absoluteString());
  for (const QString& key : {QStringLiteral("picture-uri"), QStringLiteral("picture-uri-dark")}) {
    const auto set =
        runForOutput(gsettings, {QStringLiteral("set"), kSchema, key, stringLiteral(uri)});
    if (!set.ran) return describe(key, set.failure);
    const auto get = runForOutput(gsettings, {QStringLiteral("get"), kSchema, key});
    if (!get.ran) return describe(key, get.failure);
    if (stringOfLiteral(get.output) != uri) {
      return describe(key, QStringLiteral("the value did not take (it reads \u201c") + get.output +
                               QStringLiteral("\u201d)"));
    }
  }
  return std::nullopt;
}

}  // namespace platform::desktop
