#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/NSDistributedNotificationCenter.h"
#include "platform/NSPasteboard.h"
#include "platform/NSSharingService.h"
#include "platform/RunLoop.h"
#include "platform/Scripting.h"
#include "sim/Transcript.h"

namespace platform::sim {

// One bus for every "process" of a test: each post reaches every matching observer, on the
// main queue of the loop the observer was added with.
class SimNotificationCenter final : public NSDistributedNotificationCenter {
 public:
  SimNotificationCenter(RunLoop& runLoop, Transcript& transcript)
      : runLoop_(runLoop), transcript_(transcript) {}

  void postNotificationName(const std::string& name, const std::string& object) override;
  void addObserver(const std::string& name, const std::string& object, Observer observer) override;

  struct Post {
    std::string name, object;
    double at;
    friend bool operator==(const Post&, const Post&) = default;
  };
  std::vector<Post> posts;

 private:
  struct Observation {
    std::string name, object;
    Observer observer;
  };
  RunLoop& runLoop_;
  Transcript& transcript_;
  std::vector<Observation> observations_;
};

class SimPasteboard final : public NSPasteboard {
 public:
  explicit SimPasteboard(Transcript& transcript) : transcript_(transcript) {}
  void declareTypes(const std::vector<std::string>& types) override;
  bool setString(const std::string& text, const std::string& type) override;
  std::optional<std::string> stringForType(const std::string& type) const override;
  // False plays a clipboard that refuses the text (one that cannot carry it).
  bool acceptsText = true;

 private:
  Transcript& transcript_;
  std::map<std::string, std::string> contents_;
};

// Scripts and key events leave a line; nothing here can be scripted or typed into, so only a
// delay runs (on the virtual clock) and every other script reports that it did not.
class SimAppleScript final : public NSAppleScript {
 public:
  SimAppleScript(Transcript& transcript, RunLoop& runLoop)
      : transcript_(transcript), runLoop_(runLoop) {}
  bool executeSource(const std::string& source) override;
  std::vector<std::string> sources;

 private:
  Transcript& transcript_;
  RunLoop& runLoop_;
};

// Mail is composed on paper: each request is recorded, and a test may make the next ones fail.
class SimComposeEmail final : public NSSharingService {
 public:
  explicit SimComposeEmail(Transcript& transcript) : transcript_(transcript) {}
  std::optional<std::string> performWithItems(const std::vector<NSURL>& items) override;
  std::vector<std::vector<NSURL>> composed;
  std::optional<std::string> failure;

 private:
  Transcript& transcript_;
};

class SimKeyboardEvents final : public KeyboardEvents {
 public:
  explicit SimKeyboardEvents(Transcript& transcript) : transcript_(transcript) {}
  void post(const CGKeyboardEvent& event) override;
  std::vector<CGKeyboardEvent> posted;

 private:
  Transcript& transcript_;
};

}  // namespace platform::sim
