#include "host/commandline/BusRun.h"

#include <QDBusConnection>
#include <iostream>

#include "desktop/HostDirectorySet.h"
#include "desktop/findersync/FinderSyncClient.h"
#include "host/commandline/MenuRequests.h"
#include "platform/NSUserDefaults.h"

namespace plovane::host {

namespace {

// A person may take their time over a dialog; a script answers at once.
constexpr int kCommandTimeoutMilliseconds = 10 * 60 * 1000;

int failed(const std::string& why) {
  std::cerr << "plovane-finder: " << why << "\n";
  return 1;
}

int chooseEntry(platform::desktop::FinderSyncClient& client, const Request& request,
                const platform::NSMenu& menu) {
  const auto entry = chosenEntry(menu, request.item);
  if (!entry) return 1;
  // The answers replace any a previous command left over; an extension at a display takes
  // none, which matters only when some were given.
  if (auto refused = client.answerModals(request.answers); refused && !request.answers.empty()) {
    return failed(*refused);
  }
  const auto result = client.performAndWait(*entry, request.selection, kCommandTimeoutMilliseconds);
  if (const auto* why = std::get_if<std::string>(&result)) return failed(*why);
  const auto& outcome = std::get<platform::desktop::ActionOutcome>(result);
  for (const auto& line : outcome.modals) std::cout << line << "\n";
  std::cout.flush();
  if (!outcome.failure.empty()) {
    std::cerr << "plovane-finder: " << outcome.failure << "\n";
    return 3;
  }
  if (outcome.answersLeft > 0) {
    return failed(std::to_string(outcome.answersLeft) + " answer(s) were not needed by any modal");
  }
  return 0;
}

}  // namespace

int runOverBus(const Request& request) {
  platform::desktop::FinderSyncClient client(QDBusConnection::sessionBus());
  // The file manager starts its extensions before it shows a folder; the extension then sets
  // the directory set this stand-in reads.
  if (auto why = client.start()) return failed(*why);
  platform::UserDefaultsRoot defaults(platform::UserDefaultsRoot::defaultRoot(),
                                      [](const std::string& line) { std::cerr << line << "\n"; });
  const platform::desktop::HostDirectorySet directorySet(defaults);
  if (!selectionIsMonitored(directorySet.directoryURLs(), request.selection)) return 1;
  auto menu = client.menu(request.kind, request.selection);
  if (const auto* why = std::get_if<std::string>(&menu)) return failed(*why);
  const auto& transported = std::get<platform::desktop::TransportedMenu>(menu);
  if (request.command == Request::Command::choose) {
    return chooseEntry(client, request, *transported.menu);
  }
  printMenu(*transported.menu, request.json);
  return 0;
}

}  // namespace plovane::host
