#include "app/RestartHint.h"

namespace plovane::app {

std::string restartHint(const std::vector<std::string>& fileManagers) {
  if (fileManagers.empty()) return {};
  std::string names = fileManagers.front();
  for (std::size_t at = 1; at < fileManagers.size(); ++at) {
    names += (at + 1 == fileManagers.size() ? " and " : ", ") + fileManagers[at];
  }
  const bool one = fileManagers.size() == 1;
  return names + " must be restarted to show the menu. Quit and open " + (one ? "it" : "them") +
         " again, or press " + (one ? "its Restart button" : "their Restart buttons") +
         " in the window that lists the file managers.";
}

void showRestartHint(platform::RunLoop& runLoop, platform::NSWorkspace& workspace,
                     platform::NSTextField& hint) {
  runLoop.dispatchAsyncGlobal([&runLoop, &workspace, &hint] {
    std::string line = restartHint(workspace.fileManagersToRestart());
    runLoop.dispatchAsyncMain([&hint, line = std::move(line)] {
      hint.setStringValue(line);
      hint.setHidden(line.empty());
    });
  });
}

}  // namespace plovane::app
