#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/QtRunLoop.h"
#include "desktop/findersync/FinderSyncService.h"
#include "platform/SystemLog.h"
#include "scripted/AnsweredModals.h"

namespace platform::desktop {

// The modals of a program without a display: answered from a script (a file of answers, one
// per line, and answers sent later over the bus), each one written to the log as it is shown.
// Sheets wait on the Qt event loop of `mainThread` until an answer is there.
class ScriptedModals final : public Modals, public ScriptedModalAnswers {
 public:
  ScriptedModals(SystemLog& log, QObject& mainThread) : log_(log), runLoop_(mainThread) {}
  // Those of a program that found no display: first answered from $PLOVANE_MODAL_ANSWERS, and a
  // log line says that modals are scripted.
  static std::unique_ptr<ScriptedModals> withoutDisplay(SystemLog& log, QObject& mainThread);

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
  void beginSheetModalForWindow(std::shared_ptr<NSAlert> alert, NSWindow& window,
                                Completion completion) override {
    modals_.beginSheetModalForWindow(std::move(alert), window, logged(std::move(completion)));
    logNewLines();
  }
  void beginSheetModalForWindow(std::shared_ptr<NSOpenPanel> panel, NSWindow& window,
                                Completion completion) override {
    modals_.beginSheetModalForWindow(std::move(panel), window, logged(std::move(completion)));
    logNewLines();
  }

  bool answer(const std::string& text) override;
  void forgetAnswers() override { modals_.forgetAnswers(); }
  void dropAnswers(const std::string& why) override {
    modals_.forgetAnswers();
    log_.log(why);
  }
  std::size_t answersLeft() const override { return modals_.answersLeft(); }
  std::vector<std::string> takeShown() override;

 private:
  template <class Run>
  NSModalResponse logged(Run run) {
    try {
      const auto response = run();
      logNewLines();
      return response;
    } catch (...) {
      logNewLines();
      throw;
    }
  }
  // The sheet's answer is written to the log before its completion runs.
  Completion logged(Completion completion) {
    return [this, completion = std::move(completion)](NSModalResponse response) {
      logNewLines();
      if (completion) completion(response);
    };
  }
  void logNewLines();

  SystemLog& log_;
  QtRunLoop runLoop_;
  std::vector<std::string> lines_;  // each shown modal and its answer
  scripted::AnsweredModals modals_{lines_, runLoop_};
  std::size_t logged_ = 0;
  std::size_t taken_ = 0;
};

}  // namespace platform::desktop
