#include "desktop/display/DisplayHelper.h"

#include <sys/socket.h>

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>

namespace platform::desktop {

namespace {

// A helper told to go ends as soon as its event loop sees the socket close.
constexpr std::chrono::seconds kHelperEnds{2};

}  // namespace

DisplayHelper::DisplayHelper(std::vector<std::string> command, SystemLog& log)
    : command_(std::move(command)), log_(log) {
  idleCheck_.setSingleShot(true);
  idleCheck_.setInterval(0);
  QObject::connect(&idleCheck_, &QTimer::timeout, [this] { stopIfIdle(); });
}

DisplayHelper::~DisplayHelper() {
  lines_.reset();
  if (program_) {
    ::shutdown(program_->output(), SHUT_RDWR);
    program_->finish(kHelperEnds);
  }
}

void DisplayHelper::hangUp() {
  if (lines_) {
    // Called from the conversation's own handlers: it goes once they have returned.
    lines_->stop();
    QTimer::singleShot(0, [done = std::shared_ptr<JsonLines>(std::move(lines_))] {});
  }
  if (program_) ::shutdown(program_->output(), SHUT_RDWR);
}

int DisplayHelper::ask(QJsonObject request, Listener listener) {
  const int exchange = ++lastExchange_;
  open_[exchange] = std::move(listener);
  if (!running()) start();
  request["id"] = exchange;
  if (!lines_ || !lines_->send(request)) ended("it does not take requests");
  return exchange;
}

void DisplayHelper::reply(int exchange, QJsonObject message) {
  message["id"] = exchange;
  if (lines_) lines_->send(message);
}

void DisplayHelper::waitFor(int exchange) {
  if (!open_.contains(exchange)) return;
  QEventLoop loop;
  waiting_[exchange] = &loop;
  loop.exec();
  waiting_.erase(exchange);
  // The program quits meanwhile: the exchange's listener may refer to the caller's frame.
  open_.erase(exchange);
}

void DisplayHelper::close(int exchange) {
  open_.erase(exchange);
  if (const auto waiting = waiting_.find(exchange); waiting != waiting_.end()) {
    waiting->second->quit();
  }
}

void DisplayHelper::setHoldsClipboard(bool holds) {
  holdsClipboard_ = holds;
  idleCheck_.start();
}

void DisplayHelper::start() {
  program_ = std::make_unique<ChildProgram>(command_, ChildProgram::Output::conversation);
  if (!program_->started()) {
    log_.log("cannot show dialogs or copy: " + program_->failure());
    program_.reset();
    return;
  }
  const int socket = program_->output();
  lines_ = std::make_unique<JsonLines>(
      socket, socket,
      JsonLines::Handlers{[this](const QJsonObject& message) { received(message); },
                          [this] { ended("it ended"); }});
}

void DisplayHelper::received(const QJsonObject& message) {
  if (message.contains("clipboardLost")) return setHoldsClipboard(false);
  const int exchange = message["id"].toInt();
  const auto open = open_.find(exchange);
  if (open == open_.end()) return;
  // A copy: the listener may run a nested dialog, whose exchanges change the map.
  const Listener listener = open->second;
  if (listener(message)) {
    close(exchange);
    idleCheck_.start();
  }
}

void DisplayHelper::ended(const std::string& why) {
  if (!open_.empty()) log_.log("the dialogs' helper left its dialogs unanswered: " + why);
  hangUp();
  program_.reset();
  holdsClipboard_ = false;
  // Each listener may start another exchange; those begin with a new helper.
  auto open = std::move(open_);
  open_.clear();
  for (auto& [exchange, listener] : open) {
    listener(QJsonObject{{"gone", true}});
    close(exchange);
  }
}

void DisplayHelper::stopIfIdle() {
  if (!running() || !open_.empty() || holdsClipboard_) return;
  hangUp();
  // Reaped once it has ended, without holding up the menus meanwhile.
  const int end = program_->endHandle();
  if (end < 0) {
    program_->finish(kHelperEnds);
    program_.reset();
    return;
  }
  auto leaving = std::make_shared<std::unique_ptr<ChildProgram>>(std::move(program_));
  auto* ended = new QSocketNotifier(end, QSocketNotifier::Read);
  QObject::connect(ended, &QSocketNotifier::activated, ended, [ended, leaving] {
    ended->setEnabled(false);
    leaving->reset();
    ended->deleteLater();
  });
}

}  // namespace platform::desktop
