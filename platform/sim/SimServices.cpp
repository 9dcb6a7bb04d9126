#include "sim/SimServices.h"

#include <cstdio>

namespace platform::sim {

void SimNotificationCenter::postNotificationName(const std::string& name,
                                                 const std::string& object) {
  posts.push_back({name, object, runLoop_.now().secondsSince2001});
  transcript_.add("notification " + name + " object " + object);
  for (const auto& observation : observations_) {
    if (observation.name == name && observation.object == object) {
      runLoop_.dispatchAsyncMain(observation.observer);
    }
  }
}

void SimNotificationCenter::addObserver(const std::string& name, const std::string& object,
                                        Observer observer) {
  observations_.push_back({name, object, std::move(observer)});
}

void SimPasteboard::declareTypes(const std::vector<std::string>&) { contents_.clear(); }

bool SimPasteboard::setString(const std::string& text, const std::string& type) {
  if (!acceptsText) return false;
  contents_[type] = text;
  transcript_.add("pasteboard " + type + ": " + text);
  return true;
}

std::optional<std::string> SimPasteboard::stringForType(const std::string& type) const {
  auto found = contents_.find(type);
  if (found == contents_.end()) return std::nullopt;
  return found->second;
}

bool SimAppleScript::executeSource(const std::string& source) {
  sources.push_back(source);
  transcript_.add("script " + source);
  const auto seconds = scriptDelaySeconds(source);
  if (seconds) runLoop_.sleep(*seconds);
  return seconds.has_value();
}

void SimKeyboardEvents::post(const CGKeyboardEvent& event) {
  posted.push_back(event);
  char line[64];
  std::snprintf(line, sizeof line, "key 0x%02X %s flags 0x%llX", event.keyCode,
                event.keyDown ? "down" : "up", static_cast<unsigned long long>(event.flags));
  transcript_.add(line);
}

std::optional<std::string> SimComposeEmail::performWithItems(const std::vector<NSURL>& items) {
  std::string line = "compose email with";
  for (const auto& item : items) line += " " + item.path();
  if (failure) {
    transcript_.add(line + ": " + *failure);
    return failure;
  }
  transcript_.add(line);
  composed.push_back(items);
  return std::nullopt;
}

}  // namespace platform::sim
