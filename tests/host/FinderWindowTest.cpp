// The stand-in's window without a bus: what it lists, which context menu it builds, and what it
// asks and sends the extension, which is a fake here.
#include "host/window/FinderWindowMain.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QListView>
#include <QMenuBar>
#include <QTest>
#include <fstream>

#include "desktop/ImageRendering.h"
#include "host/window/FinderWindowContextMenu.h"
#include "support/FileTree.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace plovane::host {
namespace {

namespace fs = std::filesystem;
using platform::FIMenuKind;
using platform::NSMenu;
using platform::NSMenuItem;
using platform::NSURL;
using platform::desktop::TransportedMenu;

std::vector<std::string> listedNames(const FolderListing& listing) {
  std::vector<std::string> names;
  for (int row = 0; row < listing.rowCount(); ++row) {
    names.push_back(listing.item(row)->text().toStdString());
  }
  return names;
}

std::vector<std::string> entryTitles(const QMenu& menu) {
  std::vector<std::string> titles;
  for (const QAction* action : menu.actions()) {
    titles.push_back(action->isSeparator() ? "---" : action->text().toStdString());
  }
  return titles;
}

QAction* entryTitled(const QMenu& menu, const QString& title) {
  for (QAction* action : menu.actions()) {
    if (action->text() == title) return action;
  }
  return nullptr;
}

NSURL urlOf(const fs::path& path) { return NSURL::fileURLWithPath(path.string()); }

// Answers every menu request with the same two entries and records what it was asked and sent.
struct FakeExtension {
  ExtensionCalls calls() {
    return {[this](FIMenuKind kind, const std::vector<NSURL>& selection) {
              asked.push_back({kind, selection});
              return menuAnswer;
            },
            [this](const NSMenuItem& entry, const std::vector<NSURL>& selection) {
              performed.emplace_back(entry, selection);
              return performAnswer;
            },
            [this](const NSURL& folder) { told.push_back("begin " + folder.path()); },
            [this](const NSURL& folder) { told.push_back("end " + folder.path()); },
            [this](const NSURL& item) { told.push_back("badge " + item.path()); }};
  }

  static TransportedMenu twoEntries() {
    auto menu = std::make_shared<NSMenu>();
    NSMenuItem terminal("Open Terminal", "commenAction:", "");
    menu->addItem(terminal);
    NSMenuItem hide("Hide item", "commenAction:", "");
    hide.tag = 9;
    menu->addItem(hide);
    return {menu, {}};
  }

  std::variant<TransportedMenu, std::string> menuAnswer = twoEntries();
  std::variant<unsigned, std::string> performAnswer = 1u;
  std::vector<ContextTarget> asked;
  std::vector<std::pair<NSMenuItem, std::vector<NSURL>>> performed;
  std::vector<std::string> told;
};

class FinderWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::qtApplication();
    platform::desktop::useBundledIconTheme();
    std::ofstream(work / ".hidden") << "photo.png\n";
    testing::makeFolder(work / "Sub");
    testing::makeFolder(work / ".cache");
  }

  std::unique_ptr<FinderMainWindow> openWindow() {
    auto window = std::make_unique<FinderMainWindow>(state, extension.calls());
    EXPECT_TRUE(window->openFolder(work));
    return window;
  }

  testing::TemporaryFolder home;
  fs::path work =
      testing::makeFolder(home.path() / "Work", {"a.txt", "B.txt", ".dot", "photo.png"});
  platform::UserDefaultsRoot defaults{home.path() / "store", {}};
  // The store as another program (the extension) has it open.
  platform::UserDefaultsRoot otherDefaults{home.path() / "store", {}};
  FinderHostState state{defaults};
  FinderHostState otherState{otherDefaults};
  platform::desktop::HostDirectorySet otherDirectorySet{otherDefaults};
  FakeExtension extension;
};

TEST_F(FinderWindowTest, ListsHiddenItemsOnlyWhileHiddenFilesAreShown) {
  const auto window = openWindow();
  EXPECT_EQ(window->windowTitle(), "Work");
  EXPECT_EQ(listedNames(window->listing()), (std::vector<std::string>{"Sub", "a.txt", "B.txt"}));

  // The extension's "show hidden files" command flips the toggle in the store.
  otherState.setShowsHiddenFiles(true);
  window->actionFinished(1, {});
  EXPECT_EQ(listedNames(window->listing()),
            (std::vector<std::string>{".cache", "Sub", ".dot", ".hidden", "a.txt", "B.txt",
                                      "photo.png"}));

  QAction* toggle = nullptr;
  for (QAction* menu : window->menuBar()->actions()) {
    if (auto* found = entryTitled(*menu->menu(), "Show Hidden Files")) toggle = found;
  }
  ASSERT_NE(toggle, nullptr);
  EXPECT_TRUE(toggle->isChecked());
  toggle->trigger();
  EXPECT_FALSE(otherState.showsHiddenFiles());
  EXPECT_EQ(listedNames(window->listing()), (std::vector<std::string>{"Sub", "a.txt", "B.txt"}));
}

TEST_F(FinderWindowTest, ShowsWhatAFinishedActionChangedAndWhyItFailed) {
  const auto window = openWindow();
  testing::makeFolder(work, {"copied.txt"});
  std::ofstream(work / ".hidden") << "photo.png\na.txt\n";
  window->actionFinished(2, {{}, "The file couldn't be copied", 0});
  EXPECT_EQ(listedNames(window->listing()),
            (std::vector<std::string>{"Sub", "B.txt", "copied.txt"}));
  EXPECT_EQ(window->statusMessage().message(), "The file couldn't be copied");

  EXPECT_TRUE(window->openFolder(work / "Sub"));
  EXPECT_EQ(window->windowTitle(), "Sub");
  EXPECT_FALSE(window->openFolder(work / "B.txt"));
  EXPECT_EQ(window->folder(), work / "Sub");
}

class FinderWindowMenuTest : public FinderWindowTest {
 protected:
  void SetUp() override {
    FinderWindowTest::SetUp();
    window = openWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  QPoint positionOf(const char* name) {
    return window->view().visualRect(*window->listing().indexOfName(name)).center();
  }

  std::unique_ptr<FinderMainWindow> window;
};

TEST_F(FinderWindowMenuTest, OpensFoldersInPlaceAndTakesOverTheToggleOnActivation) {
  // An item view opens only what the first click of the double-click pressed.
  QTest::mouseClick(window->view().viewport(), Qt::LeftButton, {}, positionOf("Sub"));
  QTest::mouseDClick(window->view().viewport(), Qt::LeftButton, {}, positionOf("Sub"));
  EXPECT_EQ(window->folder(), work / "Sub");
  EXPECT_EQ(window->windowTitle(), "Sub");
  QAction* up = nullptr;
  for (QAction* menu : window->menuBar()->actions()) {
    if (auto* found = entryTitled(*menu->menu(), "Up")) up = found;
  }
  ASSERT_NE(up, nullptr);
  up->trigger();
  EXPECT_EQ(window->folder(), work);
  EXPECT_EQ(window->view().currentIndex(), *window->listing().indexOfName("Sub"));

  // Another program flipped the toggle while the window was in the background.
  window->activateWindow();
  QTRY_VERIFY(window->isActiveWindow());
  otherState.setShowsHiddenFiles(true);
  QEvent activated(QEvent::ActivationChange);
  QApplication::sendEvent(window.get(), &activated);
  EXPECT_TRUE(window->listing().indexOfName(".dot"));
  EXPECT_TRUE(state.showsHiddenFiles());
}

// An error longer than the window is wide is shown as much as fits, and whole in its tooltip.
TEST_F(FinderWindowMenuTest, ShowsALongErrorWhole) {
  const QString failure = QStringLiteral(
      "cannot launch com.apple.Terminal: none of x-terminal-emulator, "
      "gnome-terminal, konsole, xfce4-terminal, xterm is installed; install one "
      "of them or set another terminal <as the default> & try again");
  window->actionFinished(3, {{}, failure.toStdString(), 0});
  const StatusMessage& shown = window->statusMessage();
  EXPECT_EQ(shown.message(), failure);
  EXPECT_TRUE(shown.isVisible());
  EXPECT_TRUE(shown.text().endsWith(QChar(0x2026))) << shown.text().toStdString();
  EXPECT_LE(shown.fontMetrics().horizontalAdvance(shown.text()), shown.contentsRect().width());
  EXPECT_TRUE(shown.toolTip().contains(failure.toHtmlEscaped())) << shown.toolTip().toStdString();
  EXPECT_EQ(shown.accessibleDescription(), failure);

  // Given the room, the whole line shows.
  window->resize(4000, window->height());
  QTRY_COMPARE(shown.text(), failure);
  ASSERT_TRUE(window->openFolder(work / "Sub"));
  EXPECT_EQ(shown.text(), QString());
  EXPECT_EQ(shown.toolTip(), QString());
}

TEST_F(FinderWindowMenuTest, ObservationFollowsTheShownFolderInsideTheDirectorySet) {
  EXPECT_TRUE(extension.told.empty());
  otherDirectorySet.setDirectoryURLs({urlOf(work / "Sub")});
  testing::makeFolder(work / "Sub", {"inner.txt"});
  ASSERT_TRUE(window->openFolder(work / "Sub"));
  ASSERT_TRUE(window->openFolder(work / "Sub"));
  ASSERT_TRUE(window->openFolder(work));
  EXPECT_EQ(extension.told,
            (std::vector<std::string>{"begin " + (work / "Sub").string(),
                                      "badge " + (work / "Sub" / "inner.txt").string(),
                                      "end " + (work / "Sub").string()}));
}

TEST_F(FinderWindowMenuTest, AsksTheExtensionOnlyWhenEverySelectedItemIsInsideTheDirectorySet) {
  auto menu = window->contextMenuFor(window->targetAt(positionOf("a.txt")));
  EXPECT_EQ(entryTitles(*menu), (std::vector<std::string>{"Open", "Show Hidden Files"}));
  EXPECT_TRUE(extension.asked.empty());

  otherDirectorySet.setDirectoryURLs({urlOf(work / "Sub")});
  menu = window->contextMenuFor(window->targetAt(positionOf("a.txt")));
  EXPECT_TRUE(extension.asked.empty());
  menu = window->contextMenuFor(window->targetAt(positionOf("Sub")));
  ASSERT_EQ(extension.asked.size(), 1u);
  EXPECT_EQ(extension.asked[0].kind, FIMenuKind::contextualMenuForItems);
  EXPECT_EQ(extension.asked[0].selection, std::vector<NSURL>{urlOf(work / "Sub")});
  EXPECT_EQ(entryTitles(*menu), (std::vector<std::string>{"Open", "Show Hidden Files", "---",
                                                          "Open Terminal", "Hide item"}));

  // A selection reaching outside the set gets no extension entries, even from inside it.
  window->view().selectionModel()->select(*window->listing().indexOfName("a.txt"),
                                          QItemSelectionModel::Select);
  menu = window->contextMenuFor(window->targetAt(positionOf("Sub")));
  EXPECT_EQ(extension.asked.size(), 1u);
  EXPECT_EQ(entryTitles(*menu), (std::vector<std::string>{"Open", "Show Hidden Files"}));
}

TEST_F(FinderWindowMenuTest, ShowsOnlyItsOwnEntriesWhileTheMenuIsSwitchedOffInIt) {
  otherDirectorySet.setDirectoryURLs({urlOf(work)});
  platform::desktop::MenuSwitches otherSwitches(otherDefaults);
  ASSERT_EQ(otherSwitches.setOn(platform::desktop::kStandInProgram, false), std::nullopt);
  auto menu = window->contextMenuFor(window->targetAt(positionOf("a.txt")));
  EXPECT_EQ(entryTitles(*menu), (std::vector<std::string>{"Open", "Show Hidden Files"}));
  ASSERT_TRUE(window->openFolder(work));
  EXPECT_TRUE(extension.asked.empty());
  EXPECT_TRUE(extension.told.empty());

  // Switched on again while the window is open, the next right-click asks.
  ASSERT_EQ(otherSwitches.setOn(platform::desktop::kStandInProgram, true), std::nullopt);
  menu = window->contextMenuFor(window->targetAt(positionOf("a.txt")));
  EXPECT_EQ(extension.asked.size(), 1u);
}

TEST_F(FinderWindowMenuTest, SendsTheChosenEntryWithTheSelectionItWasMadeFor) {
  otherDirectorySet.setDirectoryURLs({urlOf(work)});
  window->view().selectionModel()->select(*window->listing().indexOfName("B.txt"),
                                          QItemSelectionModel::Select);
  window->view().selectionModel()->select(*window->listing().indexOfName("a.txt"),
                                          QItemSelectionModel::Select);
  auto menu = window->contextMenuFor(window->targetAt(positionOf("B.txt")));
  entryTitled(*menu, "Hide item")->trigger();
  ASSERT_EQ(extension.performed.size(), 1u);
  EXPECT_EQ(extension.performed[0].first.action, "commenAction:");
  EXPECT_EQ(extension.performed[0].first.tag, 9);
  EXPECT_EQ(extension.performed[0].second,
            (std::vector<NSURL>{urlOf(work / "a.txt"), urlOf(work / "B.txt")}));

  // Right-clicking an item outside the selection selects it alone.
  EXPECT_EQ(window->targetAt(positionOf("Sub")).selection, std::vector<NSURL>{urlOf(work / "Sub")});
  // Empty space asks about the folder itself and leaves nothing selected.
  const QPoint emptySpace = window->view().viewport()->rect().bottomRight() - QPoint(5, 5);
  menu = window->contextMenuFor(window->targetAt(emptySpace));
  EXPECT_EQ(extension.asked.back().kind, FIMenuKind::contextualMenuForContainer);
  EXPECT_EQ(extension.asked.back().selection, std::vector<NSURL>{urlOf(work)});
  EXPECT_FALSE(window->view().selectionModel()->hasSelection());

  extension.performAnswer = std::string("the extension did not answer: gone");
  entryTitled(*menu, "Open Terminal")->trigger();
  EXPECT_EQ(extension.performed.back().second, std::vector<NSURL>{urlOf(work)});
  EXPECT_EQ(window->statusMessage().message(), "the extension did not answer: gone");

  extension.menuAnswer = std::string("the extension sent a menu this stand-in cannot read");
  menu = window->contextMenuFor(window->targetAt(positionOf("Sub")));
  EXPECT_EQ(entryTitles(*menu), (std::vector<std::string>{"Open", "Show Hidden Files"}));
  EXPECT_EQ(window->statusMessage().message(),
            "the extension sent a menu this stand-in cannot read");
}

}  // namespace
}  // namespace plovane::host
