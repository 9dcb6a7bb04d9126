#pragma once

#include <filesystem>

#include "platform/Platform.h"
#include "scripted/AnsweredModals.h"
#include "sim/SimFinderSyncController.h"
#include "sim/SimRunLoop.h"
#include "sim/SimServices.h"
#include "sim/SimWindowServer.h"
#include "sim/SimWorkspace.h"
#include "sim/Transcript.h"

namespace platform::sim {

// The sim's modals are the scripted ones: what its programs and tests answer them with.
using scripted::ModalAnswer;
using scripted::UnexpectedModal;

// Every sim service of one program, around a real store and real file system, wired into one
// Platform. Several of them may share a notification center to play several processes.
class SimPlatform {
 public:
  SimPlatform(UserDefaultsRoot& defaults, SystemLog& log, const NSBundle& bundle,
              std::filesystem::path applicationsFolder, NSCalendar calendar = NSCalendar(0),
              PlistDate start = {});

  Transcript transcript;
  SimRunLoop runLoop;
  SimFinderSyncController finderSyncController;
  SimWorkspace workspace{transcript};
  scripted::AnsweredModals modals{transcript.lines, runLoop};
  SimNotificationCenter notificationCenter{runLoop, transcript};
  SimPasteboard pasteboard{transcript};
  NSFileManager fileManager;
  NSCalendar calendar;
  SimAppleScript appleScript{transcript, runLoop};
  SimKeyboardEvents keyboardEvents{transcript};
  SimWindowServer windowServer{transcript};
  SimComposeEmail composeEmail{transcript};
  Platform platform;
};

}  // namespace platform::sim
