#include "extension/FinderSync.h"

#include <cstdlib>
#include <functional>

#include "extension/MenuBuilder.h"
#include "shared/CommandCatalogue.h"
#include "shared/CommandListSeeding.h"
#include "shared/MonitoredFolders.h"
#include "shared/SettingsKeys.h"

namespace plovane {

using platform::formatLog;
using platform::NSURL;

FinderSync::FinderSync(platform::Platform& platform)
    : platform_(platform),
      store_(platform.defaults.initWithSuiteName(kSuiteName)),
      customFolders_(store_.get(), platform.log),
      ratingPrompt_({platform.runLoop, platform.defaults, platform.mainBundle, platform.calendar,
                     platform.modals, platform.workspace},
                    *this),
      companionTools_({platform.runLoop, platform.fileManager, platform.workspace, platform.modals},
                      *this) {
  // Taken first, so that a change made while the start reads the store shows at the next menu.
  if (store_) settingsVersion_ = store_->contentsVersion();
  const auto shortVersion =
      platform_.mainBundle.objectForInfoDictionaryKey("CFBundleShortVersionString");
  keepsCommandList_ = shortVersion != kLegacyVersion;
  commandList_ = seedCommandList(store_.get(), shortVersion);
  if (store_ && !store_->objectForKey(keys::showmenuicon)) {
    store_->setBool(true, keys::showmenuicon);
  }
  if (store_ && !store_->objectForKey(keys::showinSubMenu)) {
    store_->setBool(false, keys::showinSubMenu);
  }
  customFolders_.load();
  customFolders_.prune();
  platform_.log.log(
      formatLog("FinderSync() launched from %@", {platform_.mainBundle.bundlePath().string()}));
  checkDirectoryUrl();
}

// The rating prompt's and the companion tools' offers' buttons come back through here too.
const platform::SelectorTable<FinderSync>& FinderSync::exportedMethods() {
  using Sender = const platform::NSMenuItem*;
  static const platform::SelectorTable<FinderSync> table = {
      {"reloadCustomFolders", [](FinderSync& self, Sender) { self.customFolders_.prune(); }},
      {"checkDirectoryUrl", [](FinderSync& self, Sender) { self.checkDirectoryUrl(); }},
      {"urlAdded",
       [](FinderSync& self, Sender) { self.platform_.log.standardOutput("dataadded"); }},
      {"utilityKitClicked", [](FinderSync& self, Sender) { self.utilityKitClicked(); }},
      {"commenAction:", [](FinderSync& self, Sender sender) { self.commenAction(sender); }},
      {"customFolderClicked:",
       [](FinderSync& self, Sender sender) { self.customFolderClicked(sender); }},
      {"subFolderClicked:", [](FinderSync& self, Sender sender) { self.subFolderClicked(sender); }},
      {"dfsDownload",
       [](FinderSync& self, Sender) { self.companionTools_.closeOffer(kMarrowfen, true); }},
      {"dfscancel",
       [](FinderSync& self, Sender) { self.companionTools_.closeOffer(kMarrowfen, false); }},
      {"dpsDownload",
       [](FinderSync& self, Sender) { self.companionTools_.closeOffer(kPellisade, true); }},
      {"dpscancel",
       [](FinderSync& self, Sender) { self.companionTools_.closeOffer(kPellisade, false); }},
      {"exifDownload",
       [](FinderSync& self, Sender) { self.companionTools_.closeOffer(kAmbervane, true); }},
      {"exifcancel",
       [](FinderSync& self, Sender) { self.companionTools_.closeOffer(kAmbervane, false); }},
      {"resizerDownload",
       [](FinderSync& self, Sender) { self.companionTools_.closeOffer(kScallotta, true); }},
      {"resizercancel",
       [](FinderSync& self, Sender) { self.companionTools_.closeOffer(kScallotta, false); }},
      {"finderInnewWindw:", [](FinderSync& self, Sender) { self.finderInnewWindw(); }},
      {"moveToFolder:", [](FinderSync& self, Sender) { self.moveToFolder(); }},
      {"copyToFolder:", [](FinderSync& self, Sender) { self.copyToFolder(); }},
      {"setWallpaper:", [](FinderSync& self, Sender) { self.setWallpaper(); }},
      {"copyFilePath:", [](FinderSync& self, Sender) { self.copyFilePath(); }},
      {"sendviamail:", [](FinderSync& self, Sender) { self.sendviamail(); }},
      {"showhiddenfiles:", [](FinderSync& self, Sender) { self.showhiddenfiles(); }},
      {"createNewFile:", [](FinderSync& self, Sender) { self.createNewFile(); }},
      {"OpenTerminal:", [](FinderSync& self, Sender) { self.OpenTerminal(); }},
      {"OpenTerminalNewTab:", [](FinderSync& self, Sender) { self.OpenTerminal(); }},
      {"sampleAction:", [](FinderSync& self, Sender) { self.sampleAction(); }},
      {"Hide_UnhideNow", [](FinderSync& self, Sender) { self.Hide_UnhideNow(); }},
      {"alertforRateApp", [](FinderSync& self, Sender) { self.ratingPrompt_.schedule(); }},
      {"btnYes_rateus", [](FinderSync& self, Sender) { self.ratingPrompt_.accept(); }},
      {"btnCancel_rate", [](FinderSync& self, Sender) { self.ratingPrompt_.decline(); }},
  };
  return table;
}

bool FinderSync::performSelector(const std::string& selector, const platform::NSMenuItem* sender) {
  return exportedMethods().perform(*this, selector, sender);
}

std::shared_ptr<platform::NSMenu> FinderSync::menuForMenuKind(platform::FIMenuKind) {
  reloadSettingsIfChanged();
  customFolders_.prune();
  auto selection = platform_.finderSyncController.selectedItemURLs();
  offeredMenu_ = buildMenu(gatherMenuInputs(platform_.mainBundle, platform_.workspace, selection,
                                            store_.get(), commandList_, customFolders_.folders()));
  offeredSelection_ = std::move(selection);
  offeredSettingsVersion_ = settingsVersion_;
  return offeredMenu_;
}

std::shared_ptr<platform::NSMenu> FinderSync::menuOfferedForSelection() {
  reloadSettingsIfChanged();
  if (offeredMenu_ && offeredSettingsVersion_ == settingsVersion_ &&
      offeredSelection_ == platform_.finderSyncController.selectedItemURLs()) {
    return offeredMenu_;
  }
  return menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
}

void FinderSync::reloadSettingsIfChanged() {
  if (!store_) return;
  const auto version = store_->contentsVersion();
  if (version == settingsVersion_) return;
  settingsVersion_ = version;
  if (keepsCommandList_) {
    if (auto stored = readStoredCommandList(store_.get())) commandList_ = std::move(*stored);
  }
  checkDirectoryUrl();
}

void FinderSync::checkDirectoryUrl() {
  platform_.finderSyncController.setDirectoryURLs(enabledMonitoredFolderURLs(store_.get()));
}

bool FinderSync::validateMenuItem(const platform::NSMenuItem&) const { return true; }

void FinderSync::beginObservingDirectoryAtURL(const NSURL& url) {
  platform_.log.log(formatLog("beginObservingDirectoryAtURL: %@", {url.path()}));
}

void FinderSync::endObservingDirectoryAtURL(const NSURL& url) {
  platform_.log.log(formatLog("endObservingDirectoryAtURL: %@", {url.path()}));
}

namespace {

void setBadge(platform::FIFinderSyncController& controller, const NSURL& url) {
  static const char* const identifiers[] = {"", "One", "Two"};
  const auto hash = static_cast<std::int64_t>(std::hash<std::string>{}(url.path()));
  // The absolute value of the most negative hash does not exist; its remainder does.
  const auto index = hash % 3 < 0 ? -(hash % 3) : hash % 3;
  controller.setBadgeIdentifier(identifiers[index], url);
}

}  // namespace

void FinderSync::requestBadgeIdentifierForURL(const NSURL& url) {
  platform_.log.log(formatLog("requestBadgeIdentifierForURL: %@", {url.path()}));
  setBadge(platform_.finderSyncController, url);
}

void FinderSync::requestBadgeIdentifiersForURLs(const std::vector<NSURL>& urls) {
  if (urls.empty()) return;
  // One line a call: a line a badge would let one large folder push the whole log away.
  platform_.log.log(formatLog("requestBadgeIdentifiersForURLs: %@ items from %@",
                              {std::to_string(urls.size()), urls.front().path()}));
  for (const auto& url : urls) setBadge(platform_.finderSyncController, url);
}

}  // namespace plovane
