// The Extensions pane's window offscreen: a check box per file manager, named for it, that
// switches the menu there, and what it does when the store cannot keep the switch.
#include "host/integration/IntegrationWindow.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include "desktop/BusNames.h"
#include "support/FileTree.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace plovane::integration {
namespace {

namespace fs = std::filesystem;
namespace host_state = platform::protocol::host_state;
using platform::PlistArray;
using platform::PlistValue;

template <class Widget>
Widget* named(const QWidget& window, const QString& name) {
  for (auto* widget : window.findChildren<Widget*>()) {
    if (widget->accessibleName() == name) return widget;
  }
  return nullptr;
}

class IntegrationWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::qtApplication();
    ASSERT_EQ(switches.setOn(kStandInProgram, false), std::nullopt);
    window = std::make_unique<IntegrationWindow>(
        std::vector<FileManagerState>{
            {{"nautilus", "Files", home.path() / "libplovane-menu-nautilus.so"}, true, true},
            {{kStandInProgram, "Plovane Finder", std::nullopt}, false, false}},
        switches);
    window->show();
  }

  std::optional<PlistValue> stored() {
    return otherDefaults.standardUserDefaults(host_state::kDomain)
        ->objectForKey(host_state::kDisabledFileManagers);
  }

  testing::TemporaryFolder home;
  platform::UserDefaultsRoot defaults{home.path(), {}};
  platform::UserDefaultsRoot otherDefaults{home.path(), {}};
  MenuSwitches switches{defaults};
  std::unique_ptr<IntegrationWindow> window;
};

TEST_F(IntegrationWindowTest, EachFileManagerHasACheckBoxNamedForItThatSwitchesTheMenu) {
  auto* files = named<QCheckBox>(*window, "Show the menu in Files");
  auto* standIn = named<QCheckBox>(*window, "Show the menu in Plovane Finder");
  ASSERT_TRUE(files && standIn);
  EXPECT_TRUE(files->isChecked());
  EXPECT_FALSE(standIn->isChecked());
  EXPECT_TRUE(named<QLabel>(*window, "Files: module installed"));
  EXPECT_TRUE(named<QLabel>(*window, "Plovane Finder: not installed"));

  QTest::mouseClick(files, Qt::LeftButton);
  EXPECT_EQ(stored(), PlistValue(PlistArray{"nautilus", "plovane-finder"}));
  // A screen reader toggles the check box without clicking it.
  standIn->toggle();
  EXPECT_EQ(stored(), PlistValue(PlistArray{"nautilus"}));
}

TEST_F(IntegrationWindowTest, ASwitchTheStoreCannotKeepGoesBackAndAnAlertSaysWhy) {
  const fs::path lock = defaults.fileForDomain(host_state::kDomain).string() + ".lock";
  fs::remove(lock);
  testing::makeFolder(lock);
  auto* files = named<QCheckBox>(*window, "Show the menu in Files");
  ASSERT_TRUE(files);
  QTest::mouseClick(files, Qt::LeftButton);
  EXPECT_TRUE(files->isChecked());
  auto* alert = window->findChild<QMessageBox*>();
  ASSERT_TRUE(alert);
  EXPECT_TRUE(alert->isVisible());
  EXPECT_EQ(alert->text(), "The menu could not be switched off in Files.");
  EXPECT_TRUE(alert->informativeText().contains("not a regular file"))
      << alert->informativeText().toStdString();
  EXPECT_EQ(stored(), PlistValue(PlistArray{"plovane-finder"}));
}

}  // namespace
}  // namespace plovane::integration
