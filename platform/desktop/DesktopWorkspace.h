#pragma once

#include <QObject>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "desktop/CommandFailureNotices.h"
#include "desktop/ProgramLauncher.h"
#include "desktop/QtBusConnection.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSWorkspace.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// The workspace of a freedesktop session: xdg-open opens, the bundle registry launches, the
// session bus tells what runs and reaches the file manager, GNOME's settings hold the desktop
// picture. What cannot be done is logged, one line each, and reported as failure.
class DesktopWorkspace final : public NSWorkspace {
 public:
  // How long xdg-open may take to say whether anything opens the target; one still running
  // after that has handed it to a program that stays, and counts as opened.
  static constexpr std::chrono::milliseconds kHandOverWait{2000};

  // `gsettings` is the program that writes the desktop picture, `integrationPane` the one that
  // shows which file managers show the menu; each absent when there is none.
  DesktopWorkspace(QtBusConnection connection, BundleRegistry registry, SystemLog& log,
                   std::optional<std::filesystem::path> gsettings = findOnPath({"gsettings"}),
                   std::optional<std::filesystem::path> integrationPane = integrationPaneBeside());

  // Where the person learns why a command they chose failed; nobody is told without it.
  void setFailureNotices(CommandFailureNotices* notices) { notices_ = notices; }

  // The integration pane where the settings app's bundle carries it: beside the running program.
  static std::optional<std::filesystem::path> integrationPaneBeside();

  // True once the desktop's handler took the target. Store links ("macappstore:") open the
  // product page over https; the Extensions pane starts the extension on the session bus and
  // shows the integration pane, and is open once both happened.
  bool openURL(const NSURL& url) override;
  bool openURLString(const std::string& url) override;
  NSImage iconForFile(const std::string& path) override { return NSImage::iconOfItem(path); }
  // The programs on the bus, and the extension as a running accessory also where the bus starts
  // it at the next right-click: the original platform keeps an enabled extension running.
  std::vector<NSRunningApplication> runningApplications() const override;
  std::vector<std::string> fileManagersToRestart() const override;
  bool launchAppWithBundleIdentifier(const std::string& bundleIdentifier) override;
  // The desktop picture is one setting for all screens here, so any screen will do.
  std::optional<NSScreen> mainScreen() const override;
  std::optional<NSError> setDesktopImageURL(const NSURL& url, const NSScreen& screen) override;
  // Asks the file manager over the bus and returns at once; what goes wrong is logged when the
  // answer arrives on the event loop.
  void activateFileViewerSelectingURLs(const std::vector<NSURL>& urls) override;

 private:
  bool open(const std::string& target);
  bool openExtensionsPane();
  bool startExtension();
  bool showIntegrationPane();
  bool startBundle(const std::string& bundle);
  void tellPerson(const std::string& reason);
  // A store handle of this call's own, for questions asked off the main thread.
  UserDefaultsRoot storeOfItsOwn() const;

  QtBusConnection connection_;
  BundleRegistry registry_;
  SystemLog& log_;
  std::optional<std::filesystem::path> gsettings_;
  std::optional<std::filesystem::path> integrationPane_;
  CommandFailureNotices* notices_ = nullptr;
  // Parent of the calls still waiting for an answer, so none outlives the workspace.
  QObject pendingCalls_;
};

}  // namespace platform::desktop
