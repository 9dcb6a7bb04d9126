#pragma once

#include <set>
#include <string>
#include <vector>

#include "platform/NSWorkspace.h"
#include "sim/Transcript.h"

namespace platform::sim {

// The desktop as a test sets it up: which programs run and which can be launched. Everything
// asked of it is recorded.
class SimWorkspace final : public NSWorkspace {
 public:
  explicit SimWorkspace(Transcript& transcript) : transcript_(transcript) {}

  bool openURL(const NSURL& url) override;
  bool openURLString(const std::string& url) override;
  NSImage iconForFile(const std::string& path) override { return NSImage::iconOfItem(path); }
  std::vector<NSRunningApplication> runningApplications() const override { return running; }
  bool launchAppWithBundleIdentifier(const std::string& bundleIdentifier) override;
  std::optional<NSScreen> mainScreen() const override { return screen; }
  std::optional<NSError> setDesktopImageURL(const NSURL& url, const NSScreen& onScreen) override;
  void activateFileViewerSelectingURLs(const std::vector<NSURL>& urls) override;
  std::vector<std::string> fileManagersToRestart() const override { return runningWithoutModule; }

  std::vector<NSRunningApplication> running;
  std::set<std::string> installed;  // bundle identifiers that launch
  bool opensURLs = true;            // false: every open is refused
  std::optional<NSScreen> screen = NSScreen{"main"};
  std::vector<NSURL> openedURLs;
  std::vector<std::string> openedURLStrings;
  std::vector<std::string> launches;
  std::optional<NSURL> desktopPicture;
  std::vector<std::string> runningWithoutModule;  // file managers that must be restarted

 private:
  Transcript& transcript_;
};

}  // namespace platform::sim
