#include "scripted/AnsweredModals.h"

#include <utility>

#include "scripted/ModalDescriptions.h"

namespace platform::scripted {

namespace {

std::string joined(const std::vector<NSURL>& urls) {
  std::string text;
  for (const auto& url : urls) text += (text.empty() ? "" : ", ") + url.path();
  return text;
}

}  // namespace

void AnsweredModals::answer(ModalAnswer next) {
  answers_.push_back(std::move(next));
  answerSheetsLater();
}

ModalAnswer AnsweredModals::nextAnswer(const std::string& description) {
  record_.push_back(description);
  if (whileShown_) std::exchange(whileShown_, nullptr)();
  if (answers_.empty()) throw UnexpectedModal("no answer left for this modal:\n" + description);
  ModalAnswer next = std::move(answers_.front());
  answers_.pop_front();
  return next;
}

std::size_t AnsweredModals::clickedButton(const NSAlert& alert, const ModalAnswer& answer) const {
  if (answer.kind != ModalAnswer::Kind::button) {
    throw UnexpectedModal("an alert needs a button answer:\n" + describe(alert));
  }
  for (std::size_t index = 0; index < alert.buttons.size(); ++index) {
    if (alert.buttons[index].title == answer.buttonTitle) return index;
  }
  throw UnexpectedModal("the alert has no button " + quoted(answer.buttonTitle) + ":\n" +
                        describe(alert));
}

std::optional<NSModalResponse> AnsweredModals::pressAlertButton(NSAlert& alert,
                                                                const ModalAnswer& answer) {
  const auto index = clickedButton(alert, answer);
  const auto& button = alert.buttons[index];
  record_.push_back("  clicked " + quoted(button.title));
  if (button.target == nullptr) {
    alert.window().orderOut();
  } else {
    button.target->performSelector(button.action, nullptr);
  }
  if (alert.window().isVisible()) return std::nullopt;
  return NSAlertFirstButtonReturn + static_cast<NSModalResponse>(index);
}

NSModalResponse AnsweredModals::runModal(NSAlert& alert) {
  alert.addOKButtonIfNone();
  shown.emplace_back(alert);
  alert.window().makeKeyAndOrderFront();
  while (true) {
    if (auto response = pressAlertButton(alert, nextAnswer(describe(alert)))) return *response;
  }
}

NSModalResponse AnsweredModals::runModal(NSOpenPanel& panel) {
  shown.emplace_back(panel);
  const auto description = describe(panel);
  return answerOpenPanel(panel, nextAnswer(description));
}

NSModalResponse AnsweredModals::runModal(NSSavePanel& panel) {
  shown.emplace_back(panel);
  const auto description = describe(panel);
  return answerPanel(panel, nextAnswer(description), description);
}

void AnsweredModals::beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow&,
                                              Completion completion) {
  alert->addOKButtonIfNone();
  shown.emplace_back(*alert);
  alert->window().makeKeyAndOrderFront();
  openSheet(
      describe(*alert),
      [this, alert](const ModalAnswer& answer) { return pressAlertButton(*alert, answer); },
      std::move(completion));
}

void AnsweredModals::beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow&,
                                              Completion completion) {
  shown.emplace_back(*panel);
  openSheet(
      describe(*panel),
      [this, panel](const ModalAnswer& answer) {
        return std::optional(answerOpenPanel(*panel, answer));
      },
      std::move(completion));
}

void AnsweredModals::openSheet(std::string description, SheetStep step, Completion completion) {
  record_.push_back("sheet: " + description);
  sheets_.push_back({std::move(description), std::move(step), std::move(completion)});
  answerSheetsLater();
}

// The oldest open sheet takes the next answer on a later turn of the main queue, as a person
// answers after the program went back to its run loop.
void AnsweredModals::answerSheetsLater() {
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

NSModalResponse AnsweredModals::answerOpenPanel(NSOpenPanel& panel, const ModalAnswer& answer) {
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

NSModalResponse AnsweredModals::answerPanel(NSSavePanel& panel, const ModalAnswer& answer,
                                            const std::string& description) {
  if (answer.kind == ModalAnswer::Kind::button) {
    throw UnexpectedModal("a panel needs ok or cancel:\n" + description);
  }
  if (answer.kind == ModalAnswer::Kind::cancel) {
    record_.push_back("  cancelled");
    return NSModalResponseCancel;
  }
  std::vector<NSURL> chosen;
  for (const auto& path : answer.paths) chosen.push_back(NSURL::fileURLWithPath(path));
  panel.URL = chosen.empty() ? std::nullopt : std::optional(chosen.front());
  record_.push_back(chosen.empty() ? std::string("  OK with no item")
                                   : "  OK with " + joined(chosen));
  return NSModalResponseOK;
}

}  // namespace platform::scripted
