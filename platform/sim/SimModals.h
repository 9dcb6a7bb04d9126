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
#include "sim/Transcript.h"

namespace platform::sim {

// How the person at the screen answers the next modal.
struct ModalAnswer {
  enum class Kind { ok, cancel, button };
  Kind kind = Kind::ok;
  std::vector<std::string> paths;  // ok: the items chosen, in the panel's order
  std::string buttonTitle;         // button: the title clicked

  static ModalAnswer ok(std::optional<std::string> chosen = std::nullopt) {
    return {Kind::ok, chosen ? std::vector{std::move(*chosen)} : std::vector<std::string>{}, {}};
  }
  static ModalAnswer ok(std::vector<std::string> chosen) {
    return {Kind::ok, std::move(chosen), {}};
  }
  static ModalAnswer cancel() { return {Kind::cancel, {}, {}}; }
  static ModalAnswer button(std::string title) { return {Kind::button, {}, std::move(title)}; }
  // "ok:PATH", "ok:PATH<tab>PATH..." (several items, tab-separated), "ok", "cancel" or
  // "button:TITLE"; absent for anything else.
  static std::optional<ModalAnswer> parse(const std::string& text);
};

// A modal that came without an answer for it: the run cannot go on as scripted.
class UnexpectedModal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Modals answered from a script, each recorded with its whole configuration. A modal takes the
// next answer at once; a sheet waits on the main queue until an answer is there, so the
// program runs on while it is open.
class SimModals final : public Modals {
 public:
  using Shown = std::variant<NSAlert, NSOpenPanel, NSSavePanel>;

  SimModals(Transcript& transcript, RunLoop& runLoop)
      : transcript_(transcript), runLoop_(runLoop) {}

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

  Transcript& transcript_;
  RunLoop& runLoop_;
  std::deque<ModalAnswer> answers_;
  std::deque<Sheet> sheets_;
  bool answeringScheduled_ = false;
  Block whileShown_;
};

// One readable paragraph per modal, as the stand-in prints them.
std::string describe(const NSAlert& alert);
std::string describe(const NSOpenPanel& panel);
std::string describe(const NSSavePanel& panel);

}  // namespace platform::sim
