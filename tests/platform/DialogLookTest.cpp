// How alerts and panels look on the offscreen platform: titles, window kind, size, icons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <string>
#include <vector>

#include "desktop/AlertDialog.h"
#include "desktop/PanelDialogs.h"
#include "support/FileTree.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

static void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace platform::desktop {
namespace {

const QString kProgram = QStringLiteral("Plovane Menu");

bool hasMinimiseOrMaximise(const QWidget& window) {
  return (window.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)) !=
         0;
}

// As the desktops that put icons on dialog buttons do (GNOME's and KDE's platform themes).
class ButtonsWithIcons final : public QProxyStyle {
 public:
  using QProxyStyle::QProxyStyle;
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* answer) const override {
    if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 1;
    return QProxyStyle::styleHint(hint, option, widget, answer);
  }
};

class DialogLookTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { plovane::testing::qtApplication(); }
  plovane::testing::TemporaryFolder folder;
};

TEST_F(DialogLookTest, PanelIsTitledWithWhatItIsForAndTheProgramThatAsks) {
  NSOpenPanel panel;
  EXPECT_EQ(makeOpenDialog(panel, kProgram)->windowTitle(), "Plovane Menu");
  panel.message = "Please select the file that you want to Hide";
  EXPECT_EQ(makeOpenDialog(panel, kProgram)->windowTitle(),
            "Please select the file that you want to Hide \u2014 Plovane Menu");
  panel.prompt = "Hide";
  EXPECT_EQ(makeOpenDialog(panel, kProgram)->windowTitle(), "Hide \u2014 Plovane Menu");
  panel.title = "Hide an Item";
  EXPECT_EQ(makeOpenDialog(panel, kProgram)->windowTitle(), "Hide an Item \u2014 Plovane Menu");
  panel.title = "Plovane Menu";
  EXPECT_EQ(makeOpenDialog(panel, kProgram)->windowTitle(), "Plovane Menu");

  NSSavePanel save;
  save.title = "Create New Text File";
  EXPECT_EQ(makeSaveDialog(save, kProgram)->windowTitle(),
            "Create New Text File \u2014 Plovane Menu");
}

TEST_F(DialogLookTest, PanelsAreModalDialogsWithoutMinimiseOrMaximise) {
  NSOpenPanel choosesFolders;
  choosesFolders.canChooseFiles = false;
  choosesFolders.canChooseDirectories = true;
  NSOpenPanel choosesBoth = choosesFolders;
  choosesBoth.canChooseFiles = true;
  for (const auto& dialog :
       {makeOpenDialog(NSOpenPanel(), kProgram), makeOpenDialog(choosesFolders, kProgram),
        makeOpenDialog(choosesBoth, kProgram), makeSaveDialog(NSSavePanel(), kProgram)}) {
    EXPECT_EQ(dialog->windowType(), Qt::Dialog);
    EXPECT_FALSE(hasMinimiseOrMaximise(*dialog));
    EXPECT_TRUE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
  }
}

TEST_F(DialogLookTest, PanelShowsWholeNamesWithTheirDetails) {
  plovane::testing::makeFolder(folder.path(), {"a rather long name for a holiday photo.jpg"});
  plovane::testing::makeFolder(folder.path() / "Projects");
  NSOpenPanel panel;
  panel.message = "Step 1:- Select the item which you want to Copy";
  panel.directoryURL = NSURL::fileURLWithPath(folder.path().string());
  const auto dialog = makeOpenDialog(panel, kProgram);
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  EXPECT_GE(dialog->width(), 760);
  EXPECT_GE(dialog->height(), 480);
  auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
  ASSERT_TRUE(view->isVisible());
  auto* header = view->header();
  ASSERT_TRUE(QTest::qWaitFor([&] { return view->model()->rowCount(view->rootIndex()) == 2; }));
  // The width of each detail shown that its column cuts off; Qt fills in details and lays
  // columns out a moment after listing the folder.
  const auto cutOff = [&] {
    std::vector<std::string> cut;
    for (int row = 0; row < 2; ++row) {
      for (int column = 1; column < header->count(); ++column) {
        const auto shown = view->model()->index(row, column, view->rootIndex());
        if (view->sizeHintForIndex(shown).width() > header->sectionSize(column)) {
          cut.push_back(shown.data().toString().toStdString());
        }
      }
    }
    return cut;
  };
  (void)QTest::qWaitFor([&] { return cutOff().empty(); });
  EXPECT_EQ(cutOff(), std::vector<std::string>{});
  for (int column = 1; column < header->count(); ++column) {
    EXPECT_FALSE(header->isSectionHidden(column)) << column;
  }
  // The name takes the room the details leave: the columns fill the view.
  EXPECT_EQ(header->length(), header->viewport()->width());
  EXPECT_GE(header->sectionSize(0), header->fontMetrics().horizontalAdvance(QStringLiteral(
                                        "a rather long name for a holiday photo.jpg")));
}

TEST_F(DialogLookTest, PromptedButtonsAndAlertButtonsCarryNoIcon) {
  const QString shownStyle = QApplication::style()->name();
  QApplication::setStyle(new ButtonsWithIcons(shownStyle));
  NSOpenPanel panel;
  panel.canChooseDirectories = true;
  panel.prompt = "Unhide";
  const auto dialog = makeOpenDialog(panel, kProgram);
  NSAlert alert;
  alert.addButtonWithTitle("Hide");
  alert.addButtonWithTitle("Cancel");
  AlertDialog shown(alert);
  QApplication::setStyle(shownStyle);

  auto* box = dialog->findChild<QDialogButtonBox*>();
  // The style does give icons: Cancel keeps the one that says what it does.
  EXPECT_FALSE(box->button(QDialogButtonBox::Cancel)->icon().isNull());
  EXPECT_EQ(box->button(QDialogButtonBox::Open)->text(), "Unhide");
  EXPECT_TRUE(box->button(QDialogButtonBox::Open)->icon().isNull());
  for (auto* button : shown.findChildren<QPushButton*>()) {
    EXPECT_TRUE(button->icon().isNull()) << button->text().toStdString();
  }
}

}  // namespace
}  // namespace platform::desktop
