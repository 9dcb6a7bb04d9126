#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "extension/CompanionTools.h"
#include "extension/CustomFolder.h"
#include "extension/CustomFolderList.h"
#include "extension/RatingPrompt.h"
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
  // Its parts and the alerts on screen refer to it and to its properties.
  FinderSync(const FinderSync&) = delete;
  FinderSync& operator=(const FinderSync&) = delete;

  void beginObservingDirectoryAtURL(const platform::NSURL& url) override;
  void endObservingDirectoryAtURL(const platform::NSURL& url) override;
  void requestBadgeIdentifierForURL(const platform::NSURL& url) override;
  void requestBadgeIdentifiersForURLs(const std::vector<platform::NSURL>& urls) override;
  std::shared_ptr<platform::NSMenu> menuForMenuKind(platform::FIMenuKind kind) override;
  // The last menu built, while the selection and the settings it was built for stand.
  std::shared_ptr<platform::NSMenu> menuOfferedForSelection() override;
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
  // The bodies of the catalogue commands that have no exported selector of their own.
  static const platform::SelectorTable<FinderSync>& menuOnlyCommands();

  // Takes the command list and the monitored folders anew when the store changed since they were
  // last taken (one stat when it did not), and hands the new directory set to the file managers.
  void reloadSettingsIfChanged();

  // The first selected item, when the file manager reports one.
  std::optional<platform::NSURL> firstSelectedItem() const;

  void openSystemPreferences();
  void configureSettings();
  void openCompanionTool(const platform::NSMenuItem* sender);
  void launch(const std::string& bundleIdentifier);
  bool settingsAppIsRunning() const;

  void copyOrMove(const std::string& operation, const std::optional<platform::NSURL>& selected);
  void addFolders();
  std::optional<platform::NSURL> chooseItem(const std::string& prompt, const std::string& message,
                                            const std::optional<platform::NSURL>& directory,
                                            int mode, bool packagesAsDirectories);
  void showWarning(const std::string& message);

  void setHidden(const platform::NSURL& url, bool hidden);

  void handOffToMail(const platform::NSURL& url);

  // The menu last built and what it was built for.
  struct OfferedMenu {
    std::optional<std::vector<platform::NSURL>> selection;
    std::uint64_t settingsVersion = 0;
    std::shared_ptr<platform::NSMenu> menu;
  };

  platform::Platform& platform_;
  OfferedMenu offered_;
  // The store's contents version the command list and directory set were last taken at.
  std::uint64_t settingsVersion_ = 0;
  // The legacy version keeps no command list; its menu offers no catalogue commands.
  bool keepsCommandList_ = true;
  CustomFolderList customFolders_;
  RatingPrompt ratingPrompt_;
  CompanionTools companionTools_;
};

}  // namespace plovane
