#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/OtherAppsCatalogue.h"
#include "platform/NSBundle.h"
#include "platform/NSCollectionView.h"
#include "platform/NSControl.h"
#include "platform/NSFileManager.h"
#include "platform/NSViewController.h"
#include "platform/NSWorkspace.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

namespace plovane::app {

// The other-apps window's content: a card for each of the maker's apps that is not installed,
// in a promo order drawn anew each time the window is shown.
class utilityKitvc final : public platform::NSViewController,
                           public platform::NSCollectionViewDataSource,
                           public platform::ActionTarget {
 public:
  // What it works with: the apps' icons, where installed apps lie, the first layout's delay,
  // the cards' log lines, and what opens a store page.
  struct Services {
    const platform::NSBundle& mainBundle;
    const platform::NSFileManager& fileManager;
    platform::RunLoop& runLoop;
    platform::SystemLog& log;
    platform::NSWorkspace& workspace;
  };

  explicit utilityKitvc(Services services);

  platform::NSTextField* lblotherapps = nullptr;
  platform::NSScrollView* scrollview = nullptr;
  platform::NSCollectionView* collectionView = nullptr;
  std::vector<OtherAppRow> allappsDic;
  bool isfirstTimeLodded = false;
  std::vector<int> randomPrmotarr;
  double space = 0;
  // Draws a number below `bound` for the promo order; uniform unless a test sets its own.
  std::function<std::size_t(std::size_t bound)> randomBelow;

  void viewDidLoad() override;
  void viewWillAppear() override;
  void viewDidAppear() override;
  void configureCollectionView();

  std::int64_t collectionViewNumberOfItemsInSection(platform::NSCollectionView& collectionView,
                                                    std::int64_t section) override;
  platform::NSCollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      platform::NSCollectionView& collectionView, const platform::NSIndexPath& indexPath) override;
  bool performAction(const std::string& selector, platform::NSControl& sender) override;

  void btnAppStoreClickedWithSender(platform::NSControl& sender);

 private:
  void rebuildCatalogue();

  Services services_;
  std::vector<OtherApp> catalogue_;
};

}  // namespace plovane::app
