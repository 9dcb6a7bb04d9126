// The extension's side of its display helper: what crosses to the helper, an alert whose buttons
// run their actions in the extension, and a helper that goes before it answers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "desktop/display/DisplayHelper.h"
#include "desktop/display/DisplayMessages.h"
#include "desktop/display/HelperModals.h"
#include "sim/RecordingSystemLog.h"
#include "support/QtApplication.h"

namespace platform::desktop {
namespace {

TEST(DisplayMessagesTest, APanelCrossesWhole) {
  NSOpenPanel asked;
  asked.title = "Select Folder";
  asked.prompt = "Add";
  asked.directoryURL = NSURL::fileURLWithPath("/home/u/Caf\xe9 %20 folder");
  asked.allowedFileTypes = std::vector<std::string>{"png", "jpg"};
  asked.showsHiddenFiles = true;
  asked.canChooseFiles = false;
  asked.canChooseDirectories = true;
  asked.allowsMultipleSelection = true;

  NSOpenPanel shown;
  display::setUp(shown, display::describe(asked));
  EXPECT_EQ(shown.title, asked.title);
  EXPECT_EQ(shown.prompt, asked.prompt);
  EXPECT_EQ(shown.directoryURL->path(), asked.directoryURL->path());
  EXPECT_EQ(shown.allowedFileTypes, asked.allowedFileTypes);
  EXPECT_TRUE(shown.showsHiddenFiles);
  EXPECT_FALSE(shown.canChooseFiles);
  EXPECT_TRUE(shown.canChooseDirectories && shown.allowsMultipleSelection);

  // What the person chose comes back byte for byte, names that are not UTF-8 too.
  shown.URLs = {NSURL::fileURLWithPath("/home/u/a\nb"), NSURL::fileURLWithPath("/x/\xff")};
  display::takeChoice(asked, display::choiceOf(shown));
  ASSERT_EQ(asked.URLs.size(), 2u);
  EXPECT_EQ(asked.URLs[0].path(), "/home/u/a\nb");
  EXPECT_EQ(asked.URLs[1].path(), "/x/\xff");
}

// Stands in for the helper: presses each button in turn until the extension ends the alert.
constexpr char kPressingEachButton[] = R"(
import json, sys
def send(message):
    sys.stdout.write(json.dumps(message) + "\n"); sys.stdout.flush()
alert = json.loads(sys.stdin.readline())
for index in range(len(alert["buttons"])):
    send({"id": alert["id"], "pressed": index})
    if json.loads(sys.stdin.readline())["ended"]:
        send({"id": alert["id"], "response": 1000 + index})
        break
sys.stdin.readline()
)";

class Actions final : public Responder {
 public:
  explicit Actions(NSAlert& alert) : alert_(alert) {}
  bool performSelector(const std::string& selector, const NSMenuItem*) override {
    sent.push_back(selector);
    if (selector == "later") alert_.window().orderOut();
    return true;
  }
  std::vector<std::string> sent;

 private:
  NSAlert& alert_;
};

TEST(HelperModalsTest, AButtonsActionRunsHereAndTheAlertStaysUntilAnActionEndsIt) {
  plovane::testing::qtApplication();
  sim::RecordingSystemLog log;
  DisplayHelper helper({PLOVANE_PYTHON3, "-c", kPressingEachButton}, log);
  HelperModals modals(helper);
  NSAlert alert;
  Actions actions(alert);
  for (const char* action : {"rate", "later"}) {
    auto& button = alert.addButtonWithTitle(action);
    button.target = &actions;
    button.action = action;
  }
  EXPECT_EQ(modals.runModal(alert), NSAlertFirstButtonReturn + 1);
  EXPECT_EQ(actions.sent, (std::vector<std::string>{"rate", "later"}));
  EXPECT_FALSE(alert.window().isVisible());
}

TEST(HelperModalsTest, AHelperThatGoesUnansweredChoosesNothingAndSaysSo) {
  plovane::testing::qtApplication();
  sim::RecordingSystemLog log;
  DisplayHelper helper({PLOVANE_PYTHON3, "-c", "import sys; sys.stdin.readline()"}, log);
  HelperModals modals(helper);
  NSAlert alert;
  EXPECT_EQ(modals.runModal(alert), NSModalResponseCancel);
  EXPECT_FALSE(helper.running());
  ASSERT_FALSE(log.logLines.empty());
  EXPECT_NE(log.logLines.back().find("left its dialogs unanswered"), std::string::npos);
}

}  // namespace
}  // namespace platform::desktop
