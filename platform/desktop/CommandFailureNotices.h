#pragma once

#include <QObject>
#include <string>

#include "desktop/QtBusConnection.h"
#include "platform/SystemLog.h"

namespace platform::desktop {

// Tells the person why the menu command they chose failed, where it is something they can act
// on (no program for it, a file that is gone), as a desktop notification; the log keeps the
// detail. Outside a command (the settings app, a file manager's callbacks) it tells nobody.
class CommandFailureNotices {
 public:
  CommandFailureNotices(QtBusConnection bus, SystemLog& log);

  // The title of the menu command being carried out; empty once its work has run out.
  void setCommand(std::string title) { command_ = std::move(title); }
  const std::string& command() const { return command_; }

  // Shows `reason` under the current command's title.
  void tell(const std::string& reason) { tell(command_, reason); }
  // For work that ends after its command: the title it was started for.
  void tell(const std::string& command, const std::string& reason);

 private:
  QtBusConnection bus_;
  SystemLog& log_;
  std::string command_;
  // Parent of the notifications still waiting for an answer.
  QObject pending_;
};

}  // namespace platform::desktop
