#include "desktop/widgets/PeerFactory.h"

#include "desktop/widgets/ButtonPeers.h"
#include "desktop/widgets/CollectionPeer.h"
#include "desktop/widgets/ContainerPeer.h"
#include "desktop/widgets/ImagePeer.h"
#include "desktop/widgets/LabelPeer.h"
#include "desktop/widgets/ScrollPeer.h"
#include "desktop/widgets/TabPeer.h"
#include "desktop/widgets/TablePeer.h"
#include "platform/NSTableView.h"
#include "platform/NSViewController.h"

namespace platform::desktop {

QWidget* makeViewPeer(NSView& view, const PeerContext& context, QWidget& parent) {
  // Most derived first: tables, tabs, collection and scroll views are views too.
  if (auto* table = dynamic_cast<NSTableView*>(&view)) {
    return new TablePeer(*table, context, &parent);
  }
  if (auto* tabs = dynamic_cast<NSTabView*>(&view)) return new TabPeer(*tabs, context, &parent);
  if (auto* collection = dynamic_cast<NSCollectionView*>(&view)) {
    return new CollectionPeer(*collection, context, &parent);
  }
  if (auto* scroll = dynamic_cast<NSScrollView*>(&view)) {
    return new ScrollPeer(*scroll, context, &parent);
  }
  if (auto* button = dynamic_cast<NSButton*>(&view)) {
    if (button->buttonType() == NSButtonType::switchButton)
      return new CheckBoxPeer(*button, &parent);
    return new PushButtonPeer(*button, context, &parent);
  }
  if (auto* field = dynamic_cast<NSTextField*>(&view)) return new LabelPeer(*field, &parent);
  if (auto* image = dynamic_cast<NSImageView*>(&view)) {
    return new ImagePeer(*image, context, &parent);
  }
  // A stack view, a table cell and any other view hold their subviews.
  return new ContainerPeer(view, context, &parent);
}

}  // namespace platform::desktop
