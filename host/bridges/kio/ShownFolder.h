#pragma once

#include <QUrl>

class QWidget;

namespace plovane::bridge::kio {

// The folder Dolphin's active view shows in `window`, as its location bar has it; empty when the
// window has no location bar. Dolphin asks for the background menu with the shown folder as the
// only item, exactly as for that folder selected elsewhere: this tells the two apart.
QUrl shownFolder(const QWidget* window);

}  // namespace plovane::bridge::kio
