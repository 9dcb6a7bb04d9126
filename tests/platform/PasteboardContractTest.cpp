// One body for every pasteboard: what a program reads back of the text it put on the pasteboard,
// in the sim, through Qt's clipboard, and through the extension's display helper.
#include <gtest/gtest.h>

#include <QClipboard>
#include <memory>

#include <QApplication>
#include <string>

#include "desktop/DesktopPasteboard.h"
#include "desktop/display/DisplayHelper.h"
#include "desktop/display/HelperPasteboard.h"
#include "sim/RecordingSystemLog.h"
#include "sim/SimServices.h"

#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace platform {
namespace {

class PasteboardContractTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "Desktop") {
      pasteboard = std::make_unique<desktop::DesktopPasteboard>(
          *plovane::testing::qtApplication().clipboard());
    } else if (GetParam() == "Helper") {
      plovane::testing::qtApplication();
      pasteboard = std::make_unique<desktop::HelperPasteboard>(helper);
    } else {
      pasteboard = std::make_unique<sim::SimPasteboard>(transcript);
    }
  }
  sim::Transcript transcript;
  sim::RecordingSystemLog log;
  desktop::DisplayHelper helper{{PLOVANE_DISPLAY_HELPER}, log};
  std::unique_ptr<NSPasteboard> pasteboard;
};

TEST_P(PasteboardContractTest, TextReadsBackUntilTheNextDeclaration) {
  const std::string path = "/Users/Ünï/a 'quoted' \"name\"\nwith a line break";
  pasteboard->declareTypes({NSPasteboardTypeString});
  EXPECT_TRUE(pasteboard->setString(path, NSPasteboardTypeString));
  EXPECT_EQ(pasteboard->stringForType(NSPasteboardTypeString), path);
  EXPECT_EQ(pasteboard->stringForType("public.png"), std::nullopt);

  pasteboard->declareTypes({NSPasteboardTypeString});
  EXPECT_EQ(pasteboard->stringForType(NSPasteboardTypeString), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Backends, PasteboardContractTest,
                         ::testing::Values("Sim", "Desktop", "Helper"),
                         [](const auto& backend) { return backend.param; });

TEST(DesktopPasteboardTest, TakesTextOnlyAndLeavesTheClipboardAsItWas) {
  QClipboard& clipboard = *plovane::testing::qtApplication().clipboard();
  desktop::DesktopPasteboard pasteboard(clipboard);
  clipboard.setText("kept");
  EXPECT_FALSE(pasteboard.setString("\x89PNG", "public.png"));
  EXPECT_EQ(clipboard.text(), "kept");
  // A path that is not UTF-8 has no text form; it is refused, not mangled.
  EXPECT_FALSE(pasteboard.setString("/home/u/Caf\xe9", NSPasteboardTypeString));
}

}  // namespace
}  // namespace platform
