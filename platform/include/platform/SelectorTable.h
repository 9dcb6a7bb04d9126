#pragma once

#include <functional>
#include <map>
#include <string>

namespace platform {

class NSMenuItem;

// A target's exported methods by selector name, each taking its sender (a menu item or a
// control), so an action can travel as text (between processes, from a menu item) and an
// unknown selector is an error rather than a crash.
template <class Target, class Sender = const NSMenuItem*>
class SelectorTable {
 public:
  using Method = std::function<void(Target&, Sender sender)>;

  SelectorTable(std::initializer_list<std::pair<const std::string, Method>> methods)
      : methods_(methods) {}

  // False when the target exports no such selector.
  bool perform(Target& target, const std::string& selector, Sender sender) const {
    auto found = methods_.find(selector);
    if (found == methods_.end()) return false;
    found->second(target, sender);
    return true;
  }

 private:
  std::map<std::string, Method> methods_;
};

}  // namespace platform
