#include "scripted/ModalDescriptions.h"

namespace platform::scripted {

namespace {

const char* yesNo(bool value) { return value ? "yes" : "no"; }

const char* styleName(NSAlertStyle style) {
  switch (style) {
    case NSAlertStyle::warning:
      return "warning";
    case NSAlertStyle::informational:
      return "informational";
    case NSAlertStyle::critical:
      return "critical";
  }
  return "unknown";
}

std::string describeSaveFields(const NSSavePanel& panel) {
  std::string text;
  if (!panel.title.empty()) text += "\n  title: " + quoted(panel.title);
  if (!panel.message.empty()) text += "\n  message: " + quoted(panel.message);
  if (!panel.prompt.empty()) text += "\n  prompt: " + quoted(panel.prompt);
  if (!panel.nameFieldStringValue.empty())
    text += "\n  name: " + quoted(panel.nameFieldStringValue);
  text += "\n  directory: " + (panel.directoryURL ? panel.directoryURL->path() : "(default)");
  text += std::string("\n  shows hidden files: ") + yesNo(panel.showsHiddenFiles) +
          ", packages as folders: " + yesNo(panel.treatsFilePackagesAsDirectories);
  if (panel.allowedFileTypes) {
    text += "\n  file types:";
    for (const auto& type : *panel.allowedFileTypes) text += " " + quoted(type);
    text += std::string(", others allowed: ") + yesNo(panel.allowsOtherFileTypes);
  }
  return text;
}

}  // namespace

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string describe(const NSAlert& alert) {
  std::string text = std::string("alert (") + styleName(alert.alertStyle) +
                     ")\n  message: " + quoted(alert.messageText);
  if (!alert.informativeText.empty()) text += "\n  informative: " + quoted(alert.informativeText);
  text += "\n  buttons:";
  for (const auto& button : alert.buttons) {
    text += " " + quoted(button.title);
    if (!button.action.empty()) text += " -> " + button.action;
  }
  return text;
}

std::string describe(const NSOpenPanel& panel) {
  return std::string("open panel") + describeSaveFields(panel) +
         "\n  files: " + yesNo(panel.canChooseFiles) +
         ", folders: " + yesNo(panel.canChooseDirectories) +
         ", several: " + yesNo(panel.allowsMultipleSelection);
}

std::string describe(const NSSavePanel& panel) { return "save panel" + describeSaveFields(panel); }

}  // namespace platform::scripted
