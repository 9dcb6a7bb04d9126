#include <array>

#include "extension/FinderSync.h"
#include "platform/NSApplication.h"
#include "shared/CommandCatalogue.h"

namespace plovane {

namespace {

struct CompanionTool {
  std::int64_t position;
  const char* bundleIdentifier;
  const char* offer;
  const char* storePage;
  platform::NSAlert FinderSync::*alert;
  const char* yesAction;
  const char* noAction;
};

const std::array<CompanionTool, 4>& companionTools() {
  static const std::array<CompanionTool, 4> tools = {{
      {kFindDuplicateFiles, "com.quenlow.marrowfen",
       "To scan for Duplicate Files, you need to have 'Marrowfen' installed on your System. Do you "
       "want to install it from the Mac App Store now?",
       "macappstore://apps.apple.com/app/marrowfen/id1480917331", &FinderSync::alertDFS,
       "dfsDownload", "dfscancel"},
      {kFindDuplicatePhotos, "com.quenlow.pellisade",
       "To scan for Similar and Duplicate Photos, you need to have 'Pellisade' installed on your "
       "System. Do you want to install it from the Mac App Store now?",
       "macappstore://apps.apple.com/app/pellisade/id1480917342", &FinderSync::alertDPS,
       "dpsDownload", "dpscancel"},
      {kViewOrEditExifData, "com.quenlow.ambervane",
       "To View or Edit Exif data, you need to have 'Ambervane' installed on your System. Do you "
       "want to install it from the Mac App Store now?",
       "macappstore://apps.apple.com/app/ambervane/id1480917353", &FinderSync::alertexif,
       "exifDownload", "exifcancel"},
      {kResizePhotos, "com.quenlow.scallotta",
       "To Resize Photos, you need to have 'Scallotta' installed on your System. Do you want to "
       "install it from the Mac App Store now?",
       "macappstore://apps.apple.com/app/scallotta/id1480917364", &FinderSync::alertresizer,
       "resizerDownload", "resizercancel"},
  }};
  return tools;
}

const CompanionTool& toolAt(std::int64_t position) {
  return companionTools()[static_cast<std::size_t>(position - kFindDuplicateFiles)];
}

}  // namespace

void FinderSync::openCompanionTool(std::int64_t position) {
  if (lookUpAndStartTool(toolAt(position).bundleIdentifier)) return;
  platform_.runLoop.dispatchAsyncMain([this, position] { offerCompanionTool(position); });
}

bool FinderSync::lookUpAndStartTool(const std::string& bundleIdentifier) {
  const auto folders = platform_.fileManager.applicationDirectoryURLs();
  if (folders.empty()) return false;
  const auto entries =
      platform_.fileManager.contentsOfDirectorySkippingHiddenFiles(folders.front());
  if (!entries) return false;
  for (const auto& entry : *entries) {
    const auto bundle = platform::NSBundle::bundleWithPath(entry.path());
    if (!bundle || bundle->bundleIdentifier() != bundleIdentifier) continue;
    // The menu action returns before the file manager is asked to start the tool.
    platform_.runLoop.dispatchAsyncGlobal([this, entry] {
      platform_.runLoop.dispatchAsyncMain([this, entry] { platform_.workspace.openURL(entry); });
    });
    return true;
  }
  return false;
}

void FinderSync::offerCompanionTool(std::int64_t position) {
  const auto& tool = toolAt(position);
  auto& offer = this->*tool.alert;
  offer = platform::NSAlert();
  offer.alertStyle = platform::NSAlertStyle::warning;
  offer.messageText = tool.offer;
  offer.informativeText = "";
  auto& yes = offer.addButtonWithTitle("Yes");
  yes.target = this;
  yes.action = tool.yesAction;
  auto& no = offer.addButtonWithTitle("No");
  no.target = this;
  no.action = tool.noAction;
  platform_.modals.runModal(offer);
}

void FinderSync::closeCompanionOffer(std::int64_t position, bool openStorePage) {
  const auto& tool = toolAt(position);
  if (openStorePage) platform_.workspace.openURLString(tool.storePage);
  platform::NSApplication::endSheet((this->*tool.alert).window());
}

void FinderSync::dfsDownload() { closeCompanionOffer(kFindDuplicateFiles, true); }
void FinderSync::dfscancel() { closeCompanionOffer(kFindDuplicateFiles, false); }
void FinderSync::dpsDownload() { closeCompanionOffer(kFindDuplicatePhotos, true); }
void FinderSync::dpscancel() { closeCompanionOffer(kFindDuplicatePhotos, false); }
void FinderSync::exifDownload() { closeCompanionOffer(kViewOrEditExifData, true); }
void FinderSync::exifcancel() { closeCompanionOffer(kViewOrEditExifData, false); }
void FinderSync::resizerDownload() { closeCompanionOffer(kResizePhotos, true); }
void FinderSync::resizercancel() { closeCompanionOffer(kResizePhotos, false); }

}  // namespace plovane
