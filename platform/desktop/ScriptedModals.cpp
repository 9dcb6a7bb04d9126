#include "desktop/ScriptedModals.h"

#include <cstdlib>

#include <fstream>

namespace platform::desktop {

std::unique_ptr<ScriptedModals> ScriptedModals::withoutDisplay(SystemLog& log,
                                                               QObject& mainThread) {
  auto answered = std::make_unique<ScriptedModals>(log, mainThread);
  if (const char* file = std::getenv("PLOVANE_MODAL_ANSWERS"); file != nullptr && *file != '\0') {
    if (auto why = answered->loadAnswers(file)) log.log(*why);
  }
  log.log("no display: modals are answered from a script and written here");
  return answered;
}

std::optional<std::string> ScriptedModals::loadAnswers(const std::filesystem::path& file) {
  std::ifstream in(file);
  if (!in) return "cannot read the modal answers in " + file.string();
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    if (!answer(line)) return "not a modal answer in " + file.string() + ": " + line;
  }
  return std::nullopt;
}

bool ScriptedModals::answer(const std::string& text) {
  auto parsed = scripted::ModalAnswer::parse(text);
  if (!parsed) return false;
  modals_.answer(std::move(*parsed));
  return true;
}

std::vector<std::string> ScriptedModals::takeShown() {
  std::vector<std::string> shown(lines_.begin() + static_cast<std::ptrdiff_t>(taken_),
                                 lines_.end());
  taken_ = lines_.size();
  return shown;
}

void ScriptedModals::logNewLines() {
  for (; logged_ < lines_.size(); ++logged_) {
    log_.standardOutput(lines_[logged_]);
  }
}

}  // namespace platform::desktop
