#include "desktop/RunningApplications.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QEventLoop>
#include <QTimer>
#include <memory>

#include "desktop/BusNames.h"

namespace platform::desktop {

namespace {

// A program that does not answer by then is taken as a regular one.
constexpr int kAnswerMilliseconds = 1000;

bool looksLikeBundleIdentifier(const QString& name) {
  return !name.startsWith(u':') && name.contains(u'.') &&
         name != QStringLiteral("org.freedesktop.DBus");
}

QDBusMessage activationPolicyRequest(const QString& service) {
  auto request = QDBusMessage::createMethodCall(service, objectPathForBundleIdentifier(service),
                                                QStringLiteral("org.freedesktop.DBus.Properties"),
                                                QStringLiteral("Get"));
  request << QString::fromLatin1(bus::kRunningApplicationInterface)
          << QString::fromLatin1(bus::kActivationPolicyProperty);
  // Asking must not start a program that is merely activatable.
  request.setAutoStartService(false);
  return request;
}

NSApplicationActivationPolicy publishedPolicy(const QDBusPendingCall& answer) {
  const QDBusMessage reply = answer.reply();
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
    return NSApplicationActivationPolicy::regular;
  }
  return activationPolicyNamed(
      qvariant_cast<QDBusVariant>(reply.arguments().front()).variant().toString());
}

}  // namespace

QString objectPathForBundleIdentifier(const QString& bundleIdentifier) {
  QString path = u'/' + bundleIdentifier;
  path.replace(u'.', u'/');
  path.replace(u'-', u'_');
  return path;
}

QString activationPolicyName(NSApplicationActivationPolicy policy) {
  switch (policy) {
    case NSApplicationActivationPolicy::accessory:
      return QStringLiteral("accessory");
    case NSApplicationActivationPolicy::prohibited:
      return QStringLiteral("prohibited");
    case NSApplicationActivationPolicy::regular:
      break;
  }
  return QStringLiteral("regular");
}

NSApplicationActivationPolicy activationPolicyNamed(const QString& name) {
  if (name == QStringLiteral("accessory")) return NSApplicationActivationPolicy::accessory;
  if (name == QStringLiteral("prohibited")) return NSApplicationActivationPolicy::prohibited;
  return NSApplicationActivationPolicy::regular;
}

std::vector<NSRunningApplication> runningApplicationsOn(const QDBusConnection& connection) {
  if (!connection.isConnected()) return {};
  const QStringList names = connection.interface()->registeredServiceNames().value();

  QEventLoop loop;
  std::vector<std::pair<QString, std::unique_ptr<QDBusPendingCallWatcher>>> questions;
  int unanswered = 0;
  for (const QString& name : names) {
    if (!looksLikeBundleIdentifier(name)) continue;
    auto watcher = std::make_unique<QDBusPendingCallWatcher>(
        connection.asyncCall(activationPolicyRequest(name), kAnswerMilliseconds));
    if (!watcher->isFinished()) {
      ++unanswered;
      QObject::connect(watcher.get(), &QDBusPendingCallWatcher::finished, &loop, [&] {
        if (--unanswered == 0) loop.quit();
      });
    }
    questions.emplace_back(name, std::move(watcher));
  }
  if (unanswered > 0) {
    QTimer::singleShot(kAnswerMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
  }

  std::vector<NSRunningApplication> running;
  for (const auto& [name, watcher] : questions) {
    running.push_back({name.toStdString(), publishedPolicy(*watcher)});
  }
  return running;
}

}  // namespace platform::desktop
