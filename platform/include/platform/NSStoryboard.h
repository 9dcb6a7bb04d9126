#pragma once

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <variant>

#include "platform/NSViewController.h"
#include "platform/NSWindow.h"

namespace platform {

// A controller the storyboard cannot give as asked: the program is built wrong.
class NSStoryboardError : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Controllers by identifier, each made (with its views) by the storyboard's own code.
class NSStoryboard {
 public:
  using Controller =
      std::variant<std::shared_ptr<NSViewController>, std::shared_ptr<NSWindowController>>;
  using Factory = std::function<Controller()>;

  explicit NSStoryboard(std::string name) : name_(std::move(name)) {}
  const std::string& name() const { return name_; }

  void defineController(const std::string& identifier, Factory factory);

  // A new controller of class T; throws NSStoryboardError naming the identifier and both
  // classes when the identifier is unknown or its controller is of another class.
  template <class T>
  std::shared_ptr<T> instantiateControllerWithIdentifier(const std::string& identifier) const {
    auto made = instantiate(identifier);
    std::shared_ptr<T> controller;
    std::visit([&](auto& any) { controller = std::dynamic_pointer_cast<T>(any); }, made);
    if (!controller) throw wrongClass(identifier, made, typeid(T));
    return controller;
  }

 private:
  Controller instantiate(const std::string& identifier) const;
  NSStoryboardError wrongClass(const std::string& identifier, const Controller& made,
                               const std::type_info& wanted) const;

  std::string name_;
  std::map<std::string, Factory> factories_;
};

}  // namespace platform
