#include "desktop/widgets/TabPeer.h"

#include <QVBoxLayout>

#include "desktop/widgets/PeerFactory.h"

namespace platform::desktop {

TabPeer::TabPeer(NSTabView& model, PeerContext context, QWidget* parent)
    : QTabWidget(parent),
      ViewPeer(static_cast<QWidget&>(*this), model),
      context_(std::move(context)) {
  connect(this, &QTabWidget::currentChanged, this, [this](int index) { personSelected(index); });
  modelChanged();
}

void TabPeer::refresh() {
  auto& tabs = *modelAs<NSTabView>();
  const auto& items = tabs.tabViewItems();
  const bool wasFollowing = following_;
  following_ = true;
  // The model only ever adds items; each page's holder stays and its content is replaced.
  while (pages_.size() < items.size()) {
    Page page;
    page.holder = new QWidget;
    auto* layout = new QVBoxLayout(page.holder);
    layout->setContentsMargins(8, 8, 8, 8);
    addTab(page.holder, QString());
    pages_.push_back(page);
  }
  for (std::size_t index = 0; index < items.size(); ++index) {
    setTabText(static_cast<int>(index), QString::fromStdString(items[index].label));
    fillPage(pages_[index], items[index].view);
  }
  if (tabs.indexOfSelectedItem() < items.size()) {
    setCurrentIndex(static_cast<int>(tabs.indexOfSelectedItem()));
  }
  following_ = wasFollowing;
}

void TabPeer::fillPage(Page& page, NSView* view) {
  const auto* shown = dynamic_cast<const ViewPeer*>(page.peer.data());
  const bool current = view == nullptr ? !page.peer : shown != nullptr && shown->model() == view;
  if (current) return;
  if (page.peer) retirePeers(*page.peer);
  page.peer = view != nullptr ? makeViewPeer(*view, context_, *page.holder) : nullptr;
  if (page.peer) page.holder->layout()->addWidget(page.peer);
}

void TabPeer::personSelected(int index) {
  if (following_ || index < 0) return;
  // The controller's appearance hooks run in here, and may fill the page just shown.
  if (auto* tabs = modelAs<NSTabView>()) {
    tabs->selectTabViewItemAtIndex(static_cast<std::size_t>(index));
  }
}

}  // namespace platform::desktop
