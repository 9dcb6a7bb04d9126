#include "app/AppDelegate.h"

#include "app/mainStartWindow.h"
#include "app/tabviewcontroller.h"
#include "platform/SelectorTable.h"

namespace plovane::app {

namespace {

constexpr std::size_t kAboutTabIndex = 3;

const platform::SelectorTable<AppDelegate>& exportedMethods() {
  static const platform::SelectorTable<AppDelegate> methods = {
      {"menuItem_aboutCLicked:",
       [](AppDelegate& self, const platform::NSMenuItem* sender) {
         self.menuItem_aboutCLicked(sender);
       }},
      {"QuitMainApp", [](AppDelegate& self, const platform::NSMenuItem*) { self.QuitMainApp(); }},
  };
  return methods;
}

}  // namespace

void AppDelegate::applicationWillFinishLaunching(platform::NSApplication& application) {
  // A mail hand-off, which would take the launch over here, is not handled yet: every launch
  // opens the main window.
  application.setActivationPolicy(platform::NSApplicationActivationPolicy::regular);
  context_.mainWindowController();
}

bool AppDelegate::performSelector(const std::string& selector, const platform::NSMenuItem* sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void AppDelegate::QuitMainApp() { context_.application.terminate(this); }

void AppDelegate::menuItem_aboutCLicked(const platform::NSMenuItem*) {
  context_.tabViewController()->tabView().selectTabViewItemAtIndex(kAboutTabIndex);
}

platform::NSMenu AppDelegate::applicationMenu() {
  platform::NSMenu menu("Plovane Menu");
  menu.addItem(platform::NSMenuItem("About Plovane Menu", "menuItem_aboutCLicked:", ""));
  menu.addItem(platform::NSMenuItem("Quit Plovane Menu", "QuitMainApp", "q"));
  return menu;
}

}  // namespace plovane::app
