#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "extension/CompanionTools.h"
#include "extension/CustomFolderList.h"
#include "extension/RatingPrompt.h"
#include "platform/FIFinderSync.h"
#include "platform/NSMenu.h"
#include "platform/Platform.h"
#include "platform/SelectorTable.h"
#include "shared/CommandListEntry.h"

namespace plovane {

// The extension's principal object: one per process, target of every callback and menu action.
// Its fixed table of exported selectors runs its command families or goes straight to the
// collaborator that owns the state: the custom folders, the companion tools' offers, the rating
// prompt.
class FinderSync final : public platform::FIFinderSync {
 public:
  explicit FinderSync(platform::Platform& platform);
  // Its collaborators, the blocks it defers and the alerts' buttons refer to it.
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

  void checkDirectoryUrl();
  bool validateMenuItem(const platform::NSMenuItem& item) const;
  void commenAction(const platform::NSMenuItem* sender);
  void utilityKitClicked();
  void showhiddenfiles();
  void sampleAction();
  // Hides or shows the item; a failure is logged, a success may lead to the rating prompt.
  void setHidden(const platform::NSURL& url, bool hidden);

  // The command list the menu is built from: as seeded at start, then as last re-read.
  const CommandList& commandList() const { return commandList_; }
  const CustomFolderList& customFolders() const { return customFolders_; }

 private:
  static const platform::SelectorTable<FinderSync>& exportedMethods();
  // The bodies of the catalogue commands that have no exported selector of their own.
  static const platform::SelectorTable<FinderSync>& menuOnlyCommands();

  // Takes the command list and the monitored folders anew when the store changed since they were
  // last taken (one stat when it did not), and hands the new directory set to the file managers.
  void reloadSettingsIfChanged();
  std::optional<platform::NSURL> firstSelectedItem() const;
  bool settingsAppIsRunning() const;
  void customFolderClicked(const platform::NSMenuItem* sender);
  void subFolderClicked(const platform::NSMenuItem* sender);

  // One file a family: CopyMoveAddFolders, ItemUtilities, HideUnhide, MailHandOff.
  void moveToFolder();
  void copyToFolder();
  void copyOrMove(const std::string& operation, const std::optional<platform::NSURL>& selected);
  void addFolders();
  void setWallpaper();
  void createNewFile();
  void copyFilePath();
  void finderInnewWindw();
  void OpenTerminal();
  void openSystemPreferences();
  void showWarning(const std::string& message);
  void Hide_UnhideNow();
  void sendviamail();
  void handOffToMail(const platform::NSURL& url);

  platform::Platform& platform_;
  // Absent when the shared store cannot be opened: then nothing is read or written.
  std::shared_ptr<platform::NSUserDefaults> store_;
  CommandList commandList_;
  // The legacy version keeps no command list; its menu offers no catalogue commands.
  bool keepsCommandList_ = true;
  // The store's contents version the command list and directory set were last taken at.
  std::uint64_t settingsVersion_ = 0;
  // The menu last built, with the selection and the settings version it was built for.
  std::shared_ptr<platform::NSMenu> offeredMenu_;
  std::optional<std::vector<platform::NSURL>> offeredSelection_;
  std::uint64_t offeredSettingsVersion_ = 0;
  CustomFolderList customFolders_;
  RatingPrompt ratingPrompt_;
  CompanionTools companionTools_;
};

}  // namespace plovane
