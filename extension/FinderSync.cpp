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
    : sharedDefaults(platform.defaults.initWithSuiteName(kSuiteName)),
      menuItemsarr(catalogueTitles()),
      platform_(platform),
      customFolders_(sharedDefaults.get(), platform.log,
                     {arrCustomFolders, arBookmarksFolders, tagSubfolder}),
      ratingPrompt_(platform, *this, alerRateAPP),
      companionTools_(platform, *this,
                      {{{&kMarrowfen, &alertDFS},
                        {&kPellisade, &alertDPS},
                        {&kAmbervane, &alertexif},
                        {&kScallotta, &alertresizer}}}) {
  // Taken first, so that a change made while the start reads the store shows at the next menu.
  if (sharedDefaults) settingsVersion_ = sharedDefaults->contentsVersion();
  const auto shortVersion =
      platform_.mainBundle.objectForInfoDictionaryKey("CFBundleShortVersionString");
  keepsCommandList_ = shortVersion != kLegacyVersion;
  arrItemsdic = seedCommandList(sharedDefaults.get(), shortVersion);
  if (sharedDefaults && !sharedDefaults->objectForKey(keys::showmenuicon)) {
    sharedDefaults->setBool(true, keys::showmenuicon);
  }
  if (sharedDefaults && !sharedDefaults->objectForKey(keys::showinSubMenu)) {
    sharedDefaults->setBool(false, keys::showinSubMenu);
  }
  customFolders_.load();
  customFolders_.prune();
  platform_.log.log(
      formatLog("FinderSync() launched from %@", {platform_.mainBundle.bundlePath().string()}));
  checkDirectoryUrl();
}

const platform::SelectorTable<FinderSync>& FinderSync::exportedMethods() {
  using Sender = const platform::NSMenuItem*;
  static const platform::SelectorTable<FinderSync> table = {
      {"reloadCustomFolders", [](FinderSync& self, Sender) { self.reloadCustomFolders(); }},
      {"checkDirectoryUrl", [](FinderSync& self, Sender) { self.checkDirectoryUrl(); }},
      {"urlAdded", [](FinderSync& self, Sender) { self.urlAdded(); }},
      {"utilityKitClicked", [](FinderSync& self, Sender) { self.utilityKitClicked(); }},
      {"commenAction:", [](FinderSync& self, Sender sender) { self.commenAction(sender); }},
      {"customFolderClicked:",
       [](FinderSync& self, Sender sender) { self.customFolderClicked(sender); }},
      {"subFolderClicked:", [](FinderSync& self, Sender sender) { self.subFolderClicked(sender); }},
      {"dfsDownload", [](FinderSync& self, Sender) { self.dfsDownload(); }},
      {"dfscancel", [](FinderSync& self, Sender) { self.dfscancel(); }},
      {"dpsDownload", [](FinderSync& self, Sender) { self.dpsDownload(); }},
      {"dpscancel", [](FinderSync& self, Sender) { self.dpscancel(); }},
      {"exifDownload", [](FinderSync& self, Sender) { self.exifDownload(); }},
      {"exifcancel", [](FinderSync& self, Sender) { self.exifcancel(); }},
      {"resizerDownload", [](FinderSync& self, Sender) { self.resizerDownload(); }},
      {"resizercancel", [](FinderSync& self, Sender) { self.resizercancel(); }},
      {"finderInnewWindw:", [](FinderSync& self, Sender) { self.finderInnewWindw(); }},
      {"moveToFolder:", [](FinderSync& self, Sender) { self.moveToFolder(); }},
      {"copyToFolder:", [](FinderSync& self, Sender) { self.copyToFolder(); }},
      {"setWallpaper:", [](FinderSync& self, Sender) { self.setWallpaper(); }},
      {"copyFilePath:", [](FinderSync& self, Sender) { self.copyFilePath(); }},
      {"sendviamail:", [](FinderSync& self, Sender) { self.sendviamail(); }},
      {"showhiddenfiles:", [](FinderSync& self, Sender) { self.showhiddenfiles(); }},
      {"createNewFile:", [](FinderSync& self, Sender) { self.createNewFile(); }},
      {"OpenTerminal:", [](FinderSync& self, Sender) { self.OpenTerminal(); }},
      {"OpenTerminalNewTab:", [](FinderSync& self, Sender) { self.OpenTerminalNewTab(); }},
      {"sampleAction:", [](FinderSync& self, Sender) { self.sampleAction(); }},
      {"Hide_UnhideNow", [](FinderSync& self, Sender) { self.Hide_UnhideNow(); }},
      {"alertforRateApp", [](FinderSync& self, Sender) { self.alertforRateApp(); }},
      {"btnYes_rateus", [](FinderSync& self, Sender) { self.btnYes_rateus(); }},
      {"btnCancel_rate", [](FinderSync& self, Sender) { self.btnCancel_rate(); }},
  };
  return table;
}

bool FinderSync::performSelector(const std::string& selector, const platform::NSMenuItem* sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void FinderSync::reloadCustomFolders() { customFolders_.prune(); }

std::shared_ptr<platform::NSMenu> FinderSync::menuForMenuKind(platform::FIMenuKind) {
  reloadSettingsIfChanged();
  customFolders_.prune();
  auto selection = platform_.finderSyncController.selectedItemURLs();
  auto menu = buildMenu(
      gatherMenuInputs(platform_, selection, sharedDefaults.get(), arrItemsdic, arrCustomFolders));
  offered_ = {std::move(selection), settingsVersion_, menu};
  return menu;
}

std::shared_ptr<platform::NSMenu> FinderSync::menuOfferedForSelection() {
  reloadSettingsIfChanged();
  if (offered_.menu && offered_.settingsVersion == settingsVersion_ &&
      offered_.selection == platform_.finderSyncController.selectedItemURLs()) {
    return offered_.menu;
  }
  return menuForMenuKind(platform::FIMenuKind::contextualMenuForItems);
}

void FinderSync::reloadSettingsIfChanged() {
  if (!sharedDefaults) return;
  const auto version = sharedDefaults->contentsVersion();
  if (version == settingsVersion_) return;
  settingsVersion_ = version;
  if (keepsCommandList_) {
    if (auto stored = readStoredCommandList(sharedDefaults.get())) arrItemsdic = std::move(*stored);
  }
  checkDirectoryUrl();
}

void FinderSync::checkDirectoryUrl() {
  platform_.finderSyncController.setDirectoryURLs(enabledMonitoredFolderURLs(sharedDefaults.get()));
}

bool FinderSync::validateMenuItem(const platform::NSMenuItem&) const { return true; }

void FinderSync::urlAdded() { platform_.log.standardOutput("dataadded"); }

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
