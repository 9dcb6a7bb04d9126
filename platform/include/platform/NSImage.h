#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class NSBundle;

struct NSSize {
  double width = 0;
  double height = 0;
  friend bool operator==(const NSSize&, const NSSize&) = default;
};

struct NSRect {
  double x = 0, y = 0, width = 0, height = 0;
  friend bool operator==(const NSRect&, const NSRect&) = default;
};

inline constexpr int NSImageInterpolationHigh = 3;
inline constexpr int NSCompositingOperationCopy = 1;

// An image as a description of where its pixels come from; each backend turns it into
// pixels when it shows one. A redrawn image keeps what was drawn into it and how.
class NSImage {
 public:
  enum class Kind { asset, system, fileIcon, applicationIcon, canvas };

  struct Drawing {
    std::shared_ptr<const NSImage> source;
    NSRect fromRect;
    NSRect inRect;
    int compositingOperation = 0;
    double fraction = 0;
    std::optional<int> interpolation;  // absent when no graphics context was current
    // Two drawings are the same when they drew the same image, wherever it is kept.
    friend bool operator==(const Drawing& a, const Drawing& b) {
      const bool sameSource =
          a.source == b.source || (a.source && b.source && *a.source == *b.source);
      return sameSource && a.fromRect == b.fromRect && a.inRect == b.inRect &&
             a.compositingOperation == b.compositingOperation && a.fraction == b.fraction &&
             a.interpolation == b.interpolation;
    }
  };

  // An asset of the bundle ("<bundle>/Resources/<name>.png" or ".svg") or a system image
  // ("NS…" names); absent when there is no such image.
  static std::optional<NSImage> imageNamed(const NSBundle& bundle, const std::string& name);
  // The file an asset's pixels come from: "<resources>/<name>.png", else ".svg"; absent when
  // there is neither. imageNamed follows the same answer.
  static std::optional<std::filesystem::path> assetFile(const std::filesystem::path& resources,
                                                        const std::string& name);
  static NSImage fileIcon(const std::string& path);
  static NSImage applicationIcon(const NSBundle& bundle);
  // What the workspace shows for an item: an application bundle's own icon, otherwise the
  // icon of the item's type.
  static NSImage iconOfItem(const std::string& path);
  // A new, empty image to draw into.
  static NSImage canvas(NSSize size);
  // An image rebuilt from the description another process sent.
  static NSImage described(Kind kind, std::string name, NSSize size,
                           std::optional<Drawing> drawing);

  // Drawing into this image while focus is locked records the drawing here.
  void lockFocus();
  void unlockFocus();
  void drawInRect(const NSRect& inRect, const NSRect& fromRect, int compositingOperation,
                  double fraction) const;

  Kind kind() const { return kind_; }
  // The asset or system name, or the path whose icon this is.
  const std::string& name() const { return name_; }
  NSSize size() const { return size_; }
  const std::optional<Drawing>& drawing() const { return drawing_; }

  friend bool operator==(const NSImage&, const NSImage&) = default;

 private:
  NSImage(Kind kind, std::string name, NSSize size)
      : kind_(kind), name_(std::move(name)), size_(size) {}

  Kind kind_;
  std::string name_;
  NSSize size_;
  std::optional<Drawing> drawing_;
};

// The context that drawing goes to while an image has focus.
class NSGraphicsContext {
 public:
  static NSGraphicsContext* currentContext();
  void setImageInterpolation(int interpolation) { interpolation_ = interpolation; }
  std::optional<int> imageInterpolation() const { return interpolation_; }

 private:
  friend class NSImage;
  NSImage* target_ = nullptr;
  std::optional<int> interpolation_;
};

}  // namespace platform
