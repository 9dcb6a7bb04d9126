#include "desktop/FileManagerHiddenFiles.h"

#include <QStringList>
#include <array>

#include "desktop/ProgramLauncher.h"
#include "desktop/ProgramOutput.h"

namespace platform::desktop {

namespace {

// Where a file manager keeps the setting: a GSettings key, or (no schema) Thunar's xfconf one.
struct Setting {
  const char* program;
  const char* schema;
  const char* key;
};

constexpr std::array<Setting, 4> kSettings = {{
    {"nautilus", "org.gtk.gtk4.Settings.FileChooser", "show-hidden"},
    {"nemo", "org.nemo.preferences", "show-hidden-files"},
    {"caja", "org.mate.caja.preferences", "show-hidden-files"},
    {"thunar", nullptr, "/last-show-hidden"},
}};

QString word(bool value) { return value ? QStringLiteral("true") : QStringLiteral("false"); }

HiddenFilesFlip flipGSettings(const Setting& setting) {
  const auto gsettings = findOnPath({"gsettings"});
  if (!gsettings) return {false, "gsettings is not installed"};
  const QStringList key{QString::fromUtf8(setting.schema), QString::fromUtf8(setting.key)};
  const auto current = runForOutput(*gsettings, QStringList{QStringLiteral("get")} + key);
  if (!current.ran) return {false, current.failure.toStdString()};
  const bool shown = current.output != word(true);
  const auto set =
      runForOutput(*gsettings, QStringList{QStringLiteral("set")} + key << word(shown));
  if (!set.ran) return {false, set.failure.toStdString()};
  // Without a settings service a write is lost silently; only what reads back has taken.
  const auto now = runForOutput(*gsettings, QStringList{QStringLiteral("get")} + key);
  if (!now.ran || now.output != word(shown)) {
    return {false,
            "the setting did not take (it reads \u201c" + now.output.toStdString() + "\u201d)"};
  }
  return {shown, {}};
}

HiddenFilesFlip flipXfconf(const Setting& setting) {
  const auto xfconf = findOnPath({"xfconf-query"});
  if (!xfconf) return {false, "xfconf-query is not installed"};
  const QStringList property{QStringLiteral("-c"), QStringLiteral("thunar"), QStringLiteral("-p"),
                             QString::fromUtf8(setting.key)};
  // A property never set reads as an error: hidden files are not shown then.
  const bool shown = runForOutput(*xfconf, property).output != word(true);
  const auto set = runForOutput(
      *xfconf, property + QStringList{QStringLiteral("-n"), QStringLiteral("-t"),
                                      QStringLiteral("bool"), QStringLiteral("-s"), word(shown)});
  if (!set.ran) return {false, set.failure.toStdString()};
  return {shown, {}};
}

}  // namespace

std::optional<HiddenFilesFlip> flipFileManagerHiddenFiles(const std::string& program) {
  for (const auto& setting : kSettings) {
    if (program != setting.program) continue;
    return setting.schema != nullptr ? flipGSettings(setting) : flipXfconf(setting);
  }
  return std::nullopt;
}

}  // namespace platform::desktop
