#pragma once

#include <any>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/NSView.h"

namespace platform {

// Owns a view that the storyboard builds on first use, and hears when it comes and goes.
class NSViewController {
 public:
  using ViewLoader = std::function<std::unique_ptr<NSView>()>;

  NSViewController() = default;
  NSViewController(const NSViewController&) = delete;
  NSViewController& operator=(const NSViewController&) = delete;
  virtual ~NSViewController() = default;

  // The view, loaded (and viewDidLoad run) on first use.
  NSView& view();
  bool isViewLoaded() const { return view_ != nullptr; }
  // How the view is built: set by the storyboard, which also wires the outlets.
  void setViewLoader(ViewLoader loader) { loader_ = std::move(loader); }

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::any& representedObject() const { return representedObject_; }
  void setRepresentedObject(std::any object) { representedObject_ = std::move(object); }

  virtual void viewDidLoad() {}
  virtual void viewWillAppear() {}
  virtual void viewDidAppear() {}
  virtual void viewWillDisappear() {}
  virtual void viewDidDisappear() {}

  // The view comes on screen or leaves it: loads it if needed and runs the hooks in order.
  void beginAppearance();
  void endAppearance();
  bool isOnScreen() const { return onScreen_; }

 private:
  ViewLoader loader_;
  std::unique_ptr<NSView> view_;
  std::string title_;
  std::any representedObject_;
  bool onScreen_ = false;
};

class NSTabView;

// Told when a tab view's selection changes.
class NSTabViewDelegate {
 public:
  virtual ~NSTabViewDelegate() = default;
  virtual void tabViewDidSelect(NSTabView& tabView, std::size_t from, std::size_t to) = 0;
};

// Labelled tabs, one shown at a time. A tab's view is there once its controller loaded it.
class NSTabView : public NSView {
 public:
  struct Item {
    std::string label;
    NSView* view = nullptr;
  };

  NSTabViewDelegate* delegate = nullptr;

  const std::vector<Item>& tabViewItems() const { return items_; }
  void addTabViewItem(std::string label) { items_.push_back({std::move(label), nullptr}); }
  void setViewOfItem(std::size_t index, NSView* view);
  std::size_t indexOfSelectedItem() const { return selected_; }
  // Out-of-range indexes are ignored.
  void selectTabViewItemAtIndex(std::size_t index);

 private:
  std::vector<Item> items_;
  std::size_t selected_ = 0;
};

// Tabs of child controllers: selecting a tab while on screen makes the old child disappear
// and the new one appear.
class NSTabViewController : public NSViewController, private NSTabViewDelegate {
 public:
  NSTabViewController();

  struct TabViewItem {
    std::string label;
    std::shared_ptr<NSViewController> viewController;
  };
  void addTabViewItem(TabViewItem item);
  const std::vector<TabViewItem>& tabViewItems() const { return items_; }

  NSTabView& tabView();
  std::size_t selectedTabViewItemIndex() { return tabView().indexOfSelectedItem(); }
  void setSelectedTabViewItemIndex(std::size_t index) { tabView().selectTabViewItemAtIndex(index); }

  void viewDidLoad() override;
  void viewWillAppear() override;
  void viewWillDisappear() override;

 private:
  void tabViewDidSelect(NSTabView& tabView, std::size_t from, std::size_t to) override;
  NSViewController* child(std::size_t index) const;
  void showChild(std::size_t index);

  std::vector<TabViewItem> items_;
};

}  // namespace platform
