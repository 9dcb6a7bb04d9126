#include "platform/NSStoryboard.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>

namespace platform {

namespace {

std::string className(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> readable(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
  return status == 0 && readable ? std::string(readable.get()) : std::string(type.name());
}

}  // namespace

void NSStoryboard::defineController(const std::string& identifier, Factory factory) {
  factories_[identifier] = std::move(factory);
}

NSStoryboard::Controller NSStoryboard::instantiate(const std::string& identifier) const {
  auto factory = factories_.find(identifier);
  if (factory == factories_.end()) {
    throw NSStoryboardError("storyboard \"" + name_ + "\" has no controller with identifier \"" +
                            identifier + "\"");
  }
  return factory->second();
}

NSStoryboardError NSStoryboard::wrongClass(const std::string& identifier, const Controller& made,
                                           const std::type_info& wanted) const {
  const std::string found =
      std::visit([](const auto& any) { return any ? className(typeid(*any)) : "nothing"; }, made);
  return NSStoryboardError("storyboard \"" + name_ + "\": controller \"" + identifier + "\" is a " +
                           found + ", not a " + className(wanted));
}

}  // namespace platform
