#pragma once

#include <QPointer>
#include <QWidget>
#include <vector>

#include "desktop/widgets/ViewPeer.h"

class QBoxLayout;

namespace platform::desktop {

// A plain view, a stack view or a table cell: its subviews' peers in a column, or in the
// stack view's row or column with its spacing.
class ContainerPeer final : public QWidget, public ViewPeer {
  Q_OBJECT

 public:
  ContainerPeer(NSView& model, PeerContext context, QWidget* parent);

 private:
  void refresh() override;
  bool showsSubviewsOf(const NSView& view) const;

  PeerContext context_;
  QBoxLayout* layout_;
  std::vector<QPointer<QWidget>> shown_;
};

}  // namespace platform::desktop
