#pragma once

#include <filesystem>
#include <optional>

#include "desktop/FinderSyncService.h"
#include "platform/SystemLog.h"
#include "sim/SimModals.h"

namespace platform::desktop {

// The modals of a program without a display: answered from a script (a file of answers, one
// per line, and answers sent later over the bus), each one written to the log as it is shown.
class ScriptedModals final : public Modals, public ScriptedModalAnswers {
 public:
  explicit ScriptedModals(SystemLog& log) : log_(log) {}

  // Reads the answers of `file`; why not, when it cannot be read or holds a line that is no answer.
  std::optional<std::string> loadAnswers(const std::filesystem::path& file);

  NSModalResponse runModal(NSAlert& alert) override {
    return logged([&] { return modals_.runModal(alert); });
  }
  NSModalResponse runModal(NSOpenPanel& panel) override {
    return logged([&] { return modals_.runModal(panel); });
  }
  NSModalResponse runModal(NSSavePanel& panel) override {
    return logged([&] { return modals_.runModal(panel); });
  }

  bool answer(const std::string& text) override;
  void forgetAnswers() override { modals_.forgetAnswers(); }
  std::size_t answersLeft() const override { return modals_.answersLeft(); }
  std::vector<std::string> takeShown() override;

 private:
  template <class Run>
  NSModalResponse logged(Run run) {
    const std::size_t before = transcript_.lines.size();
    try {
      const auto response = run();
      logSince(before);
      return response;
    } catch (...) {
      logSince(before);
      throw;
    }
  }
  void logSince(std::size_t first);

  SystemLog& log_;
  sim::Transcript transcript_;
  sim::SimModals modals_{transcript_};
  std::size_t taken_ = 0;
};

}  // namespace platform::desktop
