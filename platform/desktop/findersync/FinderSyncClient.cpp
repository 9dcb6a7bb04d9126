#include "desktop/findersync/FinderSyncClient.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QEventLoop>
#include <QTimer>

namespace platform::desktop {

namespace {

// Paths cross as bytes: a Linux file name need not be UTF-8, and the bus's strings must be.
QList<QByteArray> paths(const std::vector<NSURL>& urls) {
  QList<QByteArray> list;
  for (const auto& url : urls) list << QByteArray::fromStdString(url.path());
  return list;
}

QDBusMessage callOf(const protocol::Method& method) {
  return QDBusMessage::createMethodCall(protocol::kService, protocol::kPath, protocol::kInterface,
                                        method.name);
}

std::string why(const QDBusError& error) {
  return "the extension did not answer: " + error.message().toStdString();
}

}  // namespace

FinderSyncClient::FinderSyncClient(QDBusConnection connection) : bus_(std::move(connection)) {
  qDBusRegisterMetaType<QList<QByteArray>>();
  // Matched by path and interface, not by the service's name: Qt filters a named sender through
  // the owner it last heard of, and this process may not have heard yet of the extension the
  // bus has just started, which would drop its first report.
  bus_.connect(QString(), protocol::kPath, protocol::kInterface, protocol::kActionFinished.name,
               this, SLOT(onActionFinished(uint, QStringList, QString, uint)));
}

std::optional<std::string> FinderSyncClient::start() {
  const QDBusReply<void> started = bus_.interface()->startService(protocol::kService);
  if (!started.isValid() && !bus_.interface()->isServiceRegistered(protocol::kService)) {
    return "the extension could not be started: " + started.error().message().toStdString();
  }
  return std::nullopt;
}

std::variant<TransportedMenu, std::string> FinderSyncClient::menu(
    FIMenuKind kind, const std::vector<NSURL>& selection) {
  auto call = callOf(protocol::kMenu);
  call << static_cast<int>(kind) << QVariant::fromValue(paths(selection));
  const QDBusReply<QString> reply = bus_.call(call);
  if (!reply.isValid()) return why(reply.error());
  auto menu = decodeMenu(reply.value().toUtf8());
  if (!menu) return std::string("the extension sent a menu this stand-in cannot read");
  return std::move(*menu);
}

std::optional<std::string> FinderSyncClient::answerModals(const std::vector<std::string>& answers) {
  QList<QByteArray> list;
  for (const auto& answer : answers) list << QByteArray::fromStdString(answer);
  auto call = callOf(protocol::kAnswerModals);
  call << QVariant::fromValue(list);
  const QDBusReply<void> reply = bus_.call(call);
  if (!reply.isValid()) return why(reply.error());
  return std::nullopt;
}

std::variant<unsigned, std::string> FinderSyncClient::perform(const NSMenuItem& entry,
                                                              const std::vector<NSURL>& selection) {
  auto call = callOf(protocol::kPerform);
  call << QString::fromStdString(entry.action) << static_cast<qlonglong>(entry.tag)
       << QString::fromStdString(entry.title) << QVariant::fromValue(paths(selection));
  // A command may keep the extension busy for a while (it waits for the settings app to start).
  const QDBusReply<uint> reply = bus_.call(call, QDBus::Block, 60'000);
  if (!reply.isValid()) return why(reply.error());
  return reply.value();
}

std::variant<ActionOutcome, std::string> FinderSyncClient::performAndWait(
    const NSMenuItem& entry, const std::vector<NSURL>& selection, int timeoutMilliseconds) {
  std::optional<ActionOutcome> outcome;
  std::optional<unsigned> awaited;
  QEventLoop loop;
  // A blocking call dispatches no signals, so the report is read only once the number is known.
  const auto connection = QObject::connect(this, &FinderSyncClient::actionFinished, &loop,
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

void FinderSyncClient::beginObserving(const NSURL& folder) {
  tell(protocol::kBeginObserving, folder);
}

void FinderSyncClient::endObserving(const NSURL& folder) { tell(protocol::kEndObserving, folder); }

void FinderSyncClient::requestBadge(const NSURL& item) { tell(protocol::kRequestBadge, item); }

void FinderSyncClient::tell(const protocol::Method& method, const NSURL& url) {
  auto call = callOf(method);
  call << QByteArray::fromStdString(url.path());
  bus_.send(call);
}

void FinderSyncClient::onActionFinished(uint action, const QStringList& modals,
                                        const QString& failure, uint answersLeft) {
  ActionOutcome outcome;
  for (const auto& modal : modals) outcome.modals.push_back(modal.toStdString());
  outcome.failure = failure.toStdString();
  outcome.answersLeft = answersLeft;
  emit actionFinished(action, outcome);
}

}  // namespace platform::desktop
