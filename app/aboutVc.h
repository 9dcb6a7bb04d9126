#pragma once

#include <string>

#include "platform/NSBundle.h"
#include "platform/NSControl.h"
#include "platform/NSViewController.h"
#include "platform/NSWorkspace.h"
#include "platform/SystemLog.h"

namespace plovane::app {

// The About tab: the version, the maker's web and social pages, and the app's store page.
class aboutVc final : public platform::NSViewController, public platform::ActionTarget {
 public:
  // What it works with: the version's source, what opens the pages, and where it says so.
  struct Services {
    const platform::NSBundle& mainBundle;
    platform::NSWorkspace& workspace;
    platform::SystemLog& log;
  };

  explicit aboutVc(Services services) : services_(services) {}

  platform::NSTextField* lblAppversion = nullptr;

  void viewDidLoad() override;
  bool performAction(const std::string& selector, platform::NSControl& sender) override;

  void btnweb(platform::NSControl& sender);
  void btnfacebook(platform::NSControl& sender);
  void btntwitter(platform::NSControl& sender);
  void btnRateusClciked(platform::NSControl& sender);

 private:
  void openInBrowser(const std::string& target);

  Services services_;
};

// Whether the text forms a URL: a scheme, a colon and something after it, no white space.
bool formsURL(const std::string& text);

}  // namespace plovane::app
