#include "support/TestEnvironment.h"

#include <sys/stat.h>

#include "shared/SettingsKeys.h"

namespace plovane::testing {

std::uint64_t fileInode(const std::filesystem::path& file) {
  struct stat status {};
  if (::stat(file.c_str(), &status) != 0) return 0;
  return status.st_ino;
}

namespace {

platform::PlistDictionary infoDictionary(const std::optional<std::string>& shortVersion,
                                         const std::string& bundleIdentifier) {
  platform::PlistDictionary info{{"CFBundleIdentifier", bundleIdentifier}};
  if (shortVersion) info["CFBundleShortVersionString"] = *shortVersion;
  return info;
}

}  // namespace

TestEnvironment::TestEnvironment(std::optional<std::string> shortVersion,
                                 std::string bundleIdentifier)
    : defaults(home.path() / "plovane", [this](const std::string& line) { log.log(line); }),
      bundle(home.path() / "PlovaneMenuExtension.appex",
             infoDictionary(shortVersion, bundleIdentifier)),
      sim(defaults, log, bundle, home.path() / "Applications") {}

std::map<std::string, std::string> TestEnvironment::sessionEnvironment() {
  for (const char* folder : {"share", "config", "cache", "run"}) {
    std::filesystem::create_directories(home.path() / folder);
  }
  std::filesystem::permissions(home.path() / "run", std::filesystem::perms::owner_all);
  return {{"PLOVANE_HOME", defaults.root().string()},
          {"HOME", home.path().string()},
          {"XDG_DATA_HOME", (home.path() / "share").string()},
          {"XDG_CONFIG_HOME", (home.path() / "config").string()},
          {"XDG_CACHE_HOME", (home.path() / "cache").string()},
          {"XDG_STATE_HOME", (home.path() / "state").string()},
          {"XDG_RUNTIME_DIR", (home.path() / "run").string()},
          {"QT_QPA_PLATFORM", "offscreen"}};
}

std::shared_ptr<platform::NSUserDefaults> TestEnvironment::extensionDefaults() {
  return defaults.standardUserDefaults(kExtensionBundleIdentifier);
}

std::shared_ptr<platform::NSUserDefaults> TestEnvironment::openSuite() {
  platform::UserDefaultsRoot other(defaults.root(), [](const std::string&) {});
  return other.initWithSuiteName(kSuiteName);
}

}  // namespace plovane::testing
