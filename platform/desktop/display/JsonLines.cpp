#include "desktop/display/JsonLines.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QJsonDocument>
#include <cerrno>

namespace platform::desktop {

namespace {

// A dialog's or a path's description, far beyond any this system sends.
constexpr qsizetype kLongestLine = 1 << 20;

}  // namespace

JsonLines::JsonLines(int readFrom, int writeTo, Handlers handlers)
    : readFrom_(readFrom),
      writeTo_(writeTo),
      handlers_(std::move(handlers)),
      readable_(readFrom, QSocketNotifier::Read) {
  QObject::connect(&readable_, &QSocketNotifier::activated, [this] { readAvailable(); });
}

bool JsonLines::send(const QJsonObject& message) {
  if (!open_) return false;
  QByteArray line = QJsonDocument(message).toJson(QJsonDocument::Compact);
  line.append('\n');
  qsizetype written = 0;
  while (written < line.size()) {
    const auto sent = ::send(writeTo_, line.constData() + written,
                             static_cast<std::size_t>(line.size() - written), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    written += sent;
  }
  return true;
}

void JsonLines::readAvailable() {
  char buffer[4096];
  const auto got = ::recv(readFrom_, buffer, sizeof buffer, MSG_DONTWAIT);
  if (got < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (got <= 0) return close();
  unfinished_.append(buffer, got);
  for (qsizetype end = unfinished_.indexOf('\n'); end >= 0; end = unfinished_.indexOf('\n')) {
    const QByteArray line = unfinished_.left(end);
    unfinished_.remove(0, end + 1);
    const auto document = QJsonDocument::fromJson(line);
    if (!document.isObject()) return close();
    // A handler may run a nested event loop that reads further lines itself.
    handlers_.received(document.object());
    if (!open_) return;
  }
  if (unfinished_.size() > kLongestLine) close();
}

void JsonLines::stop() {
  open_ = false;
  readable_.setEnabled(false);
}

void JsonLines::close() {
  if (!open_) return;
  open_ = false;
  readable_.setEnabled(false);
  if (handlers_.closed) handlers_.closed();
}

}  // namespace platform::desktop
