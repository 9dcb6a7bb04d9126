#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/Bookmarks.h"
#include "platform/NSImage.h"
#include "platform/NSURL.h"

namespace platform {

enum class NSApplicationActivationPolicy { regular, accessory, prohibited };

struct NSRunningApplication {
  std::optional<std::string> bundleIdentifier;
  NSApplicationActivationPolicy activationPolicy = NSApplicationActivationPolicy::regular;
};

struct NSScreen {
  std::string name;
};

// The desktop's shared services: what runs, starting and opening things, showing them.
class NSWorkspace {
 public:
  virtual ~NSWorkspace() = default;
  virtual bool openURL(const NSURL& url) = 0;
  // Strings that are not file URLs ("macappstore:…", "https:…") are opened the same way.
  virtual bool openURLString(const std::string& url) = 0;
  virtual NSImage iconForFile(const std::string& path) = 0;
  virtual std::vector<NSRunningApplication> runningApplications() const = 0;
  // Options, event descriptor and launch identifier are always empty in this system.
  virtual bool launchAppWithBundleIdentifier(const std::string& bundleIdentifier) = 0;
  virtual std::optional<NSScreen> mainScreen() const = 0;
  virtual std::optional<NSError> setDesktopImageURL(const NSURL& url, const NSScreen& screen) = 0;
  virtual void activateFileViewerSelectingURLs(const std::vector<NSURL>& urls) = 0;
  // The file managers (by the names their users know) that run without the extension's module
  // although it is installed: they load it only as they start, so only a restart shows the menu
  // there. None where the system itself hands extensions to the file manager.
  virtual std::vector<std::string> fileManagersToRestart() const = 0;
};

}  // namespace platform
