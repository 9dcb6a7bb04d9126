#pragma once

#include "platform/NSCollectionView.h"
#include "platform/NSControl.h"

namespace plovane::app {

inline constexpr char kCollectionViewCellIdentifier[] = "collectionView_cell";

// A card of the other-apps window: the app's icon, title, description and category, and the
// button to its store page.
class collectionView_cell final : public platform::NSCollectionViewItem {
 public:
  platform::NSTextField* lblapptype = nullptr;
  platform::NSButton* btnappstore = nullptr;
  platform::NSImageView* imgview = nullptr;
  platform::NSTextField* lblsubtitle = nullptr;
  platform::NSTextField* lbltitle = nullptr;
};

}  // namespace plovane::app
