#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/PlistValue.h"

namespace platform {

// A bundle on disk: a folder whose Info.plist names it. Resources are looked up in its
// "Resources" folder.
class NSBundle {
 public:
  NSBundle(std::filesystem::path bundlePath, PlistDictionary infoDictionary);
  // Reads "<path>/Info.plist"; absent when the folder holds no readable one.
  static std::optional<NSBundle> bundleWithPath(const std::filesystem::path& path);

  const std::filesystem::path& bundlePath() const { return bundlePath_; }
  const PlistDictionary& infoDictionary() const { return infoDictionary_; }
  std::optional<std::string> bundleIdentifier() const;
  // A string entry of the Info.plist, e.g. "CFBundleShortVersionString".
  std::optional<std::string> objectForInfoDictionaryKey(const std::string& key) const;

 private:
  std::filesystem::path bundlePath_;
  PlistDictionary infoDictionary_;
};

}  // namespace platform
