#include "platform/NSViewController.h"

namespace platform {

NSView& NSViewController::view() {
  if (!view_) {
    view_ = loader_ ? loader_() : std::make_unique<NSView>();
    viewDidLoad();
  }
  return *view_;
}

void NSViewController::beginAppearance() {
  if (onScreen_) return;
  view();
  viewWillAppear();
  onScreen_ = true;
  viewDidAppear();
}

void NSViewController::endAppearance() {
  if (!onScreen_) return;
  viewWillDisappear();
  onScreen_ = false;
  viewDidDisappear();
}

void NSTabView::setViewOfItem(std::size_t index, NSView* view) {
  if (index >= items_.size()) return;
  items_[index].view = view;
  didChange();
}

void NSTabView::selectTabViewItemAtIndex(std::size_t index) {
  if (index >= items_.size() || index == selected_) return;
  const std::size_t from = selected_;
  selected_ = index;
  if (delegate != nullptr) delegate->tabViewDidSelect(*this, from, index);
  didChange();
}

NSTabViewController::NSTabViewController() {
  setViewLoader([] { return std::make_unique<NSTabView>(); });
}

void NSTabViewController::addTabViewItem(TabViewItem item) { items_.push_back(std::move(item)); }

NSTabView& NSTabViewController::tabView() { return static_cast<NSTabView&>(view()); }

NSViewController* NSTabViewController::child(std::size_t index) const {
  return index < items_.size() ? items_[index].viewController.get() : nullptr;
}

void NSTabViewController::viewDidLoad() {
  auto& tabs = tabView();
  tabs.delegate = this;
  for (const auto& item : items_) tabs.addTabViewItem(item.label);
  showChild(tabs.indexOfSelectedItem());
}

void NSTabViewController::showChild(std::size_t index) {
  if (auto* shown = child(index)) tabView().setViewOfItem(index, &shown->view());
}

void NSTabViewController::viewWillAppear() {
  if (auto* shown = child(tabView().indexOfSelectedItem())) shown->beginAppearance();
}

void NSTabViewController::viewWillDisappear() {
  if (auto* shown = child(tabView().indexOfSelectedItem())) shown->endAppearance();
}

void NSTabViewController::tabViewDidSelect(NSTabView&, std::size_t from, std::size_t to) {
  if (auto* old = child(from); old != nullptr && isOnScreen()) old->endAppearance();
  showChild(to);
  if (auto* shown = child(to); shown != nullptr && isOnScreen()) shown->beginAppearance();
}

}  // namespace platform
