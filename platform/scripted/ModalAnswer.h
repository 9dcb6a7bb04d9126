#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::scripted {

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

}  // namespace platform::scripted
