#pragma once

#include <systemd/sd-bus.h>

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

namespace platform::desktop {

// A bus connection read and written on the run loop of the thread that made it, with no thread
// of its own: a call is read, answered and its reply written in one turn of that loop, with no
// hand-over between threads. Every use must come from that thread.
class MainLoopBus final : public QObject {
  Q_OBJECT

 public:
  // Connects to the bus at `address`, or to the session bus when it is empty; null, with the
  // reason in `why`, when none answers.
  static std::unique_ptr<MainLoopBus> connect(const std::string& address, std::string& why);
  ~MainLoopBus() override;

  sd_bus* get() const { return bus_; }
  // False when another connection owns `name`.
  bool requestName(const char* name);
  void releaseName(const char* name);
  // After a use between turns (a signal, a late reply, a call of its own): what the socket did
  // not take is written when it can be, and what a call read meanwhile is answered.
  void settle();
  // Told once when the bus closes the connection.
  void setClosedHandler(std::function<void()> handler) { closed_ = std::move(handler); }

 private:
  explicit MainLoopBus(sd_bus* bus);
  void dispatch();
  void watchForWhatIsNext();

  sd_bus* bus_;
  QSocketNotifier readable_;
  QSocketNotifier writable_;
  QTimer deadline_;
  bool dispatching_ = false;
  std::function<void()> closed_;
};

}  // namespace platform::desktop
