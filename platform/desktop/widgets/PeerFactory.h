#pragma once

#include "desktop/widgets/ViewPeer.h"

class QWidget;

namespace platform::desktop {

// The widget that mirrors `view`, chosen by its dynamic type, inside `parent`; subviews get
// theirs as the widget is made.
QWidget* makeViewPeer(NSView& view, const PeerContext& context, QWidget& parent);

}  // namespace platform::desktop
