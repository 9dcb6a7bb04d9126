#include "platform/NSBundle.h"

#include <fstream>
#include <iterator>

#include "store/PlistCodec.h"

namespace platform {

NSBundle::NSBundle(std::filesystem::path bundlePath, PlistDictionary infoDictionary)
    : bundlePath_(std::move(bundlePath)), infoDictionary_(std::move(infoDictionary)) {}

std::optional<NSBundle> NSBundle::bundleWithPath(const std::filesystem::path& path) {
  std::ifstream in(path / "Info.plist", std::ios::binary);
  if (!in) return std::nullopt;
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                        std::istreambuf_iterator<char>()};
  auto decoded = decodePlist(bytes);
  const auto* value = std::get_if<PlistValue>(&decoded);
  if (value == nullptr || !value->is<PlistDictionary>()) return std::nullopt;
  return NSBundle(path, *value->as<PlistDictionary>());
}

std::optional<std::string> NSBundle::bundleIdentifier() const {
  return objectForInfoDictionaryKey("CFBundleIdentifier");
}

std::optional<std::string> NSBundle::objectForInfoDictionaryKey(const std::string& key) const {
  auto found = infoDictionary_.find(key);
  if (found == infoDictionary_.end()) return std::nullopt;
  if (const auto* text = found->second.as<std::string>()) return *text;
  return std::nullopt;
}

}  // namespace platform
