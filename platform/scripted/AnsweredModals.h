#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/Modals.h"
#include "platform/RunLoop.h"
#include "scripted/ModalAnswer.h"

namespace platform::scripted {

// A modal that came without an answer for it: the run cannot go on as scripted.
class UnexpectedModal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Modals answered from a script, each recorded with its whole configuration: its description
// and what answered it are appended to `record`, a line each. A modal takes the next answer at
// once; a sheet waits on the main queue until an answer is there, so the program runs on while
// it is open.
class AnsweredModals final : public Modals {
 public:
  using Shown = std::variant<NSAlert, NSOpenPanel, NSSavePanel>;

  AnsweredModals(std::vector<std::string>& record, RunLoop& runLoop)
      : record_(record), runLoop_(runLoop) {}

  void answer(ModalAnswer next);
  // Runs `block` once the next modal is shown, before it takes its answer: what reaches the
  // program while a person reads it (a desktop's modal keeps the event loop running).
  void whileNextModalShows(Block block) { whileShown_ = std::move(block); }
  std::size_t answersLeft() const { return answers_.size(); }
  void forgetAnswers() { answers_.clear(); }

  NSModalResponse runModal(NSAlert& alert) override;
  NSModalResponse runModal(NSOpenPanel& panel) override;
  NSModalResponse runModal(NSSavePanel& panel) override;
  void beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow& window,
                                Completion completion) override;
  void beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow& window,
                                Completion completion) override;

  std::size_t openSheets() const { return sheets_.size(); }

  std::vector<Shown> shown;

 private:
  // Takes one answer for an open sheet; the response once the sheet has ended.
  using SheetStep = std::function<std::optional<NSModalResponse>(const ModalAnswer&)>;
  struct Sheet {
    std::string description;
    SheetStep step;
    Completion completion;
  };

  void openSheet(std::string description, SheetStep step, Completion completion);
  void answerSheetsLater();
  std::optional<NSModalResponse> pressAlertButton(NSAlert& alert, const ModalAnswer& answer);
  NSModalResponse answerOpenPanel(NSOpenPanel& panel, const ModalAnswer& answer);
  ModalAnswer nextAnswer(const std::string& description);
  std::size_t clickedButton(const NSAlert& alert, const ModalAnswer& answer) const;
  NSModalResponse answerPanel(NSSavePanel& panel, const ModalAnswer& answer,
                              const std::string& description);

  std::vector<std::string>& record_;
  RunLoop& runLoop_;
  std::deque<ModalAnswer> answers_;
  std::deque<Sheet> sheets_;
  bool answeringScheduled_ = false;
  Block whileShown_;
};

}  // namespace platform::scripted
