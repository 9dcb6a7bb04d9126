#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/NSImage.h"

namespace platform {

// What mirrors a model object on screen (a backend's widget). The model tells it of every
// change and of its own end; the peer detaches itself when it goes first.
class Peer {
 public:
  virtual ~Peer() = default;
  virtual void modelChanged() = 0;
  virtual void modelDestroyed() = 0;
};

// A model object that one peer may mirror.
class PeerObservable {
 public:
  PeerObservable() = default;
  PeerObservable(const PeerObservable&) = delete;
  PeerObservable& operator=(const PeerObservable&) = delete;
  virtual ~PeerObservable();

  void setPeer(Peer* peer) { peer_ = peer; }
  Peer* peer() const { return peer_; }

 protected:
  void didChange() const;

 private:
  Peer* peer_ = nullptr;
};

// A rectangle of the window as a model: the subviews it holds, stacked top to bottom (or as
// an NSStackView says), and what a screen reader calls it.
class NSView : public PeerObservable {
 public:
  // Adds a subview the view then owns, and returns it for the storyboard to wire.
  template <class View, class... Arguments>
  View& addSubview(Arguments&&... arguments) {
    auto view = std::make_unique<View>(std::forward<Arguments>(arguments)...);
    View& added = *view;
    adopt(std::move(view));
    return added;
  }
  const std::vector<std::unique_ptr<NSView>>& subviews() const { return subviews_; }
  NSView* superview() const { return superview_; }

  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);

  // The space the view asks for; zero lets the backend decide.
  NSSize preferredSize() const { return preferredSize_; }
  void setPreferredSize(NSSize size);
  // Where the view was placed: a window's content view fills the window's content size. The
  // backend lays its widgets out on its own, so a new frame is no news to a peer.
  NSRect frame() const { return frame_; }
  void setFrame(NSRect frame) { frame_ = frame; }

  // A screen reader's name for the view: the label set here, else what the view shows
  // (a button's title, a field's text), else the text of the view named as its title.
  std::string accessibilityLabel() const;
  void setAccessibilityLabel(std::string label);
  void setAccessibilityTitleUIElement(const NSView* titleElement);

 protected:
  // The text the view shows, which names it when no label was set.
  virtual std::string visibleText() const { return {}; }
  void adopt(std::unique_ptr<NSView> view);

 private:
  std::vector<std::unique_ptr<NSView>> subviews_;
  NSView* superview_ = nullptr;
  bool hidden_ = false;
  NSSize preferredSize_;
  NSRect frame_;
  std::string accessibilityLabel_;
  const NSView* titleElement_ = nullptr;
};

enum class NSUserInterfaceLayoutOrientation { horizontal, vertical };

// Subviews in a row or a column, with room between them.
class NSStackView : public NSView {
 public:
  explicit NSStackView(
      NSUserInterfaceLayoutOrientation orientation = NSUserInterfaceLayoutOrientation::vertical,
      double spacing = 8)
      : orientation_(orientation), spacing_(spacing) {}
  NSUserInterfaceLayoutOrientation orientation() const { return orientation_; }
  double spacing() const { return spacing_; }

 private:
  NSUserInterfaceLayoutOrientation orientation_;
  double spacing_;
};

// Shows part of its document view, its one subview, and scrolls to the rest.
class NSScrollView : public NSView {
 public:
  NSView* documentView() const { return subviews().empty() ? nullptr : subviews().front().get(); }
  // False shows what lies behind the scroll view instead of a background of its own.
  bool drawsBackground() const { return drawsBackground_; }
  void setDrawsBackground(bool draws) {
    if (drawsBackground_ == draws) return;
    drawsBackground_ = draws;
    didChange();
  }

 private:
  bool drawsBackground_ = true;
};

}  // namespace platform
