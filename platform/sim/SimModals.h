#pragma once

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

#include "platform/Modals.h"
#include "sim/Transcript.h"

namespace platform::sim {

// How the person at the screen answers the next modal.
struct ModalAnswer {
  enum class Kind { ok, cancel, button };
  Kind kind = Kind::ok;
  std::optional<std::string> path;  // ok: the item chosen, if any
  std::string buttonTitle;          // button: the title clicked

  static ModalAnswer ok(std::optional<std::string> chosen = std::nullopt) {
    return {Kind::ok, std::move(chosen), {}};
  }
  static ModalAnswer cancel() { return {Kind::cancel, std::nullopt, {}}; }
  static ModalAnswer button(std::string title) {
    return {Kind::button, std::nullopt, std::move(title)};
  }
  // "ok:PATH", "ok", "cancel" or "button:TITLE"; absent for anything else.
  static std::optional<ModalAnswer> parse(const std::string& text);
};

// A modal that came without an answer for it: the run cannot go on as scripted.
class UnexpectedModal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Modals answered from a script, each recorded with its whole configuration.
class SimModals final : public Modals {
 public:
  using Shown = std::variant<NSAlert, NSOpenPanel, NSSavePanel>;

  explicit SimModals(Transcript& transcript) : transcript_(transcript) {}

  void answer(ModalAnswer next) { answers_.push_back(std::move(next)); }
  std::size_t answersLeft() const { return answers_.size(); }
  void forgetAnswers() { answers_.clear(); }

  NSModalResponse runModal(NSAlert& alert) override;
  NSModalResponse runModal(NSOpenPanel& panel) override;
  NSModalResponse runModal(NSSavePanel& panel) override;

  std::vector<Shown> shown;

 private:
  ModalAnswer nextAnswer(const std::string& description);
  std::size_t clickedButton(const NSAlert& alert, const ModalAnswer& answer) const;
  NSModalResponse answerPanel(NSSavePanel& panel, const std::string& description);

  Transcript& transcript_;
  std::deque<ModalAnswer> answers_;
};

// One readable paragraph per modal, as the stand-in prints them.
std::string describe(const NSAlert& alert);
std::string describe(const NSOpenPanel& panel);
std::string describe(const NSSavePanel& panel);

}  // namespace platform::sim
