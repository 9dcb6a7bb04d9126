#include "platform/NSImage.h"

#include <filesystem>
#include <map>
#include <mutex>

#include "platform/NSBundle.h"

namespace platform {

namespace {

NSGraphicsContext*& focusedContext() {
  static thread_local NSGraphicsContext* context = nullptr;
  return context;
}

// Assets are drawn at their own size; this is the size the icon sets are made at.
constexpr NSSize kAssetSize{16, 16};
constexpr NSSize kIconSize{32, 32};
constexpr NSSize kApplicationIconSize{128, 128};

// Each asset's file is looked for once per process, not on every menu: a bundle's files change
// only when it is installed again, which swaps in the whole bundle together with the programs
// that go with it. A process still running then is the earlier program; the next one decides
// afresh.
const std::optional<std::filesystem::path>& decidedAssetFile(const std::filesystem::path& resources,
                                                             const std::string& name) {
  static std::mutex mutex;
  // Entries are never removed, so a reference handed out stays valid.
  static std::map<std::string,
                  std::map<std::string, std::optional<std::filesystem::path>, std::less<>>,
                  std::less<>>
      decided;
  const std::lock_guard lock(mutex);
  auto& names = decided[resources.native()];
  auto found = names.find(name);
  if (found == names.end()) {
    std::optional<std::filesystem::path> file;
    for (const char* extension : {".png", ".svg"}) {
      auto candidate = resources / (name + extension);
      if (std::filesystem::exists(candidate)) {
        file = std::move(candidate);
        break;
      }
    }
    found = names.emplace(name, std::move(file)).first;
  }
  return found->second;
}

}  // namespace

std::optional<NSImage> NSImage::imageNamed(const NSBundle& bundle, const std::string& name) {
  if (name.starts_with("NS")) return NSImage(Kind::system, name, kAssetSize);
  if (!decidedAssetFile(bundle.bundlePath() / "Resources", name)) return std::nullopt;
  return NSImage(Kind::asset, name, kAssetSize);
}

std::optional<std::filesystem::path> NSImage::assetFile(const std::filesystem::path& resources,
                                                        const std::string& name) {
  return decidedAssetFile(resources, name);
}

NSImage NSImage::fileIcon(const std::string& path) {
  return NSImage(Kind::fileIcon, path, kIconSize);
}

NSImage NSImage::applicationIcon(const NSBundle& bundle) {
  return NSImage(Kind::applicationIcon, bundle.bundlePath().string(), kApplicationIconSize);
}

NSImage NSImage::iconOfItem(const std::string& path) {
  if (std::filesystem::path(path).extension() == ".app") {
    if (auto bundle = NSBundle::bundleWithPath(path)) return applicationIcon(*bundle);
  }
  return fileIcon(path);
}

NSImage NSImage::canvas(NSSize size) { return NSImage(Kind::canvas, {}, size); }

NSImage NSImage::described(Kind kind, std::string name, NSSize size,
                           std::optional<Drawing> drawing) {
  NSImage image(kind, std::move(name), size);
  image.drawing_ = std::move(drawing);
  return image;
}

void NSImage::lockFocus() {
  static thread_local NSGraphicsContext context;
  context = NSGraphicsContext();
  context.target_ = this;
  focusedContext() = &context;
}

void NSImage::unlockFocus() {
  if (focusedContext() != nullptr && focusedContext()->target_ == this) focusedContext() = nullptr;
}

void NSImage::drawInRect(const NSRect& inRect, const NSRect& fromRect, int compositingOperation,
                         double fraction) const {
  NSGraphicsContext* context = focusedContext();
  if (context == nullptr || context->target_ == nullptr) return;
  context->target_->drawing_ = Drawing{
      std::make_shared<const NSImage>(*this), fromRect, inRect, compositingOperation, fraction,
      context->imageInterpolation()};
}

NSGraphicsContext* NSGraphicsContext::currentContext() { return focusedContext(); }

}  // namespace platform
