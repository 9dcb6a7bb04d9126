#include "extension/CompanionTools.h"

#include <algorithm>

#include "platform/NSApplication.h"
#include "platform/NSBundle.h"

namespace plovane {

CompanionTools::CompanionTools(Services services, platform::Responder& buttonsTarget)
    : services_(services), buttonsTarget_(buttonsTarget) {
  for (const auto& command : kCatalogue) {
    if (command.companion != nullptr) offers_.push_back({command.companion, {}});
  }
}

void CompanionTools::open(const CompanionTool& tool) {
  if (lookUpAndStart(tool.bundleIdentifier)) return;
  services_.runLoop.dispatchAsyncMain([this, &tool] { offer(tool); });
}

bool CompanionTools::lookUpAndStart(const std::string& bundleIdentifier) {
  const auto folders = services_.fileManager.applicationDirectoryURLs();
  if (folders.empty()) return false;
  const auto entries =
      services_.fileManager.contentsOfDirectorySkippingHiddenFiles(folders.front());
  if (!entries) return false;
  for (const auto& entry : *entries) {
    const auto bundle = platform::NSBundle::bundleWithPath(entry.path());
    if (!bundle || bundle->bundleIdentifier() != bundleIdentifier) continue;
    // The menu action returns before the file manager is asked to start the tool.
    services_.runLoop.dispatchAsyncGlobal([this, entry] {
      services_.runLoop.dispatchAsyncMain([this, entry] { services_.workspace.openURL(entry); });
    });
    return true;
  }
  return false;
}

void CompanionTools::offer(const CompanionTool& tool) {
  auto* held = heldOffer(tool);
  if (held == nullptr) return;
  auto& alert = *held;
  alert = platform::NSAlert();
  alert.alertStyle = platform::NSAlertStyle::warning;
  alert.messageText = tool.offer;
  alert.informativeText = "";
  auto& yes = alert.addButtonWithTitle("Yes");
  yes.target = &buttonsTarget_;
  yes.action = tool.acceptAction;
  auto& no = alert.addButtonWithTitle("No");
  no.target = &buttonsTarget_;
  no.action = tool.declineAction;
  services_.modals.runModal(alert);
}

void CompanionTools::closeOffer(const CompanionTool& tool, bool openStorePage) {
  if (openStorePage) services_.workspace.openURLString(tool.storePage);
  if (auto* alert = heldOffer(tool)) platform::NSApplication::endSheet(alert->window());
}

const platform::NSAlert* CompanionTools::offerOf(const CompanionTool& tool) const {
  const auto held = std::find_if(offers_.begin(), offers_.end(),
                                 [&tool](const Offer& offer) { return offer.tool == &tool; });
  return held == offers_.end() ? nullptr : &held->alert;
}

platform::NSAlert* CompanionTools::heldOffer(const CompanionTool& tool) {
  return const_cast<platform::NSAlert*>(offerOf(tool));
}

}  // namespace plovane
