#include "host/inprocess/InProcessExtension.h"

#include <cstdlib>

#include "host/installation/BundlesFolder.h"

namespace plovane::host {

InProcessExtension::InProcessExtension(platform::NSBundle bundle,
                                       std::filesystem::path applications)
    : defaults_(platform::UserDefaultsRoot::defaultRoot(),
                [this](const std::string& line) { log_.log(line); }),
      bundle_(std::move(bundle)),
      sim_(defaults_, log_, bundle_, std::move(applications), platform::NSCalendar(),
           platform::systemNow()),
      finderSync_(std::make_unique<FinderSync>(sim_.platform)) {}

std::filesystem::path extensionBundlePath() {
  if (const char* configured = std::getenv("PLOVANE_EXTENSION_BUNDLE");
      configured != nullptr && *configured != '\0') {
    return configured;
  }
  return bundlesFolder() / "PlovaneMenuExtension.appex";
}

}  // namespace plovane::host
