#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Modals.h"
#include "platform/NSApplication.h"
#include "platform/NSSharingService.h"
#include "platform/NSUserDefaults.h"
#include "platform/RunLoop.h"
#include "platform/SystemLog.h"

namespace plovane::app {

// The app's side of "Send via Mail": the extension leaves the item's path and the moment of the
// click in the shared store; a hand-off younger than 20 seconds is taken (and removed), the user
// picks the file in a panel, and the mail client gets a new message with it attached.
//
// Started for a hand-off, the app is "mail-only": no main window, and it quits 20 seconds after
// the last message was handed over, or at once when the user cancels. It still hears the
// extension meanwhile, since the extension finds it running and only notifies it.
class MailAttachmentComposer {
 public:
  // What it works with: the hand-off's store, the clock and the quit's timer, the panel and
  // alert, the mail client, the log, and the application it quits.
  struct Services {
    platform::UserDefaultsRoot& defaults;
    platform::RunLoop& runLoop;
    platform::Modals& modals;
    platform::NSSharingService& composeEmail;
    platform::SystemLog& log;
    platform::NSApplication& application;
  };

  explicit MailAttachmentComposer(Services services) : services_(services) {}

  // The first step of the launch: true when a fresh hand-off took the launch over.
  bool takeOverLaunch();
  // "AttachFileToMail" from the extension. A request while the panel is open is taken up once
  // the panel has closed, never as a second panel on top.
  void attachFileToMail();
  bool isMailOnly() const { return mailOnly_; }
  // Leaves mail-only: the app goes on as if started normally, and no quit is pending.
  void endMailOnly();

 private:
  enum class Outcome { composed, notComposed };

  std::optional<std::string> takeFreshHandOff();
  Outcome chooseAndCompose(const std::string& path);
  void finishMailOnly(Outcome outcome);

  Services services_;
  bool mailOnly_ = false;
  bool panelOpen_ = false;
  bool requestWaiting_ = false;
  std::shared_ptr<platform::NSTimer> quit_;
};

}  // namespace plovane::app
