// Real Qt dialogs on the offscreen platform, driven from inside their own event loops.
#include "desktop/QtModals.h"
#include "platform/NSApplication.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <algorithm>
#include <fstream>
#include <functional>
#include <set>

#include "support/AlertActionTarget.h"
#include "support/FileTree.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

static void PrintTo(const QString& text, std::ostream* out) { *out << text.toStdString(); }

namespace platform::desktop {
namespace {

using plovane::testing::makeFolder;
using plovane::testing::TemporaryFolder;

// Runs `show`, which blocks in a modal dialog, while `act` drives that dialog from inside its
// event loop. Whatever is still open afterwards is closed, so a failed check cannot block.
template <typename Show>
NSModalResponse whileShown(std::function<void(QDialog&)> act, Show show) {
  QTimer::singleShot(0, [act] {
    if (QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; })) {
      act(*qobject_cast<QDialog*>(QApplication::activeModalWidget()));
    } else {
      ADD_FAILURE() << "no modal dialog appeared";
    }
    while (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      open->done(QDialog::Rejected);
    }
  });
  return show();
}

std::vector<QPushButton*> buttonsLeftToRight(QDialog& dialog) {
  const auto found = dialog.findChildren<QPushButton*>();
  std::vector<QPushButton*> buttons(found.begin(), found.end());
  std::sort(buttons.begin(), buttons.end(),
            [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
  return buttons;
}

using AlertActionTarget = plovane::testing::AlertActionTarget;

NSURL urlOf(const std::filesystem::path& path) { return NSURL::fileURLWithPath(path.string()); }

std::set<std::string> pathsOf(const std::vector<NSURL>& urls) {
  std::set<std::string> paths;
  for (const auto& url : urls) paths.insert(url.path());
  return paths;
}

// The file dialog's list or detail view, whichever it shows.
QAbstractItemView* shownView(QDialog& dialog) {
  auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
  if (list->isVisible()) return list;
  return dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
}

// The names a file dialog lists in the folder it shows, in its order.
std::vector<QString> listed(QDialog& dialog) {
  auto* view = shownView(dialog);
  std::vector<QString> names;
  for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
    names.push_back(view->model()->index(row, 0, view->rootIndex()).data().toString());
  }
  return names;
}

// Qt reads a folder on a thread of its own: wait until its file model has `entries` entries
// of `folder` (what the model itself shows: dot names only while hidden files are shown).
// Asking the model for an entry by path would make it up, so this only counts.
bool loaded(QDialog& dialog, const std::filesystem::path& folder, int entries) {
  auto* files = dialog.findChild<QFileSystemModel*>();
  return QTest::qWaitFor([&] {
    return files->rowCount(files->index(QString::fromStdString(folder.string()))) == entries;
  });
}

// Clicks the named items of the dialog's view, the first alone and the others with Ctrl, as a
// person selects several.
void clickItems(QDialog& dialog, const std::vector<QString>& names) {
  auto* view = shownView(dialog);
  auto modifier = Qt::NoModifier;
  for (const auto& name : names) {
    const auto first = view->model()->index(0, 0, view->rootIndex());
    const auto found = view->model()->match(first, Qt::DisplayRole, name, 1, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifier,
                      view->visualRect(found.front()).center());
    modifier = Qt::ControlModifier;
  }
}

void chooseByName(QDialog& dialog, const QString& typed) {
  dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(typed);
}

QPushButton* acceptButton(QDialog& dialog) {
  auto* box = dialog.findChild<QDialogButtonBox*>();
  return box->button(QDialogButtonBox::Open) ? box->button(QDialogButtonBox::Open)
                                             : box->button(QDialogButtonBox::Save);
}

class QtModalsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { plovane::testing::qtApplication(); }
  QtModals modals{QStringLiteral("Plovane Menu")};
  TemporaryFolder folder;
};

TEST_F(QtModalsTest, AlertShowsStyleTextsAndButtonsAndAnswersWithTheClickedOne) {
  const std::vector<std::pair<NSAlertStyle, QStyle::StandardPixmap>> styles = {
      {NSAlertStyle::warning, QStyle::SP_MessageBoxWarning},
      {NSAlertStyle::informational, QStyle::SP_MessageBoxInformation},
      {NSAlertStyle::critical, QStyle::SP_MessageBoxCritical}};
  const auto iconImage = [](QDialog& dialog, QStyle::StandardPixmap pixmap) {
    const int size = dialog.style()->pixelMetric(QStyle::PM_MessageBoxIconSize);
    return dialog.style()->standardIcon(pixmap).pixmap(size).toImage();
  };
  for (const auto& [style, pixmap] : styles) {
    NSAlert alert;
    alert.alertStyle = style;
    alert.messageText = "Replace \"notes.txt\"?";
    alert.informativeText = "A file with that name already exists.";
    for (const char* title : {"Replace", "Cancel", "Keep Both"}) alert.addButtonWithTitle(title);
    const auto response = whileShown(
        [&](QDialog& dialog) {
          EXPECT_TRUE(alert.window().isVisible());
          const auto shown = dialog.findChild<QLabel*>(QStringLiteral("icon"))->pixmap().toImage();
          for (const auto& [otherStyle, otherPixmap] : styles) {
            EXPECT_EQ(otherStyle == style, shown == iconImage(dialog, otherPixmap));
          }
          EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("message"))->text(),
                    "Replace \"notes.txt\"?");
          EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("informative"))->text(),
                    "A file with that name already exists.");
          const auto buttons = buttonsLeftToRight(dialog);
          ASSERT_EQ(buttons.size(), 3u);
          EXPECT_EQ(buttons[0]->text(), "Replace");
          EXPECT_EQ(buttons[1]->text(), "Cancel");
          EXPECT_EQ(buttons[2]->text(), "Keep Both");
          EXPECT_TRUE(buttons[0]->isDefault());
          buttons[2]->click();
        },
        [&] { return modals.runModal(alert); });
    EXPECT_EQ(response, NSAlertFirstButtonReturn + 2);
    EXPECT_FALSE(alert.window().isVisible());
  }
}

TEST_F(QtModalsTest, AlertIsAModalDialogNamedForTheProgramOverTheWindowInFront) {
  QWidget front;
  front.show();
  front.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&front));
  NSAlert alert;
  alert.messageText = "Folder already added";
  whileShown(
      [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Plovane Menu");
        EXPECT_EQ(dialog.windowType(), Qt::Dialog);
        EXPECT_FALSE(dialog.windowFlags() &
                     (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
        EXPECT_TRUE(dialog.isModal());
        EXPECT_EQ(dialog.windowHandle()->transientParent(), front.windowHandle());
      },
      [&] { return modals.runModal(alert); });
}

TEST_F(QtModalsTest, ReturnPressesTheFirstButtonAndEscapeTheCancellingOne) {
  const auto answer = [&](std::vector<std::string> titles, Qt::Key key) {
    NSAlert alert;
    alert.messageText = "Continue?";
    for (auto& title : titles) alert.addButtonWithTitle(std::move(title));
    return whileShown([key](QDialog& dialog) { QTest::keyClick(&dialog, key); },
                      [&] { return modals.runModal(alert); });
  };
  EXPECT_EQ(answer({"Yes", "No"}, Qt::Key_Return), NSAlertFirstButtonReturn);
  EXPECT_EQ(answer({"Yes", "No"}, Qt::Key_Escape), NSAlertFirstButtonReturn + 1);
  EXPECT_EQ(answer({"Save", "Cancel", "Don't Save"}, Qt::Key_Escape), NSAlertFirstButtonReturn + 1);
  EXPECT_EQ(answer({"OK"}, Qt::Key_Escape), NSAlertFirstButtonReturn);
  EXPECT_EQ(answer({}, Qt::Key_Escape), NSAlertFirstButtonReturn);  // given an OK of its own
}

TEST_F(QtModalsTest, TargetedButtonSendsItsActionAndTheAlertStaysUntilTheActionEndsIt) {
  NSAlert alert;
  alert.messageText = "Enjoying the menu?";
  AlertActionTarget target(alert);
  auto& later = alert.addButtonWithTitle("Remind Me");
  later.target = &target;
  later.action = "remind";
  auto& rate = alert.addButtonWithTitle("Rate Now");
  rate.target = &target;
  rate.action = "finish";
  const auto response = whileShown(
      [&](QDialog& dialog) {
        buttonsLeftToRight(dialog).front()->click();
        EXPECT_EQ(target.performed, std::vector<std::string>{"remind"});
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(alert.window().isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);  // the last button, here the one that ends it
      },
      [&] { return modals.runModal(alert); });
  EXPECT_EQ(response, NSAlertFirstButtonReturn + 1);
  EXPECT_EQ(target.performed, (std::vector<std::string>{"remind", "finish"}));
  EXPECT_FALSE(alert.window().isVisible());
}

TEST_F(QtModalsTest, OpenPanelChoosesAFolderWhenFilesAndFoldersAreAllowed) {
  makeFolder(folder.path() / "Album");
  makeFolder(folder.path(), {"notes.txt"});
  NSOpenPanel panel;
  panel.canChooseDirectories = true;
  panel.title = "Copy";
  panel.message = "Select the item to copy";
  panel.prompt = "Select Item";
  panel.directoryURL = urlOf(folder.path());
  const auto response = whileShown(
      [&](QDialog& dialog) {
        ASSERT_TRUE(loaded(dialog, folder.path(), 2));
        EXPECT_EQ(dialog.windowTitle(), "Copy \u2014 Plovane Menu");
        auto* message = dialog.findChild<QLabel*>(QStringLiteral("message"));
        ASSERT_NE(message, nullptr);
        EXPECT_EQ(message->text(), "Select the item to copy");
        auto* view = shownView(dialog);
        EXPECT_LT(message->mapTo(&dialog, QPoint(0, message->height())).y(),
                  view->mapTo(&dialog, QPoint(0, 0)).y());
        chooseByName(dialog, "Album");
        EXPECT_EQ(acceptButton(dialog)->text(), "Select Item");
        acceptButton(dialog)->click();
      },
      [&] { return modals.runModal(panel); });
  ASSERT_EQ(response, NSModalResponseOK);
  ASSERT_TRUE(panel.URL);
  EXPECT_EQ(panel.URL->path(), (folder.path() / "Album").string());
  EXPECT_EQ(pathsOf(panel.URLs), std::set{(folder.path() / "Album").string()});
}

TEST_F(QtModalsTest, MultipleSelectionReturnsEveryChosenItemFirstOneAsURL) {
  makeFolder(folder.path() / "Album");
  makeFolder(folder.path(), {"a.txt", "b.txt"});
  NSOpenPanel panel;
  panel.canChooseDirectories = true;
  panel.allowsMultipleSelection = true;
  panel.directoryURL = urlOf(folder.path());
  const auto response = whileShown(
      [&](QDialog& dialog) {
        ASSERT_TRUE(loaded(dialog, folder.path(), 3));
        clickItems(dialog, {"Album", "b.txt"});
        acceptButton(dialog)->click();
      },
      [&] { return modals.runModal(panel); });
  ASSERT_EQ(response, NSModalResponseOK);
  ASSERT_EQ(panel.URLs.size(), 2u);
  EXPECT_TRUE(panel.URL == panel.URLs.front());
  EXPECT_EQ(pathsOf(panel.URLs),
            (std::set{(folder.path() / "Album").string(), (folder.path() / "b.txt").string()}));
}

TEST_F(QtModalsTest, HiddenItemsAreListedOnlyWhenThePanelShowsHiddenFiles) {
  makeFolder(folder.path() / "Secret", {"inside.txt"});
  makeFolder(folder.path(), {"visible.txt", ".profile", "listed.txt"});
  std::ofstream(folder.path() / ".hidden") << "listed.txt\nSecret\n";
  // Qt itself knows nothing of .hidden: its model has listed.txt and Secret in any case.
  const auto listing = [&](bool showsHidden, const std::filesystem::path& start, int entries,
                           const std::vector<QString>& expected) {
    NSOpenPanel panel;
    panel.canChooseDirectories = true;
    panel.showsHiddenFiles = showsHidden;
    panel.directoryURL = urlOf(start);
    std::vector<QString> names;
    whileShown(
        [&](QDialog& dialog) {
          ASSERT_TRUE(loaded(dialog, start, entries));
          // Qt sorts a moment after reading the folder.
          (void)QTest::qWaitFor([&] { return (names = listed(dialog)) == expected; });
        },
        [&] { return modals.runModal(panel); });
    return names;
  };
  const std::vector<QString> unhidden = {"visible.txt"};
  EXPECT_EQ(listing(false, folder.path(), 3, unhidden), unhidden);
  const std::vector<QString> all = {"Secret", ".hidden", ".profile", "listed.txt", "visible.txt"};
  EXPECT_EQ(listing(true, folder.path(), 5, all), all);
  // A panel may still start inside a hidden folder.
  const std::vector<QString> inside = {"inside.txt"};
  EXPECT_EQ(listing(false, folder.path() / "Secret", 1, inside), inside);
}

TEST_F(QtModalsTest, PanelStartingAtAFileSelectsItAndCancelLeavesNoURLs) {
  makeFolder(folder.path(), {"a.txt", "b.txt"});
  NSOpenPanel panel;
  panel.directoryURL = urlOf(folder.path() / "b.txt");
  auto response = whileShown(
      [&](QDialog& dialog) {
        ASSERT_TRUE(loaded(dialog, folder.path(), 2));
        acceptButton(dialog)->click();
      },
      [&] { return modals.runModal(panel); });
  ASSERT_EQ(response, NSModalResponseOK);
  EXPECT_EQ(pathsOf(panel.URLs), std::set{(folder.path() / "b.txt").string()});

  NSOpenPanel cancelled;
  cancelled.directoryURL = urlOf(folder.path() / "b.txt");
  response = whileShown(
      [](QDialog& dialog) {
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
      },
      [&] { return modals.runModal(cancelled); });
  EXPECT_EQ(response, NSModalResponseCancel);
  EXPECT_TRUE(cancelled.URLs.empty());
  EXPECT_FALSE(cancelled.URL);
}

TEST_F(QtModalsTest, SavePanelReturnsTheTypedNameInTheStartFolder) {
  makeFolder(folder.path(), {"existing.txt"});
  NSSavePanel panel;
  panel.title = "Create New Text File";
  panel.prompt = "Create";
  panel.message = "Name the new file";
  panel.nameFieldStringValue = "Untitled.txt";
  panel.directoryURL = urlOf(folder.path());
  const auto response = whileShown(
      [&](QDialog& dialog) {
        ASSERT_TRUE(loaded(dialog, folder.path(), 1));
        EXPECT_EQ(dialog.windowTitle(), "Create New Text File \u2014 Plovane Menu");
        EXPECT_EQ(acceptButton(dialog)->text(), "Create");
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("message"))->text(),
                  "Name the new file");
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                  "Untitled.txt");
        chooseByName(dialog, "Shopping.txt");
        acceptButton(dialog)->click();
      },
      [&] { return modals.runModal(panel); });
  ASSERT_EQ(response, NSModalResponseOK);
  ASSERT_TRUE(panel.URL);
  EXPECT_EQ(panel.URL->path(), (folder.path() / "Shopping.txt").string());
}

}  // namespace
}  // namespace platform::desktop
