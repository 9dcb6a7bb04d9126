#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "extension/CustomFolder.h"
#include "platform/FIFinderSync.h"
#include "platform/NSAlert.h"
#include "platform/NSMenu.h"
#include "platform/Platform.h"
#include "platform/SelectorTable.h"

namespace plovane {

// The extension's principal object: one per extension process, target of every callback and
// every menu action.
class FinderSync final : public platform::FIFinderSync {
 public:
  explicit FinderSync(platform::Platform& platform);

  void beginObservingDirectoryAtURL(const platform::NSURL& url) override;
  void endObservingDirectoryAtURL(const platform::NSURL& url) override;
  void requestBadgeIdentifierForURL(const platform::NSURL& url) override;
  std::shared_ptr<platform::NSMenu> menuForMenuKind(platform::FIMenuKind kind) override;
  bool performSelector(const std::string& selector, const platform::NSMenuItem* sender) override;

  void reloadCustomFolders();
  void checkDirectoryUrl();
  void urlAdded();
  bool validateMenuItem(const platform::NSMenuItem& item) const;
  void customFolderClicked(const platform::NSMenuItem* sender);
  void subFolderClicked(const platform::NSMenuItem* sender);

  // Dispatch.
  void commenAction(const platform::NSMenuItem* sender);
  void utilityKitClicked();

  // Copy, move and add folders.
  void moveToFolder();
  void copyToFolder();
  void alertforDeleteWithProcess(const std::string& operation);
  bool panelShouldEnableURL(const platform::NSURL& url) const;

  // Item utilities.
  void setWallpaper();
  void createNewFile();
  void copyFilePath();
  void finderInnewWindw();
  void OpenTerminal();
  void OpenTerminalNewTab();
  void sampleAction();

  // Hide and unhide.
  void Hide_UnhideNow();
  void HideNowWithUrl(const platform::NSURL& url);
  void UnhideNowWithUrl(const platform::NSURL& url);
  void showhiddenfiles();

  // Companion tools.
  void dfsDownload();
  void dfscancel();
  void dpsDownload();
  void dpscancel();
  void exifDownload();
  void exifcancel();
  void resizerDownload();
  void resizercancel();

  void sendviamail();

  // Rating prompt.
  void alertforRateApp();
  void btnYes_rateus();
  void btnCancel_rate();

  // Stored properties, in declaration order.
  std::shared_ptr<platform::NSUserDefaults> sharedDefaults;
  std::string userdefaultskey = "foldersArray";
  std::string userdefaultsstate = "foldersArraystate";
  platform::PlistArray arrItemsdic;
  std::vector<platform::PlistData> arBookmarksFolders;
  std::vector<customFolder> arrCustomFolders;
  std::int64_t tagSubfolder = 0;
  std::string savekey = "save14";
  std::vector<std::string> menuItemsarr;
  platform::NSAlert alertDFS, alertDPS, alertexif, alertresizer;
  platform::NSAlert alert;
  platform::NSAlert alerRateAPP;
  std::string rateDone = "rateDone";
  std::string alertVisibledate = "alertVisibledate";

 private:
  static const platform::SelectorTable<FinderSync>& exportedMethods();

  // Custom folders: loaded once at start, pruned against the stored paths before each menu.
  void loadCustomFolders();
  void pruneCustomFolders();
  void storeBookmarks();
  // Absent, with the error and "Error storing bookmarks" on standard output, when the bookmark
  // cannot be made.
  std::optional<platform::PlistData> makeBookmark(const platform::NSURL& url);
  // Keeps `data` unless byte-equal data is already kept.
  void keepBookmark(const platform::PlistData& data);
  platform::PlistArray customFolderPaths() const;
  // Writes the paths (and the bookmarks) of the custom folders together; false when not stored.
  bool storeCustomFolderLists(bool withBookmarks);

  // Menu building.
  void addCatalogueEntries(platform::NSMenu& menu, bool showIcons,
                           const std::optional<std::vector<platform::NSURL>>& selection);
  void addCustomFolderEntries(platform::NSMenu& menu, bool showIcons);
  platform::NSImage iconAt24Points(const std::string& path);

  // The first selected item, when the file manager reports one.
  std::optional<platform::NSURL> firstSelectedItem() const;

  void openSystemPreferences();
  void configureSettings();
  void launch(const std::string& bundleIdentifier);
  bool settingsAppIsRunning() const;

  void copyOrMove(const std::string& operation, const std::optional<platform::NSURL>& selected);
  void addFolders(const std::optional<platform::NSURL>& selected);
  std::optional<platform::NSURL> chooseItem(const std::string& prompt, const std::string& message,
                                            const std::optional<platform::NSURL>& directory,
                                            int mode, bool packagesAsDirectories);
  void showWarning(const std::string& message);

  void setHidden(const platform::NSURL& url, bool hidden);

  void openCompanionTool(std::int64_t position);
  bool lookUpAndStartTool(const std::string& bundleIdentifier);
  void offerCompanionTool(std::int64_t position);
  void closeCompanionOffer(std::int64_t position, bool openStorePage);

  void handOffToMail(const platform::NSURL& url);

  void scheduleRateCheck();
  void rateCheck();
  void showRatingPrompt();
  std::shared_ptr<platform::NSUserDefaults> ownDefaults();

  platform::Platform& platform_;
};

}  // namespace plovane
