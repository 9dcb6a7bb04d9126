#pragma once

#include <memory>

#include "platform/Modals.h"
#include "platform/NSAlert.h"
#include "platform/NSBundle.h"
#include "platform/NSCalendar.h"
#include "platform/NSUserDefaults.h"
#include "platform/NSWorkspace.h"
#include "platform/Responder.h"
#include "platform/RunLoop.h"

namespace plovane {

// Now and then asks the user to rate the app: at most once a calendar day, never at the first
// use, never again once the user accepted. What it remembers is in the extension's own
// defaults, so it outlives the process.
class RatingPrompt {
 public:
  // What it works with: when, where it remembers, whose prompt, and what a rating opens.
  struct Services {
    platform::RunLoop& runLoop;
    platform::UserDefaultsRoot& defaults;
    const platform::NSBundle& mainBundle;
    const platform::NSCalendar& calendar;
    platform::Modals& modals;
    platform::NSWorkspace& workspace;
  };

  // The prompt's buttons send their actions to `buttonsTarget`, which hands them back to
  // accept() and decline().
  RatingPrompt(Services services, platform::Responder& buttonsTarget);
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

  Services services_;
  platform::Responder& buttonsTarget_;
  platform::NSAlert prompt_;
};

}  // namespace plovane
