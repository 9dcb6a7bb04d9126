#include "sim/SimModals.h"

namespace platform::sim {

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

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

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
  return text;
}

}  // namespace

std::optional<ModalAnswer> ModalAnswer::parse(const std::string& text) {
  if (text == "ok") return ok();
  if (text == "cancel") return cancel();
  if (text.starts_with("ok:") && text.size() > 3) return ok(text.substr(3));
  if (text.starts_with("button:") && text.size() > 7) return button(text.substr(7));
  return std::nullopt;
}

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

ModalAnswer SimModals::nextAnswer(const std::string& description) {
  transcript_.add(description);
  if (answers_.empty()) throw UnexpectedModal("no answer left for this modal:\n" + description);
  ModalAnswer next = std::move(answers_.front());
  answers_.pop_front();
  return next;
}

std::size_t SimModals::clickedButton(const NSAlert& alert, const ModalAnswer& answer) const {
  if (answer.kind != ModalAnswer::Kind::button) {
    throw UnexpectedModal("an alert needs a button answer:\n" + describe(alert));
  }
  for (std::size_t index = 0; index < alert.buttons.size(); ++index) {
    if (alert.buttons[index].title == answer.buttonTitle) return index;
  }
  throw UnexpectedModal("the alert has no button " + quoted(answer.buttonTitle) + ":\n" +
                        describe(alert));
}

NSModalResponse SimModals::runModal(NSAlert& alert) {
  shown.emplace_back(alert);
  alert.window().makeKeyAndOrderFront();
  while (true) {
    const auto index = clickedButton(alert, nextAnswer(describe(alert)));
    const auto& button = alert.buttons[index];
    transcript_.add("  clicked " + quoted(button.title));
    if (button.target == nullptr) {
      alert.window().orderOut();
    } else {
      button.target->performSelector(button.action, nullptr);
    }
    if (!alert.window().isVisible())
      return NSAlertFirstButtonReturn + static_cast<NSModalResponse>(index);
  }
}

NSModalResponse SimModals::runModal(NSOpenPanel& panel) {
  shown.emplace_back(panel);
  const auto response = answerPanel(panel, describe(panel));
  panel.URLs = panel.URL ? std::vector<NSURL>{*panel.URL} : std::vector<NSURL>{};
  return response;
}

NSModalResponse SimModals::runModal(NSSavePanel& panel) {
  shown.emplace_back(panel);
  return answerPanel(panel, describe(panel));
}

NSModalResponse SimModals::answerPanel(NSSavePanel& panel, const std::string& description) {
  const auto answer = nextAnswer(description);
  if (answer.kind == ModalAnswer::Kind::button) {
    throw UnexpectedModal("a panel needs ok or cancel:\n" + description);
  }
  if (answer.kind == ModalAnswer::Kind::cancel) {
    transcript_.add("  cancelled");
    return NSModalResponseCancel;
  }
  panel.URL = answer.path ? std::optional(NSURL::fileURLWithPath(*answer.path)) : std::nullopt;
  transcript_.add(panel.URL ? "  OK with " + panel.URL->path() : std::string("  OK with no item"));
  return NSModalResponseOK;
}

}  // namespace platform::sim
