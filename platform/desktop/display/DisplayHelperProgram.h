#pragma once

namespace platform::desktop {

// The display helper's whole life: draws the extension's dialogs for the person at the display
// and holds the text the extension copies, answering the extension over its standard input and
// output (DisplayMessages), and ends when the extension hangs up. People and screen readers know
// its windows as the extension's ("plovane-menu-extension").
int runDisplayHelper(int& argc, char** argv);

}  // namespace platform::desktop
