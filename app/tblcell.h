#pragma once

#include "platform/NSControl.h"
#include "platform/NSTableView.h"

namespace plovane::app {

// The row of every list of the app; each table's storyboard cell decides which outlets it shows.
class tblcell final : public platform::NSTableCellView {
 public:
  platform::NSTextField* lbltitle = nullptr;
  platform::NSImageView* imgview = nullptr;
  platform::NSButton* checkbox = nullptr;
  platform::NSButton* btnDelete = nullptr;
};

}  // namespace plovane::app
