#pragma once

#include <memory>

#include "platform/NSAlert.h"
#include "platform/Platform.h"
#include "platform/Responder.h"

namespace plovane {

// Now and then asks the user to rate the app: at most once a calendar day, never at the first
// use, never again once the user accepted. What it remembers is in the extension's own
// defaults, so it outlives the process.
class RatingPrompt {
 public:
  // The prompt's buttons send their actions to `buttonsTarget`, which hands them back to
  // accept() and decline().
  RatingPrompt(platform::Platform& platform, platform::Responder& buttonsTarget);
  // Its deferred check refers to it.
  RatingPrompt(const RatingPrompt&) = delete;
  RatingPrompt& operator=(const RatingPrompt&) = delete;

  // The check runs in a block of its own, after whatever scheduled it has returned, so the
  // prompt never comes between a command's own panels and alerts.
  void schedule();
  void accept();
  void decline();

  // The latest prompt, held for its buttons to end.
  const platform::NSAlert& prompt() const { return prompt_; }

 private:
  void check();
  void show();
  std::shared_ptr<platform::NSUserDefaults> ownDefaults();

  platform::Platform& platform_;
  platform::Responder& buttonsTarget_;
  platform::NSAlert prompt_;
};

}  // namespace plovane
