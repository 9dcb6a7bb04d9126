#include "desktop/ApplicationHost.h"

#include <QApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>
#include <QVariantMap>
#include <iostream>

#include "desktop/DesktopPlatform.h"
#include "desktop/DisplayModals.h"
#include "desktop/ImageRendering.h"
#include "desktop/ProgramLauncher.h"
#include "desktop/ProgramStart.h"
#include "desktop/RunningApplicationRegistration.h"
#include "desktop/RunningApplications.h"
#include "desktop/StreamSystemLog.h"
#include "desktop/widgets/DeferredIconStyle.h"

namespace platform::desktop {

namespace {

constexpr char kApplicationInterface[] = "org.freedesktop.Application";

// The freedesktop way to bring a running program forward: a second start, or the desktop
// (gapplication launch, DBusActivatable entries), calls Activate.
class ActivationAdaptor final : public QDBusAbstractAdaptor {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

 public:
  ActivationAdaptor(QObject* parent, std::function<void()> activate)
      : QDBusAbstractAdaptor(parent), activate_(std::move(activate)) {}

 public slots:
  void Activate(const QVariantMap&) { activate_(); }

 private:
  std::function<void()> activate_;
};

// Asks the instance that owns the identifier to come forward; false when none answers.
bool activateRunningInstance(QDBusConnection& bus, const QString& identifier) {
  auto request = QDBusMessage::createMethodCall(
      identifier, objectPathForBundleIdentifier(identifier),
      QString::fromLatin1(kApplicationInterface), QStringLiteral("Activate"));
  request << QVariantMap();
  request.setAutoStartService(false);
  return bus.call(request).type() == QDBusMessage::ReplyMessage;
}

}  // namespace

int runApplicationHost(int& argc, char** argv, const NSBundle& bundle,
                       const ApplicationFactory& makeApplication) {
  const bool display = prepareDisplay();
  QApplication qtApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setStyle(new DeferredIconStyle);
  // File and folder icons come from the desktop's theme, with a complete one behind it.
  useBundledIconTheme();
  const std::string identifier = bundle.bundleIdentifier().value_or("");
  QApplication::setApplicationDisplayName(QString::fromStdString(
      bundle.objectForInfoDictionaryKey("CFBundleDisplayName").value_or(identifier)));
  StreamSystemLog log;
  auto bus = QDBusConnection::sessionBus();
  QObject published;
  auto* registration =
      new RunningApplicationRegistration(&published, NSApplicationActivationPolicy::accessory);
  std::function<void()> activate;
  new ActivationAdaptor(&published, [&activate] {
    if (activate) activate();
  });
  if (!bus.isConnected()) {
    log.log("no session bus: this instance cannot be found by the extension");
  } else if (!registration->publish(bus, identifier)) {
    if (activateRunningInstance(bus, QString::fromStdString(identifier))) return 0;
    std::cerr << "another instance owns " << identifier << " on the session bus\n";
    return 1;
  }

  UserDefaultsRoot defaults(UserDefaultsRoot::defaultRoot(),
                            [&log](const std::string& line) { log.log(line); });
  ScriptedModals* scripted = nullptr;
  const auto modals = modalsFor(display, log, qtApplication, scripted);
  DesktopPlatform services(defaults, log, bundle, BundleRegistry::defaultApplicationsRoot(),
                           qtApplication, *modals, bus);
  services.windowServer.setActivationPolicyHandler(
      [registration](NSApplicationActivationPolicy policy) {
        registration->setActivationPolicy(policy);
      });
  NSApplication application(services.windowServer, NSApplicationActivationPolicy::accessory);
  const auto program = makeApplication(services.platform, application);
  services.windowServer.setApplicationMenu(application);
  activate = [&application] { application.activateIgnoringOtherApps(true); };
  QTimer::singleShot(0, &qtApplication, [&application] { application.finishLaunching(); });
  // A program of a session ends with it, also where no display going away would end it.
  QTimer watch;
  if (bus.isConnected()) quitWhenBusGoes(watch, bus, [&] { application.terminate(nullptr); });
  return qtApplication.exec();
}

}  // namespace platform::desktop

#include "ApplicationHost.moc"
