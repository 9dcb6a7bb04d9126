#pragma once

#include <filesystem>

#include "platform/NSView.h"

class QBoxLayout;
class QWidget;

namespace platform::desktop {

// What every view peer needs to draw its model: where asset images are.
struct PeerContext {
  std::filesystem::path resourcesFolder;
};

// The model side of a view's widget: mirrors the attributes every view has (hidden, the
// screen reader's name, the size it asks for) and leaves the rest to the widget's own refresh.
// The widget's class derives from its Qt widget first and from this second, so the model is
// let go before the widget's children are.
class ViewPeer : public Peer {
 public:
  ViewPeer(QWidget& widget, NSView& model);
  ViewPeer(const ViewPeer&) = delete;
  ViewPeer& operator=(const ViewPeer&) = delete;
  ~ViewPeer() override;

  // The mirrored view; null once it is gone or the peer was retired.
  NSView* model() const { return model_; }
  // Stops mirroring: the model forgets this peer, which then ignores input.
  void detach();

  void modelChanged() final;
  void modelDestroyed() final;

 protected:
  // Re-reads what the widget shows of the model; only called while there is one.
  virtual void refresh() = 0;
  template <class Model>
  Model* modelAs() const {
    return static_cast<Model*>(model_);
  }

 private:
  QWidget& widget_;
  NSView* model_;
};

// Takes a tree of peers off the screen for good: every peer in it lets its model go at once
// (the models may already mirror new peers), and the widgets are deleted once the event that
// may be running inside them has returned.
void retirePeers(QWidget& root);

// Views sit at their natural size from the start of a row or column unless one of them can
// use the room itself (a table, tabs); growing a view would tell its parents to grow too.
void packAtStart(QBoxLayout& layout);

}  // namespace platform::desktop
