#include "scripted/ModalAnswer.h"

namespace platform::scripted {

namespace {

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

}  // namespace platform::scripted
