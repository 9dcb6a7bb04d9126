// The extension's display helper: the extension starts it to draw its dialogs and to hold what
// it copies, so that the extension itself loads no GUI library.
#include "desktop/display/DisplayHelperProgram.h"

int main(int argc, char** argv) { return platform::desktop::runDisplayHelper(argc, argv); }
