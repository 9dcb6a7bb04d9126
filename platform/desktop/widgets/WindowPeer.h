#pragma once

#include <QPointer>
#include <QWidget>

#include "desktop/widgets/ViewPeer.h"
#include "platform/NSWindow.h"

class QVBoxLayout;

namespace platform::desktop {

// A window on the desktop: the model's title and content size around the peers of its
// content controller's view. The close button closes the model, which then orders it out.
class WindowPeer final : public QWidget, public Peer {
  Q_OBJECT

 public:
  WindowPeer(NSWindow& model, PeerContext context);
  ~WindowPeer() override;

  // The mirrored window; null once it is gone.
  const NSWindow* model() const { return model_; }

  void modelChanged() override;
  void modelDestroyed() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void showContent();

  NSWindow* model_;
  PeerContext context_;
  QVBoxLayout* layout_;
  QPointer<QWidget> content_;
  NSSize sized_;
};

}  // namespace platform::desktop
