#include "app/AppDelegate.h"

#include "app/MailAttachmentComposer.h"
#include "app/mainStartWindow.h"
#include "app/tabviewcontroller.h"
#include "platform/SelectorTable.h"
#include "shared/SettingsKeys.h"

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

void AppDelegate::applicationWillFinishLaunching(platform::NSApplication&) {
  if (context_.mailComposer().takeOverLaunch()) {
    hearExtensionWhileMailOnly();
    return;
  }
  openMainWindow();
}

void AppDelegate::openMainWindow() {
  context_.application.setActivationPolicy(platform::NSApplicationActivationPolicy::regular);
  context_.mainWindowController();
}

// While the app stays only for mail it owns its name on the bus, so the extension notifies it
// rather than starting it: unheard, a second "Send via Mail" or a "Utility Kit" would be lost.
void AppDelegate::hearExtensionWhileMailOnly() {
  auto& center = context_.platform.notificationCenter;
  auto& composer = context_.mailComposer();
  center.addObserver(notifications::AttachFileToMail, kExtensionBundleIdentifier, [&composer] {
    if (composer.isMailOnly()) composer.attachFileToMail();
  });
  // The other-apps window needs the app as a normal start has it.
  center.addObserver(notifications::ShowUtilityKit, kExtensionBundleIdentifier, [this, &composer] {
    if (!composer.isMailOnly()) return;
    composer.endMailOnly();
    openMainWindow();
    context_.mainWindowController()->showUtilityKit();
  });
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
