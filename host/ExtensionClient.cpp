#include "host/ExtensionClient.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QEventLoop>
#include <QTimer>

#include "desktop/BusNames.h"

namespace plovane::host {

namespace bus = platform::desktop::bus;

namespace {

// Paths cross as bytes: a Linux file name need not be UTF-8, and the bus's strings must be.
QList<QByteArray> paths(const std::vector<platform::NSURL>& urls) {
  QList<QByteArray> list;
  for (const auto& url : urls) list << QByteArray::fromStdString(url.path());
  return list;
}

QDBusMessage callOf(const char* method) {
  return QDBusMessage::createMethodCall(bus::kExtensionService, bus::kExtensionPath,
                                        bus::kFinderSyncInterface, method);
}

std::string why(const QDBusError& error) {
  return "the extension did not answer: " + error.message().toStdString();
}

}  // namespace

ExtensionClient::ExtensionClient(QDBusConnection connection) : bus_(std::move(connection)) {
  qDBusRegisterMetaType<QList<QByteArray>>();
  // Matched by path and interface, not by the service's name: Qt filters a named sender through
  // the owner it last heard of, and this process may not have heard yet of the extension the
  // bus has just started, which would drop its first report.
  bus_.connect(QString(), bus::kExtensionPath, bus::kFinderSyncInterface, "ActionFinished", this,
               SLOT(onActionFinished(uint, QStringList, QString, uint)));
}

std::optional<std::string> ExtensionClient::start() {
  const QDBusReply<void> started = bus_.interface()->startService(bus::kExtensionService);
  if (!started.isValid() && !bus_.interface()->isServiceRegistered(bus::kExtensionService)) {
    return "the extension could not be started: " + started.error().message().toStdString();
  }
  return std::nullopt;
}

std::variant<platform::desktop::TransportedMenu, std::string> ExtensionClient::menu(
    platform::FIMenuKind kind, const std::vector<platform::NSURL>& selection) {
  auto call = callOf("Menu");
  call << static_cast<int>(kind) << QVariant::fromValue(paths(selection));
  const QDBusReply<QString> reply = bus_.call(call);
  if (!reply.isValid()) return why(reply.error());
  auto menu = platform::desktop::decodeMenu(reply.value().toUtf8());
  if (!menu) return std::string("the extension sent a menu this stand-in cannot read");
  return std::move(*menu);
}

std::optional<std::string> ExtensionClient::answerModals(const std::vector<std::string>& answers) {
  QList<QByteArray> list;
  for (const auto& answer : answers) list << QByteArray::fromStdString(answer);
  auto call = callOf("AnswerModals");
  call << QVariant::fromValue(list);
  const QDBusReply<void> reply = bus_.call(call);
  if (!reply.isValid()) return why(reply.error());
  return std::nullopt;
}

std::variant<unsigned, std::string> ExtensionClient::perform(
    const platform::NSMenuItem& entry, const std::vector<platform::NSURL>& selection) {
  auto call = callOf("Perform");
  call << QString::fromStdString(entry.action) << static_cast<qlonglong>(entry.tag)
       << QString::fromStdString(entry.title) << QVariant::fromValue(paths(selection));
  // A command may keep the extension busy for a while (it waits for the settings app to start).
  const QDBusReply<uint> reply = bus_.call(call, QDBus::Block, 60'000);
  if (!reply.isValid()) return why(reply.error());
  return reply.value();
}

std::variant<ActionOutcome, std::string> ExtensionClient::performAndWait(
    const platform::NSMenuItem& entry, const std::vector<platform::NSURL>& selection,
    int timeoutMilliseconds) {
  std::optional<ActionOutcome> outcome;
  std::optional<unsigned> awaited;
  QEventLoop loop;
  // A blocking call dispatches no signals, so the report is read only once the number is known.
  const auto connection = QObject::connect(this, &ExtensionClient::actionFinished, &loop,
                                           [&](unsigned action, const ActionOutcome& finished) {
                                             if (awaited && action == *awaited) {
                                               outcome = finished;
                                               loop.quit();
                                             }
                                           });
  auto sent = perform(entry, selection);
  if (auto* failure = std::get_if<std::string>(&sent)) {
    QObject::disconnect(connection);
    return *failure;
  }
  awaited = std::get<unsigned>(sent);
  if (!outcome) {
    QTimer::singleShot(timeoutMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
  }
  QObject::disconnect(connection);
  if (!outcome) return std::string("the extension did not finish the command in time");
  return *outcome;
}

void ExtensionClient::beginObserving(const platform::NSURL& folder) {
  tell("BeginObserving", folder);
}

void ExtensionClient::endObserving(const platform::NSURL& folder) { tell("EndObserving", folder); }

void ExtensionClient::requestBadge(const platform::NSURL& item) { tell("RequestBadge", item); }

void ExtensionClient::tell(const char* method, const platform::NSURL& url) {
  auto call = callOf(method);
  call << QByteArray::fromStdString(url.path());
  bus_.send(call);
}

void ExtensionClient::onActionFinished(uint action, const QStringList& modals,
                                       const QString& failure, uint answersLeft) {
  ActionOutcome outcome;
  for (const auto& modal : modals) outcome.modals.push_back(modal.toStdString());
  outcome.failure = failure.toStdString();
  outcome.answersLeft = answersLeft;
  emit actionFinished(action, outcome);
}

}  // namespace plovane::host
