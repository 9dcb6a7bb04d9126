#include "desktop/DisplayModals.h"

#include <QGuiApplication>
#include <filesystem>

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

std::unique_ptr<Modals> modalsFor(bool display, SystemLog& log, QObject& mainThread,
                                  ScriptedModals*& scripted) {
  if (display) return std::make_unique<QtModals>(programDisplayName());
  auto answered = ScriptedModals::withoutDisplay(log, mainThread);
  scripted = answered.get();
  return answered;
}

}  // namespace platform::desktop
