#include "desktop/DisplayModals.h"

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "desktop/QtModals.h"
#include "platform/NSBundle.h"

namespace platform::desktop {

namespace {

// The running program's name as its bundle shows it to people; Qt's (the executable's name)
// only when the program runs outside a bundle.
QString programDisplayName() {
  const auto bundle =
      NSBundle::bundleWithPath(std::filesystem::read_symlink("/proc/self/exe").parent_path());
  for (const char* key : {"CFBundleDisplayName", "CFBundleName"}) {
    if (auto name = bundle ? bundle->objectForInfoDictionaryKey(key) : std::nullopt) {
      return QString::fromStdString(*name);
    }
  }
  return QGuiApplication::applicationDisplayName();
}

}  // namespace

bool hasDisplay() {
  const char* platformName = std::getenv("QT_QPA_PLATFORM");
  if (platformName != nullptr && std::string_view(platformName) == "offscreen") return false;
  for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

std::unique_ptr<Modals> modalsFor(bool display, SystemLog& log, QObject& mainThread,
                                  ScriptedModals*& scripted) {
  if (display) return std::make_unique<QtModals>(programDisplayName());
  auto answered = std::make_unique<ScriptedModals>(log, mainThread);
  if (const char* file = std::getenv("PLOVANE_MODAL_ANSWERS"); file != nullptr && *file != '\0') {
    if (auto why = answered->loadAnswers(file)) log.log(*why);
  }
  log.log("no display: modals are answered from a script and written here");
  scripted = answered.get();
  return answered;
}

}  // namespace platform::desktop
