#include "sim/SimWorkspace.h"

#include "platform/NSFileManager.h"

namespace platform::sim {

bool SimWorkspace::openURL(const NSURL& url) {
  openedURLs.push_back(url);
  transcript_.add("open " + url.path());
  return opensURLs;
}

bool SimWorkspace::openURLString(const std::string& url) {
  openedURLStrings.push_back(url);
  transcript_.add("open " + url);
  return opensURLs;
}

bool SimWorkspace::launchAppWithBundleIdentifier(const std::string& bundleIdentifier) {
  launches.push_back(bundleIdentifier);
  const bool launched = installed.contains(bundleIdentifier);
  transcript_.add("launch " + bundleIdentifier + (launched ? "" : " (not installed)"));
  if (launched) running.push_back({bundleIdentifier, NSApplicationActivationPolicy::regular});
  return launched;
}

// Like the desktop, only an image file can become the picture.
std::optional<NSError> SimWorkspace::setDesktopImageURL(const NSURL& url,
                                                        const NSScreen& onScreen) {
  transcript_.add("desktop picture of screen " + onScreen.name + ": " + url.path());
  bool isDirectory = false;
  if (!NSFileManager().fileExistsAtPath(url.path(), &isDirectory) || isDirectory) {
    return NSError{"The file \u201c" + url.lastPathComponent() + "\u201d is not an image."};
  }
  desktopPicture = url;
  return std::nullopt;
}

void SimWorkspace::activateFileViewerSelectingURLs(const std::vector<NSURL>& urls) {
  std::string line = "reveal";
  for (const auto& url : urls) line += " " + url.path();
  transcript_.add(line);
}

}  // namespace platform::sim
