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
  // accept() and decline(); `prompt` holds the alert on screen for them to end.
  RatingPrompt(platform::Platform& platform, platform::Responder& buttonsTarget,
               platform::NSAlert& prompt);

  // The check runs in a block of its own, after whatever scheduled it has returned, so the
  // prompt never comes between a command's own panels and alerts.
  void schedule();
  void accept();
  void decline();

 private:
  void check();
  void show();
  std::shared_ptr<platform::NSUserDefaults> ownDefaults();

  platform::Platform& platform_;
  platform::Responder& buttonsTarget_;
  platform::NSAlert& prompt_;
};

}  // namespace plovane
