#pragma once

#include <gio/gio.h>

#include <atomic>
#include <string>
#include <thread>

namespace plovane::testing {

// Another process of the same user that took the extension's bus name: it answers every `Menu`
// with `reply`, whatever that is. It serves on a thread and a connection of its own.
class RogueExtension {
 public:
  // Each answer goes `delayMilliseconds` after the call came.
  RogueExtension(const std::string& busAddress, std::string reply, guint delayMilliseconds = 0);
  ~RogueExtension();
  RogueExtension(const RogueExtension&) = delete;
  RogueExtension& operator=(const RogueExtension&) = delete;

  // False when it could not take the name.
  bool ownsName() const { return ownsName_; }
  std::size_t menusAsked() const { return menusAsked_; }

 private:
  void serve(const std::string& busAddress);
  static void answer(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                     const gchar* method, GVariant*, GDBusMethodInvocation* invocation,
                     gpointer self);

  std::string reply_;
  guint delayMilliseconds_;
  GMainContext* context_ = g_main_context_new();
  GMainLoop* loop_ = g_main_loop_new(context_, FALSE);
  std::atomic<bool> ready_ = false;
  bool ownsName_ = false;
  std::atomic<std::size_t> menusAsked_ = 0;
  std::thread thread_;
};

}  // namespace plovane::testing
