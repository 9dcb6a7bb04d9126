#pragma once

#include <QPointer>
#include <QTabWidget>
#include <vector>

#include "desktop/widgets/ViewPeer.h"
#include "platform/NSViewController.h"

namespace platform::desktop {

// Tabs whose pages hold the items' views once their controllers have loaded them; the shown
// tab follows the model, and the person choosing a tab selects it there.
class TabPeer final : public QTabWidget, public ViewPeer {
  Q_OBJECT

 public:
  TabPeer(NSTabView& model, PeerContext context, QWidget* parent);

 private:
  struct Page {
    QWidget* holder = nullptr;
    QPointer<QWidget> peer;
  };

  void refresh() override;
  void fillPage(Page& page, NSView* view);
  void personSelected(int index);

  PeerContext context_;
  std::vector<Page> pages_;
  // Set while the tabs are brought in line with the model, whose own changes are not news.
  bool following_ = false;
};

}  // namespace platform::desktop
