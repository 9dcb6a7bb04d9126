#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/NSImage.h"
#include "platform/NSView.h"

namespace platform {

class NSControl;

// What a control sends its action to, by selector name, as target/action does.
class ActionTarget {
 public:
  virtual ~ActionTarget() = default;
  // Runs the exported method; false when the target has no such selector.
  virtual bool performAction(const std::string& selector, NSControl& sender) = 0;
};

// A view that the person acts on: enabled or not, a tag, and the action it sends.
class NSControl : public NSView {
 public:
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  std::int64_t tag() const { return tag_; }
  void setTag(std::int64_t tag) { tag_ = tag; }
  ActionTarget* target() const { return target_; }
  void setTarget(ActionTarget* target) { target_ = target; }
  const std::string& action() const { return action_; }
  void setAction(std::string selector) { action_ = std::move(selector); }

  // Sends the action to the target; false when there is no target or it has no such method.
  bool sendAction();

 private:
  bool enabled_ = true;
  std::int64_t tag_ = 0;
  ActionTarget* target_ = nullptr;
  std::string action_;
};

enum class NSTextFieldStyle { label, heading, wrappingLabel };

// A text the controllers set: a label here (the app has no text entry).
class NSTextField : public NSControl {
 public:
  explicit NSTextField(std::string text = {}, NSTextFieldStyle style = NSTextFieldStyle::label)
      : stringValue_(std::move(text)), style_(style) {}
  const std::string& stringValue() const { return stringValue_; }
  void setStringValue(std::string text);
  NSTextFieldStyle style() const { return style_; }

 protected:
  std::string visibleText() const override { return stringValue_; }

 private:
  std::string stringValue_;
  NSTextFieldStyle style_;
};

enum class NSButtonType { momentaryPushIn, switchButton };
enum NSControlStateValue : int { NSControlStateValueOff = 0, NSControlStateValueOn = 1 };

// A push button or a check box. A click flips a check box's state before the action is sent.
class NSButton : public NSControl {
 public:
  explicit NSButton(std::string title = {}, NSButtonType type = NSButtonType::momentaryPushIn)
      : title_(std::move(title)), type_(type) {}
  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  NSButtonType buttonType() const { return type_; }
  NSControlStateValue state() const { return state_; }
  void setState(NSControlStateValue state);
  const std::optional<NSImage>& image() const { return image_; }
  void setImage(std::optional<NSImage> image);
  // Shows the pointing hand over the button, as a link does.
  bool showsPointingHand() const { return pointingHand_; }
  void setShowsPointingHand(bool pointingHand) { pointingHand_ = pointingHand; }

  // What a click does: nothing when disabled; else flip a check box, then send the action.
  void performClick();

 protected:
  std::string visibleText() const override { return title_; }

 private:
  std::string title_;
  NSButtonType type_;
  NSControlStateValue state_ = NSControlStateValueOff;
  std::optional<NSImage> image_;
  bool pointingHand_ = false;
};

class NSImageView : public NSControl {
 public:
  const std::optional<NSImage>& image() const { return image_; }
  void setImage(std::optional<NSImage> image);

 private:
  std::optional<NSImage> image_;
};

}  // namespace platform
