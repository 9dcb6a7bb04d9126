#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QSocketNotifier>
#include <functional>

namespace platform::desktop {

// One JSON object a line over a stream socket: how the extension and its display helper talk.
// What arrives is handed on one object at a time from the Qt event loop; a line that is not an
// object, or the other end closing, ends the conversation. Its owner deletes it only
// from the event loop, after stop(): never from within a handler.
class JsonLines {
 public:
  struct Handlers {
    std::function<void(const QJsonObject&)> received;
    std::function<void()> closed;
  };

  // Reads `readFrom` and writes `writeTo` (one socket, or two descriptors of it); neither is
  // closed here.
  JsonLines(int readFrom, int writeTo, Handlers handlers);
  JsonLines(const JsonLines&) = delete;
  JsonLines& operator=(const JsonLines&) = delete;

  // False when the other end is gone.
  bool send(const QJsonObject& message);
  // Hears nothing more and tells no handler.
  void stop();

 private:
  void readAvailable();
  void close();

  int readFrom_;
  int writeTo_;
  Handlers handlers_;
  QSocketNotifier readable_;
  QByteArray unfinished_;
  bool open_ = true;
};

}  // namespace platform::desktop
