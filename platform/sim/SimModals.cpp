#include "sim/SimModals.h"

#include <utility>

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
  if (panel.allowedFileTypes) {
    text += "\n  file types:";
    for (const auto& type : *panel.allowedFileTypes) text += " " + quoted(type);
    text += std::string(", others allowed: ") + yesNo(panel.allowsOtherFileTypes);
  }
  return text;
}

// Paths separated by tabs; absent when one of them is empty.
std::optional<std::vector<std::string>> tabSeparatedPaths(const std::string& text) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (true) {
    const auto tab = text.find('\t', start);
    paths.push_back(text.substr(start, tab == std::string::npos ? tab : tab - start));
    if (paths.back().empty()) return std::nullopt;
    if (tab == std::string::npos) return paths;
    start = tab + 1;
  }
}

std::string joined(const std::vector<NSURL>& urls) {
  std::string text;
  for (const auto& url : urls) text += (text.empty() ? "" : ", ") + url.path();
  return text;
}

}  // namespace

std::optional<ModalAnswer> ModalAnswer::parse(const std::string& text) {
  if (text == "ok") return ok();
  if (text == "cancel") return cancel();
  if (text.starts_with("ok:")) {
    if (auto paths = tabSeparatedPaths(text.substr(3))) return ok(std::move(*paths));
    return std::nullopt;
  }
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

void SimModals::answer(ModalAnswer next) {
  answers_.push_back(std::move(next));
  answerSheetsLater();
}

ModalAnswer SimModals::nextAnswer(const std::string& description) {
  transcript_.add(description);
  if (whileShown_) std::exchange(whileShown_, nullptr)();
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

std::optional<NSModalResponse> SimModals::pressAlertButton(NSAlert& alert,
                                                           const ModalAnswer& answer) {
  const auto index = clickedButton(alert, answer);
  const auto& button = alert.buttons[index];
  transcript_.add("  clicked " + quoted(button.title));
  if (button.target == nullptr) {
    alert.window().orderOut();
  } else {
    button.target->performSelector(button.action, nullptr);
  }
  if (alert.window().isVisible()) return std::nullopt;
  return NSAlertFirstButtonReturn + static_cast<NSModalResponse>(index);
}

NSModalResponse SimModals::runModal(NSAlert& alert) {
  alert.addOKButtonIfNone();
  shown.emplace_back(alert);
  alert.window().makeKeyAndOrderFront();
  while (true) {
    if (auto response = pressAlertButton(alert, nextAnswer(describe(alert)))) return *response;
  }
}

NSModalResponse SimModals::runModal(NSOpenPanel& panel) {
  shown.emplace_back(panel);
  const auto description = describe(panel);
  return answerOpenPanel(panel, nextAnswer(description));
}

NSModalResponse SimModals::runModal(NSSavePanel& panel) {
  shown.emplace_back(panel);
  const auto description = describe(panel);
  return answerPanel(panel, nextAnswer(description), description);
}

void SimModals::beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow&,
                                         Completion completion) {
  alert->addOKButtonIfNone();
  shown.emplace_back(*alert);
  alert->window().makeKeyAndOrderFront();
  openSheet(
      describe(*alert),
      [this, alert](const ModalAnswer& answer) { return pressAlertButton(*alert, answer); },
      std::move(completion));
}

void SimModals::beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow&,
                                         Completion completion) {
  shown.emplace_back(*panel);
  openSheet(
      describe(*panel),
      [this, panel](const ModalAnswer& answer) {
        return std::optional(answerOpenPanel(*panel, answer));
      },
      std::move(completion));
}

void SimModals::openSheet(std::string description, SheetStep step, Completion completion) {
  transcript_.add("sheet: " + description);
  sheets_.push_back({std::move(description), std::move(step), std::move(completion)});
  answerSheetsLater();
}

// The oldest open sheet takes the next answer on a later turn of the main queue, as a person
// answers after the program went back to its run loop.
void SimModals::answerSheetsLater() {
  if (answeringScheduled_ || sheets_.empty() || answers_.empty()) return;
  answeringScheduled_ = true;
  runLoop_.dispatchAsyncMain([this] {
    answeringScheduled_ = false;
    if (sheets_.empty() || answers_.empty()) return;
    ModalAnswer next = std::move(answers_.front());
    answers_.pop_front();
    // The step may open further sheets; they queue behind this one.
    const SheetStep step = sheets_.front().step;
    if (auto response = step(next)) {
      Completion completion = std::move(sheets_.front().completion);
      sheets_.pop_front();
      if (completion) completion(*response);
    }
    answerSheetsLater();
  });
}

NSModalResponse SimModals::answerOpenPanel(NSOpenPanel& panel, const ModalAnswer& answer) {
  if (answer.kind == ModalAnswer::Kind::ok && answer.paths.size() > 1 &&
      !panel.allowsMultipleSelection) {
    throw UnexpectedModal("the panel takes one item only:\n" + describe(panel));
  }
  const auto response = answerPanel(panel, answer, describe(panel));
  if (response == NSModalResponseOK) {
    panel.URLs.clear();
    for (const auto& path : answer.paths) panel.URLs.push_back(NSURL::fileURLWithPath(path));
  } else {
    panel.URLs = panel.URL ? std::vector<NSURL>{*panel.URL} : std::vector<NSURL>{};
  }
  return response;
}

NSModalResponse SimModals::answerPanel(NSSavePanel& panel, const ModalAnswer& answer,
                                       const std::string& description) {
  if (answer.kind == ModalAnswer::Kind::button) {
    throw UnexpectedModal("a panel needs ok or cancel:\n" + description);
  }
  if (answer.kind == ModalAnswer::Kind::cancel) {
    transcript_.add("  cancelled");
    return NSModalResponseCancel;
  }
  std::vector<NSURL> chosen;
  for (const auto& path : answer.paths) chosen.push_back(NSURL::fileURLWithPath(path));
  panel.URL = chosen.empty() ? std::nullopt : std::optional(chosen.front());
  transcript_.add(chosen.empty() ? std::string("  OK with no item")
                                 : "  OK with " + joined(chosen));
  return NSModalResponseOK;
}

}  // namespace platform::sim
