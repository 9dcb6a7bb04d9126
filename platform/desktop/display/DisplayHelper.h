#pragma once

#include <QEventLoop>
#include <QJsonObject>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "desktop/ProgramLauncher.h"
#include "desktop/display/JsonLines.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// The program that draws the extension's dialogs and holds what it copies. Those need Qt's GUI
// libraries, which the extension does not load, so that it answers a file manager sooner: the
// helper starts at the first dialog or copy, and stays while it shows one or holds the
// clipboard. Its messages are DisplayMessages'.
class DisplayHelper {
 public:
  // Hears each message of one exchange; true once it was the answer that ends it. A helper that
  // went before answering is heard as {"gone": true}.
  using Listener = std::function<bool(const QJsonObject&)>;

  DisplayHelper(std::vector<std::string> command, SystemLog& log);
  ~DisplayHelper();
  DisplayHelper(const DisplayHelper&) = delete;
  DisplayHelper& operator=(const DisplayHelper&) = delete;

  bool running() const { return program_ != nullptr; }
  // A dialog (or another request) waits for its answer.
  bool asking() const { return !open_.empty(); }
  bool holdsClipboard() const { return holdsClipboard_; }

  // Sends `request`, starting the helper if it does not run, and returns the exchange's id.
  // When the helper cannot be started, `listener` hears that it is gone.
  int ask(QJsonObject request, Listener listener);
  void reply(int exchange, QJsonObject message);
  // Runs an event loop until the exchange is over, as a dialog's exec() would; a program that
  // quits meanwhile ends the wait, and the exchange.
  void waitFor(int exchange);
  // Whether the helper holds text copied for the extension: it stays until another program
  // takes the clipboard.
  void setHoldsClipboard(bool holds);

 private:
  void start();
  void received(const QJsonObject& message);
  void ended(const std::string& why);
  void stopIfIdle();
  // The exchange is over: its wait, if any, ends.
  void close(int exchange);
  // Ends the conversation; the helper, if it runs, sees its socket close.
  void hangUp();

  std::vector<std::string> command_;
  SystemLog& log_;
  std::unique_ptr<ChildProgram> program_;
  std::unique_ptr<JsonLines> lines_;
  std::map<int, Listener> open_;
  std::map<int, QEventLoop*> waiting_;
  int lastExchange_ = 0;
  bool holdsClipboard_ = false;
  // Stops an idle helper from the event loop, so that the next request of the same command (a
  // copy after clearing the clipboard) finds it still there.
  QTimer idleCheck_;
};

}  // namespace platform::desktop
