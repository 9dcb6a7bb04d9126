#include "host/inprocess/InProcessRun.h"

#include <iostream>

#include "desktop/ProgramLauncher.h"
#include "host/commandline/MenuRequests.h"
#include "host/inprocess/InProcessExtension.h"

namespace plovane::host {

namespace {

void printTranscript(const platform::sim::Transcript& transcript) {
  for (const auto& line : transcript.lines) std::cout << line << "\n";
  std::cout.flush();
}

int chooseEntry(InProcessExtension& extension, const Request& request,
                const platform::NSMenu& menu) {
  const auto entry = chosenEntry(menu, request.item);
  if (!entry) return 1;
  auto& sim = extension.sim();
  for (const auto& answer : request.answers)
    sim.modals.answer(*platform::sim::ModalAnswer::parse(answer));
  try {
    extension.finderSync().performSelector(entry->action, &*entry);
    sim.runLoop.drain();
  } catch (const platform::sim::UnexpectedModal& unanswered) {
    printTranscript(sim.transcript);
    std::cerr << "plovane-finder: " << unanswered.what() << "\n";
    return 3;
  }
  printTranscript(sim.transcript);
  if (const auto left = sim.modals.answersLeft(); left > 0) {
    std::cerr << "plovane-finder: " << left << " answer(s) were not needed by any modal\n";
    return 1;
  }
  return 0;
}

}  // namespace

int runInProcess(const Request& request) {
  std::cerr << kInProcessNotice << "\n";
  auto bundle = platform::NSBundle::bundleWithPath(extensionBundlePath());
  if (!bundle) {
    std::cerr << "plovane-finder: no extension bundle at " << extensionBundlePath()
              << " (set PLOVANE_EXTENSION_BUNDLE)\n";
    return 1;
  }
  InProcessExtension extension(std::move(*bundle),
                               platform::desktop::BundleRegistry::defaultApplicationsRoot());
  if (!selectionIsMonitored(extension.sim().finderSyncController.directoryURLs(),
                            request.selection)) {
    return 1;
  }
  extension.sim().finderSyncController.setSelectedItemURLs(request.selection);
  const auto menu = extension.finderSync().menuForMenuKind(request.kind);
  if (request.command == Request::Command::choose) return chooseEntry(extension, request, *menu);
  printMenu(*menu, request.json);
  return 0;
}

}  // namespace plovane::host
