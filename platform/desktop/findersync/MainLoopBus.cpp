#include "desktop/findersync/MainLoopBus.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstring>
#include <ctime>
#include <utility>

namespace platform::desktop {

namespace {

std::chrono::microseconds monotonicNow() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::duration_cast<std::chrono::microseconds>(
                                                std::chrono::nanoseconds(now.tv_nsec));
}

}  // namespace

std::unique_ptr<MainLoopBus> MainLoopBus::connect(const std::string& address, std::string& why) {
  sd_bus* bus = nullptr;
  int result = 0;
  if (address.empty()) {
    result = sd_bus_open_user(&bus);
  } else if ((result = sd_bus_new(&bus)) >= 0 &&
             (result = sd_bus_set_address(bus, address.c_str())) >= 0 &&
             (result = sd_bus_set_bus_client(bus, 1)) >= 0) {
    result = sd_bus_start(bus);
  }
  if (result < 0) {
    why = std::strerror(-result);
    sd_bus_unref(bus);
    return nullptr;
  }
  return std::unique_ptr<MainLoopBus>(new MainLoopBus(bus));
}

MainLoopBus::MainLoopBus(sd_bus* bus)
    : bus_(bus),
      readable_(sd_bus_get_fd(bus), QSocketNotifier::Read),
      writable_(sd_bus_get_fd(bus), QSocketNotifier::Write) {
  writable_.setEnabled(false);
  deadline_.setSingleShot(true);
  deadline_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&readable_, &QSocketNotifier::activated, this, [this] { dispatch(); });
  QObject::connect(&writable_, &QSocketNotifier::activated, this, [this] { dispatch(); });
  QObject::connect(&deadline_, &QTimer::timeout, this, [this] { dispatch(); });
  // The handshake may have read more than its own answer.
  dispatch();
}

MainLoopBus::~MainLoopBus() {
  // What is queued to go (a last signal, a late reply) goes before the connection closes.
  sd_bus_flush_close_unref(bus_);
}

bool MainLoopBus::requestName(const char* name) {
  // A call the bus started this program for arrives while the name is being taken.
  const bool owned = sd_bus_request_name(bus_, name, 0) >= 0;
  settle();
  return owned;
}

void MainLoopBus::releaseName(const char* name) {
  sd_bus_release_name(bus_, name);
  settle();
}

void MainLoopBus::settle() {
  if (!dispatching_) watchForWhatIsNext();
}

void MainLoopBus::dispatch() {
  // A handler that waits in a nested loop must not have its own connection read under it; its
  // turn ends with the watch set again.
  if (dispatching_) {
    readable_.setEnabled(false);
    return;
  }
  dispatching_ = true;
  int result = 0;
  while ((result = sd_bus_process(bus_, nullptr)) > 0) {
  }
  dispatching_ = false;
  if (result < 0) {
    readable_.setEnabled(false);
    writable_.setEnabled(false);
    deadline_.stop();
    if (auto closed = std::exchange(closed_, nullptr)) closed();
    return;
  }
  watchForWhatIsNext();
}

void MainLoopBus::watchForWhatIsNext() {
  const int events = sd_bus_get_events(bus_);
  readable_.setEnabled(events >= 0);
  writable_.setEnabled(events > 0 && (events & POLLOUT) != 0);
  uint64_t due = 0;
  if (sd_bus_get_timeout(bus_, &due) <= 0 || due == UINT64_MAX) {
    deadline_.stop();
    return;
  }
  const auto left = std::chrono::microseconds(due) - monotonicNow();
  const auto milliseconds = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  deadline_.start(static_cast<int>(std::clamp<long long>(milliseconds, 0, INT_MAX)));
}

}  // namespace platform::desktop
