#include "desktop/ScriptedModals.h"

#include <fstream>

namespace platform::desktop {

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
