#include "desktop/display/DisplayMessages.h"

#include <QJsonArray>
#include <QString>

namespace platform::desktop::display {

namespace {

QString text(const std::string& value) { return QString::fromStdString(value); }
std::string text(const QJsonValue& value) { return value.toString().toStdString(); }

QString pathText(const NSURL& url) { return exactText(url.path()); }
NSURL urlFrom(const QJsonValue& value) { return NSURL::fileURLWithPath(bytesOf(value)); }

QJsonArray pathsOf(const std::vector<NSURL>& urls) {
  QJsonArray paths;
  for (const auto& url : urls) paths.append(pathText(url));
  return paths;
}

constexpr const char* kStyles[] = {"warning", "informational", "critical"};

}  // namespace

// Percent-encoded, so that names that are not UTF-8 cross too.
QString exactText(const std::string& bytes) {
  return QString::fromLatin1(QByteArray::fromStdString(bytes).toPercentEncoding("/"));
}

std::string bytesOf(const QJsonValue& text) {
  return QByteArray::fromPercentEncoding(text.toString().toLatin1()).toStdString();
}

QJsonObject describe(const NSAlert& alert) {
  QJsonArray buttons;
  for (const auto& button : alert.buttons) buttons.append(text(button.title));
  return {{"show", "alert"},
          {"style", kStyles[static_cast<int>(alert.alertStyle)]},
          {"message", text(alert.messageText)},
          {"informative", text(alert.informativeText)},
          {"buttons", buttons}};
}

NSAlert alertFrom(const QJsonObject& description) {
  NSAlert alert;
  const QString style = description["style"].toString();
  for (int index = 0; index < 3; ++index) {
    if (style == kStyles[index]) alert.alertStyle = static_cast<NSAlertStyle>(index);
  }
  alert.messageText = text(description["message"]);
  alert.informativeText = text(description["informative"]);
  for (const auto& title : description["buttons"].toArray()) alert.addButtonWithTitle(text(title));
  return alert;
}

QJsonObject describe(const NSSavePanel& panel) {
  QJsonObject description{
      {"show", "save"},
      {"title", text(panel.title)},
      {"message", text(panel.message)},
      {"prompt", text(panel.prompt)},
      {"name", text(panel.nameFieldStringValue)},
      {"allowsOtherFileTypes", panel.allowsOtherFileTypes},
      {"treatsFilePackagesAsDirectories", panel.treatsFilePackagesAsDirectories},
      {"showsHiddenFiles", panel.showsHiddenFiles}};
  if (panel.directoryURL) description["directory"] = pathText(*panel.directoryURL);
  if (panel.allowedFileTypes) {
    QJsonArray types;
    for (const auto& type : *panel.allowedFileTypes) types.append(text(type));
    description["allowedFileTypes"] = types;
  }
  return description;
}

QJsonObject describe(const NSOpenPanel& panel) {
  QJsonObject description = describe(static_cast<const NSSavePanel&>(panel));
  description["show"] = "open";
  description["canChooseFiles"] = panel.canChooseFiles;
  description["canChooseDirectories"] = panel.canChooseDirectories;
  description["allowsMultipleSelection"] = panel.allowsMultipleSelection;
  return description;
}

void setUp(NSSavePanel& panel, const QJsonObject& description) {
  panel.title = text(description["title"]);
  panel.message = text(description["message"]);
  panel.prompt = text(description["prompt"]);
  panel.nameFieldStringValue = text(description["name"]);
  panel.allowsOtherFileTypes = description["allowsOtherFileTypes"].toBool();
  panel.treatsFilePackagesAsDirectories = description["treatsFilePackagesAsDirectories"].toBool();
  panel.showsHiddenFiles = description["showsHiddenFiles"].toBool();
  if (description.contains("directory")) panel.directoryURL = urlFrom(description["directory"]);
  if (description.contains("allowedFileTypes")) {
    std::vector<std::string> types;
    for (const auto& type : description["allowedFileTypes"].toArray()) types.push_back(text(type));
    panel.allowedFileTypes = std::move(types);
  }
}

void setUp(NSOpenPanel& panel, const QJsonObject& description) {
  setUp(static_cast<NSSavePanel&>(panel), description);
  panel.canChooseFiles = description["canChooseFiles"].toBool();
  panel.canChooseDirectories = description["canChooseDirectories"].toBool();
  panel.allowsMultipleSelection = description["allowsMultipleSelection"].toBool();
}

QJsonObject choiceOf(const NSSavePanel& panel) {
  QJsonObject choice;
  if (panel.URL) choice["URL"] = pathText(*panel.URL);
  return choice;
}

QJsonObject choiceOf(const NSOpenPanel& panel) {
  QJsonObject choice = choiceOf(static_cast<const NSSavePanel&>(panel));
  choice["URLs"] = pathsOf(panel.URLs);
  return choice;
}

void takeChoice(NSSavePanel& panel, const QJsonObject& answer) {
  if (answer.contains("URL")) panel.URL = urlFrom(answer["URL"]);
}

void takeChoice(NSOpenPanel& panel, const QJsonObject& answer) {
  takeChoice(static_cast<NSSavePanel&>(panel), answer);
  panel.URLs.clear();
  for (const auto& path : answer["URLs"].toArray()) panel.URLs.push_back(urlFrom(path));
}

}  // namespace platform::desktop::display
