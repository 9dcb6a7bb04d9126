#include "app/aboutVc.h"

#include <algorithm>
#include <cctype>

#include "platform/SelectorTable.h"

namespace plovane::app {

namespace {

constexpr char kWebSite[] = "https://www.quenlow.com/";
constexpr char kFacebookPage[] = "https://www.facebook.com/quenlow";
constexpr char kTwitterPage[] = "https://twitter.com/quenlow";
constexpr char kStorePage[] = "macappstore://apps.apple.com/app/plovane-menu/id1480917320";

using Methods = platform::SelectorTable<aboutVc, platform::NSControl&>;

const Methods& exportedMethods() {
  static const Methods methods = {
      {"btnweb:", [](aboutVc& self, platform::NSControl& sender) { self.btnweb(sender); }},
      {"btnfacebook:",
       [](aboutVc& self, platform::NSControl& sender) { self.btnfacebook(sender); }},
      {"btntwitter:", [](aboutVc& self, platform::NSControl& sender) { self.btntwitter(sender); }},
      {"btnRateusClciked:",
       [](aboutVc& self, platform::NSControl& sender) { self.btnRateusClciked(sender); }},
  };
  return methods;
}

}  // namespace

bool formsURL(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon == 0 || colon + 1 == text.size()) return false;
  if (!std::isalpha(static_cast<unsigned char>(text.front()))) return false;
  const bool schemeValid = std::all_of(text.begin(), text.begin() + colon, [](unsigned char c) {
    return std::isalnum(c) || c == '+' || c == '-' || c == '.';
  });
  const bool noSpace = std::none_of(text.begin(), text.end(),
                                    [](unsigned char c) { return std::isspace(c) || c < 0x20; });
  return schemeValid && noSpace;
}

void aboutVc::viewDidLoad() {
  if (auto version =
          services_.mainBundle.objectForInfoDictionaryKey("CFBundleShortVersionString")) {
    lblAppversion->setStringValue("Version " + *version);
  }
}

bool aboutVc::performAction(const std::string& selector, platform::NSControl& sender) {
  return exportedMethods().perform(*this, selector, sender);
}

void aboutVc::btnweb(platform::NSControl&) { openInBrowser(kWebSite); }

void aboutVc::btnfacebook(platform::NSControl&) { openInBrowser(kFacebookPage); }

void aboutVc::btntwitter(platform::NSControl&) { openInBrowser(kTwitterPage); }

void aboutVc::btnRateusClciked(platform::NSControl&) {
  services_.workspace.openURLString(kStorePage);
}

void aboutVc::openInBrowser(const std::string& target) {
  if (!formsURL(target)) return;
  if (services_.workspace.openURLString(target)) {
    services_.log.standardOutput("default browser was successfully opened");
  }
}

}  // namespace plovane::app
