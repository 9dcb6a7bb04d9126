// The desktop's widgets for the control models: what they show, and what the person's input
// does to the models, on the offscreen platform.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "desktop/widgets/CollectionPeer.h"
#include "desktop/widgets/DeferredIconStyle.h"
#include "desktop/widgets/QtWindowServer.h"
#include "desktop/widgets/TablePeer.h"
#include "platform/NSCollectionView.h"
#include "platform/NSControl.h"
#include "platform/NSTableView.h"
#include "platform/NSViewController.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace platform {
namespace {

// Deletes what was left to be deleted later, as the event loop would.
void deleteRetiredWidgets() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// The shown widget of type W that a screen reader finds under `name`.
template <class W>
W* findNamed(QWidget& root, const std::string& name) {
  for (W* widget : root.findChildren<W*>()) {
    if (widget->accessibleName() == QString::fromStdString(name) && widget->isVisibleTo(&root)) {
      return widget;
    }
  }
  return nullptr;
}

template <class W>
int countShown(QWidget& root) {
  int shown = 0;
  for (W* widget : root.findChildren<W*>()) shown += widget->isVisibleTo(&root) ? 1 : 0;
  return shown;
}

// Clicks a check box on its box, where a click toggles it wherever the layout put its text.
void clickBox(QCheckBox& box) {
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(6, box.height() / 2));
}

class Counter final : public ActionTarget {
 public:
  bool performAction(const std::string&, NSControl& sender) override {
    ++actions;
    if (const auto* button = dynamic_cast<NSButton*>(&sender)) lastState = button->state();
    if (then) then();
    return true;
  }
  int actions = 0;
  NSControlStateValue lastState = NSControlStateValueOff;
  std::function<void()> then;
};

// A view controller whose view the test builds.
class Content final : public NSViewController {
 public:
  explicit Content(std::function<void(NSView&)> build, std::vector<std::string>* log = nullptr,
                   std::string name = {})
      : log_(log), name_(std::move(name)) {
    setViewLoader([build = std::move(build)] {
      auto view = std::make_unique<NSView>();
      build(*view);
      return view;
    });
  }
  void viewWillAppear() override { note("will appear"); }
  void viewDidDisappear() override { note("disappeared"); }

 private:
  void note(const std::string& what) {
    if (log_ != nullptr) log_->push_back(name_ + " " + what);
  }
  std::vector<std::string>* log_;
  std::string name_;
};

class QtWidgetPeersTest : public ::testing::Test {
 protected:
  void SetUp() override { plovane::testing::qtApplication(); }
  void TearDown() override { deleteRetiredWidgets(); }

  // Shows a window whose content `build` makes; the window's widget.
  QWidget& show(std::function<void(NSView&)> build) {
    window.setTitle("Plovane Menu");
    window.setContentViewController(std::make_shared<Content>(std::move(build)));
    window.makeKeyAndOrderFront();
    QWidget* widget = server.widgetFor(window);
    if (widget == nullptr) throw std::logic_error("the window has no widget");
    return *widget;
  }

  plovane::testing::TemporaryFolder resources;
  desktop::QtWindowServer server{resources.path()};
  NSWindow window{&server};
};

TEST(DeferredIconStyleTest, AStyleIconDrawsAsTheStylesOwn) {
  plovane::testing::qtApplication();
  desktop::DeferredIconStyle style;
  for (const auto which : {QStyle::SP_ToolBarHorizontalExtensionButton,
                           QStyle::SP_MessageBoxWarning, QStyle::SP_DirIcon}) {
    const QIcon deferred = style.standardIcon(which, nullptr, nullptr);
    const QIcon own = style.baseStyle()->standardIcon(which);
    ASSERT_FALSE(deferred.isNull()) << which;
    EXPECT_EQ(deferred.pixmap(16).toImage(), own.pixmap(16).toImage()) << which;
    EXPECT_EQ(deferred.availableSizes(), own.availableSizes()) << which;
  }
}

TEST_F(QtWidgetPeersTest, ACheckBoxClickGoesThroughTheModel) {
  Counter target;
  NSButton* box = nullptr;
  QWidget& shown = show([&](NSView& view) {
    box = &view.addSubview<NSButton>("Open Terminal", NSButtonType::switchButton);
    box->setTarget(&target);
    box->setAction("toggled:");
  });
  auto* widget = findNamed<QCheckBox>(shown, "Open Terminal");
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->text(), "Open Terminal");

  clickBox(*widget);
  EXPECT_EQ(box->state(), NSControlStateValueOn);
  EXPECT_EQ(target.actions, 1);
  EXPECT_EQ(target.lastState, NSControlStateValueOn);
  EXPECT_TRUE(widget->isChecked());

  // An action that puts the state back wins over the click.
  target.then = [box] { box->setState(NSControlStateValueOn); };
  clickBox(*widget);
  EXPECT_EQ(target.actions, 2);
  EXPECT_EQ(box->state(), NSControlStateValueOn);
  EXPECT_TRUE(widget->isChecked());

  box->setEnabled(false);
  clickBox(*widget);
  EXPECT_EQ(target.actions, 2);
}

TEST_F(QtWidgetPeersTest, AScreenReadersToggleGoesThroughTheModel) {
  Counter target;
  NSButton* box = nullptr;
  QWidget& shown = show([&](NSView& view) {
    box = &view.addSubview<NSButton>("Show icons in the menu", NSButtonType::switchButton);
    box->setTarget(&target);
    box->setAction("toggled:");
  });
  auto* widget = findNamed<QCheckBox>(shown, "Show icons in the menu");
  ASSERT_NE(widget, nullptr);
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
  ASSERT_TRUE(accessible && accessible->actionInterface());
  const QStringList actions = accessible->actionInterface()->actionNames();
  ASSERT_FALSE(actions.isEmpty());

  accessible->actionInterface()->doAction(actions.front());
  EXPECT_EQ(box->state(), NSControlStateValueOn);
  EXPECT_EQ(target.actions, 1);
  EXPECT_TRUE(widget->isChecked());

  // A state the model refuses does not stay on the box.
  box->setEnabled(false);
  widget->setEnabled(true);
  accessible->actionInterface()->doAction(actions.front());
  EXPECT_EQ(target.actions, 1);
  EXPECT_TRUE(widget->isChecked());
}

TEST_F(QtWidgetPeersTest, ModelChangesReachTheWidgets) {
  NSTextField* heading = nullptr;
  NSButton* add = nullptr;
  NSButton* box = nullptr;
  QWidget& shown = show([&](NSView& view) {
    heading = &view.addSubview<NSTextField>("Commands", NSTextFieldStyle::heading);
    add = &view.addSubview<NSButton>("Add");
    box = &view.addSubview<NSButton>("Launch at login", NSButtonType::switchButton);
  });
  auto* label = findNamed<QLabel>(shown, "Commands");
  auto* button = findNamed<QPushButton>(shown, "Add");
  auto* check = findNamed<QCheckBox>(shown, "Launch at login");
  ASSERT_TRUE(label && button && check);
  EXPECT_TRUE(label->font().bold());

  heading->setStringValue("Folders <b>&amp;</b>");
  EXPECT_EQ(label->text(), "Folders <b>&amp;</b>");
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_EQ(label->accessibleName(), "Folders <b>&amp;</b>");

  add->setTitle("Add Folder");
  add->setEnabled(false);
  add->setShowsPointingHand(true);
  add->setImage(NSImage::described(NSImage::Kind::system, "NSAddTemplate", {}, std::nullopt));
  EXPECT_EQ(button->text(), "Add Folder");
  EXPECT_FALSE(button->isEnabled());
  EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor);

  box->setState(NSControlStateValueOn);
  EXPECT_TRUE(check->isChecked());
  box->setAccessibilityLabel("Start with the session");
  EXPECT_EQ(check->accessibleName(), "Start with the session");
  box->setHidden(true);
  EXPECT_FALSE(check->isVisible());
  box->setHidden(false);
  EXPECT_TRUE(check->isVisible());
}

TEST_F(QtWidgetPeersTest, AnImageViewDrawsItsAssetAtTheSizeItAsksFor) {
  QImage artwork(64, 64, QImage::Format_ARGB32);
  artwork.fill(Qt::red);
  ASSERT_TRUE(artwork.save(QString::fromStdString((resources.path() / "7.png").string())));
  NSImageView* image = nullptr;
  QWidget& shown = show([&](NSView& view) {
    image = &view.addSubview<NSImageView>();
    image->setAccessibilityLabel("Terminal icon");
    image->setPreferredSize({32, 32});
    image->setImage(NSImage::described(NSImage::Kind::asset, "7", {}, std::nullopt));
  });
  auto* label = findNamed<QLabel>(shown, "Terminal icon");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->pixmap().size(), QSize(32, 32));
  EXPECT_EQ(label->pixmap().toImage().pixelColor(16, 16), QColor(Qt::red));
  EXPECT_GE(label->minimumWidth(), 32);

  image->setImage(std::nullopt);
  EXPECT_TRUE(label->pixmap().isNull());
}

// A cell holding a command's name and a check box named by it.
class CommandCell final : public NSTableCellView {
 public:
  CommandCell() {
    auto& row = addSubview<NSStackView>(NSUserInterfaceLayoutOrientation::horizontal, 6);
    enabled = &row.addSubview<NSButton>("", NSButtonType::switchButton);
    textField = &row.addSubview<NSTextField>();
    enabled->setAccessibilityTitleUIElement(textField);
  }
  NSButton* enabled;
};

class Commands final : public NSTableViewDataSource, public NSTableViewDelegate {
 public:
  std::int64_t numberOfRowsInTableView(NSTableView&) override {
    return static_cast<std::int64_t>(names.size());
  }
  NSView* tableViewViewForTableColumnRow(NSTableView& table, const NSTableColumn&,
                                         std::int64_t row) override {
    auto* cell = static_cast<CommandCell*>(table.makeViewWithIdentifier("CommandCell", this));
    cell->textField->setStringValue(names[static_cast<std::size_t>(row)]);
    cell->enabled->setTarget(target);
    cell->enabled->setAction("toggled:");
    return cell;
  }
  std::vector<std::string> names;
  ActionTarget* target = nullptr;
};

class TablePeerTest : public QtWidgetPeersTest {
 protected:
  void SetUp() override {
    QtWidgetPeersTest::SetUp();
    commands.names = {"Open Terminal", "Copy path", "New file"};
    commands.target = &target;
    shown = &show([this](NSView& view) {
      table = &view.addSubview<NSTableView>();
      table->setAccessibilityLabel("Commands");
      table->registerCell("CommandCell", [] { return std::make_unique<CommandCell>(); });
      table->dataSource = &commands;
      table->delegate = &commands;
      table->reloadData();
    });
    peer = findNamed<desktop::TablePeer>(*shown, "Commands");
    ASSERT_NE(peer, nullptr);
  }
  QWidget* row(int index) const { return peer->rowWidget(index); }

  Commands commands;
  Counter target;
  NSTableView* table = nullptr;
  QWidget* shown = nullptr;
  desktop::TablePeer* peer = nullptr;
};

TEST_F(TablePeerTest, ShowsARowPerModelRowNamedByItsLabel) {
  ASSERT_EQ(peer->rowCount(), 3);
  EXPECT_EQ(row(0)->accessibleName(), "Open Terminal");
  EXPECT_EQ(row(2)->accessibleName(), "New file");
  auto* box = findNamed<QCheckBox>(*row(1), "Copy path");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->text().isEmpty());
  EXPECT_EQ(countShown<QCheckBox>(*peer), 3);
}

TEST_F(TablePeerTest, SelectionFollowsClicksAndTheModel) {
  // What the row's corner is painted with, where none of its cells is.
  auto highlighted = [this](int index) {
    return peer->grab().toImage().pixelColor(row(index)->mapTo(peer, QPoint(1, 1))) ==
           peer->palette().color(QPalette::Highlight);
  };
  EXPECT_FALSE(highlighted(1));
  QTest::mouseClick(row(1), Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_EQ(table->selectedRow(), 1);
  EXPECT_TRUE(highlighted(1));
  EXPECT_FALSE(highlighted(0));

  table->selectRow(2);
  EXPECT_FALSE(highlighted(1));
  EXPECT_TRUE(highlighted(2));
}

TEST_F(TablePeerTest, ACheckBoxWhoseActionReloadsTheTableLeavesTheNewRowsShown) {
  target.then = [this] {
    commands.names = {"Hide", "Unhide"};
    table->reloadData();
  };
  QCheckBox* box = findNamed<QCheckBox>(*row(0), "Open Terminal");
  ASSERT_NE(box, nullptr);
  clickBox(*box);
  EXPECT_EQ(target.actions, 1);
  EXPECT_EQ(target.lastState, NSControlStateValueOn);
  deleteRetiredWidgets();

  ASSERT_EQ(peer->rowCount(), 2);
  EXPECT_EQ(countShown<QCheckBox>(*peer), 2);
  EXPECT_EQ(findNamed<QCheckBox>(*peer, "Open Terminal"), nullptr);
  QCheckBox* hide = findNamed<QCheckBox>(*row(0), "Hide");
  ASSERT_NE(hide, nullptr);

  // The new rows work as the old ones did.
  target.then = nullptr;
  clickBox(*hide);
  EXPECT_EQ(target.actions, 2);
  const auto* cell = static_cast<const CommandCell*>(table->viewAtColumnRow(0, 0));
  EXPECT_EQ(cell->enabled->state(), NSControlStateValueOn);
  EXPECT_TRUE(hide->isChecked());
}

// A card with an app's name, named by it, and a button that opens the app.
class AppCard final : public NSCollectionViewItem {
 public:
  AppCard() {
    setViewLoader([this] {
      auto view = std::make_unique<NSStackView>();
      name = &view->addSubview<NSTextField>();
      open = &view->addSubview<NSButton>("Open");
      view->setAccessibilityTitleUIElement(name);
      return view;
    });
  }
  NSTextField* name = nullptr;
  NSButton* open = nullptr;
};

class Apps final : public NSCollectionViewDataSource {
 public:
  std::int64_t collectionViewNumberOfItemsInSection(NSCollectionView&, std::int64_t) override {
    return static_cast<std::int64_t>(names.size());
  }
  NSCollectionViewItem* collectionViewItemForRepresentedObjectAtIndexPath(
      NSCollectionView& collection, const NSIndexPath& indexPath) override {
    auto* card = static_cast<AppCard*>(collection.makeItemWithIdentifier("AppCard", indexPath));
    const std::string& name = names[static_cast<std::size_t>(indexPath.item)];
    card->name->setStringValue(name);
    card->open->setAccessibilityLabel("Open " + name);
    card->open->setTarget(target);
    card->open->setAction("open:");
    return card;
  }
  std::vector<std::string> names;
  ActionTarget* target = nullptr;
};

class CollectionPeerTest : public QtWidgetPeersTest {
 protected:
  void SetUp() override {
    QtWidgetPeersTest::SetUp();
    apps.names = {"Marrowfen", "Pellisade", "Ambervane"};
    apps.target = &target;
    window.setContentSize({300, 120});
    shown = &show([this](NSView& view) {
      collection = &view.addSubview<NSScrollView>().addSubview<NSCollectionView>();
      collection->setAccessibilityLabel("Apps");
      collection->registerItem("AppCard", [] { return std::make_unique<AppCard>(); });
      NSCollectionViewFlowLayout layout;
      layout.itemSize = {100, 50};
      layout.sectionInset = {10, 20, 20, 20};
      layout.minimumInteritemSpacing = 0;
      collection->setCollectionViewLayout(layout);
      collection->dataSource = &apps;
      collection->reloadData();
    });
    peer = findNamed<desktop::CollectionPeer>(*shown, "Apps");
    ASSERT_NE(peer, nullptr);
  }
  QRect placeOf(int index) const { return peer->itemWidget(index)->geometry(); }

  Apps apps;
  Counter target;
  NSCollectionView* collection = nullptr;
  QWidget* shown = nullptr;
  desktop::CollectionPeer* peer = nullptr;
};

TEST_F(CollectionPeerTest, ShowsAWidgetPerItemNamedByItsTitleInAScrollArea) {
  ASSERT_EQ(peer->itemCount(), 3);
  EXPECT_EQ(peer->itemWidget(0)->accessibleName(), "Marrowfen");
  EXPECT_EQ(peer->itemWidget(2)->accessibleName(), "Ambervane");
  EXPECT_NE(findNamed<QPushButton>(*peer->itemWidget(1), "Open Pellisade"), nullptr);
  EXPECT_EQ(countShown<QPushButton>(*peer), 3);

  // The rows are taller than the window: the area scrolls them, as wide as it is.
  QCoreApplication::sendPostedEvents();
  auto* area = shown->findChild<QScrollArea*>();
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(area->widget(), peer);
  EXPECT_EQ(peer->width(), area->viewport()->width());
  EXPECT_GE(peer->height(), peer->heightForWidth(peer->width()));
  EXPECT_GT(area->verticalScrollBar()->maximum(), 0);
}

TEST_F(CollectionPeerTest, ItemsWrapToTheWidthInsideTheInsets) {
  QCoreApplication::sendPostedEvents();
  ASSERT_GE(peer->width(), 240);
  EXPECT_EQ(placeOf(0), QRect(20, 10, 100, 50));
  // A full row reaches from the left inset to the right one.
  EXPECT_EQ(placeOf(1), QRect(peer->width() - 20 - 100, 10, 100, 50));
  EXPECT_EQ(placeOf(2), QRect(20, 70, 100, 50));
  EXPECT_EQ(peer->heightForWidth(260), 10 + 50 + 10 + 50 + 20);
  EXPECT_EQ(peer->heightForWidth(200), 10 + 3 * 50 + 2 * 10 + 20);

  window.setContentSize({180, 120});
  QCoreApplication::sendPostedEvents();
  ASSERT_LT(peer->width(), 240);
  EXPECT_EQ(placeOf(1), QRect(20, 70, 100, 50));

  // An inset that would push items past the left edge counts as none.
  auto layout = collection->collectionViewLayout();
  layout.sectionInset.left = -30;
  collection->setCollectionViewLayout(layout);
  EXPECT_EQ(placeOf(0).x(), 0);
}

TEST_F(CollectionPeerTest, AButtonWhoseActionReloadsLeavesTheNewItemsShown) {
  target.then = [this] {
    apps.names = {"Scallotta"};
    collection->reloadData();
  };
  auto* open = findNamed<QPushButton>(*peer, "Open Pellisade");
  ASSERT_NE(open, nullptr);
  QTest::mouseClick(open, Qt::LeftButton);
  EXPECT_EQ(target.actions, 1);
  deleteRetiredWidgets();

  ASSERT_EQ(peer->itemCount(), 1);
  EXPECT_EQ(countShown<QPushButton>(*peer), 1);
  auto* next = findNamed<QPushButton>(*peer, "Open Scallotta");
  ASSERT_NE(next, nullptr);
  target.then = nullptr;
  QTest::mouseClick(next, Qt::LeftButton);
  EXPECT_EQ(target.actions, 2);
}

TEST_F(QtWidgetPeersTest, ReplacedContentReplacesTheWidgets) {
  QWidget& shown = show([](NSView& view) { view.addSubview<NSTextField>("Commands"); });
  ASSERT_NE(findNamed<QLabel>(shown, "Commands"), nullptr);
  window.setContentViewController(
      std::make_shared<Content>([](NSView& view) { view.addSubview<NSTextField>("Folders"); }));
  deleteRetiredWidgets();
  EXPECT_NE(findNamed<QLabel>(shown, "Folders"), nullptr);
  EXPECT_EQ(findNamed<QLabel>(shown, "Commands"), nullptr);
  EXPECT_EQ(countShown<QLabel>(shown), 1);
}

TEST_F(QtWidgetPeersTest, TheCloseButtonClosesTheModel) {
  struct Closing final : NSWindowDelegate {
    void windowWillClose(NSWindow&) override { ++closes; }
    int closes = 0;
  } delegate;
  window.delegate = &delegate;
  window.setContentSize({420, 280});
  QWidget& shown = show([](NSView& view) { view.addSubview<NSTextField>("Commands"); });
  EXPECT_EQ(shown.windowTitle(), "Plovane Menu");
  EXPECT_EQ(shown.size(), QSize(420, 280));

  // A new title leaves the size the person gave the window.
  shown.resize(500, 300);
  window.setTitle("Plovane Menu Settings");
  EXPECT_EQ(shown.windowTitle(), "Plovane Menu Settings");
  EXPECT_EQ(shown.size(), QSize(500, 300));

  EXPECT_TRUE(shown.close());
  EXPECT_EQ(delegate.closes, 1);
  EXPECT_FALSE(window.isVisible());
  EXPECT_FALSE(shown.isVisible());

  // Shown again, the same widget comes back.
  window.makeKeyAndOrderFront();
  EXPECT_EQ(server.widgetFor(window), &shown);
  EXPECT_TRUE(shown.isVisible());
  window.delegate = nullptr;
}

class TabPeerTest : public QtWidgetPeersTest {
 protected:
  void SetUp() override {
    QtWidgetPeersTest::SetUp();
    auto label = [](std::string text) {
      return [text](NSView& view) { view.addSubview<NSTextField>(text); };
    };
    tabs = std::make_shared<NSTabViewController>();
    tabs->addTabViewItem(
        {"Commands", std::make_shared<Content>(label("Menu commands"), &log, "commands")});
    tabs->addTabViewItem(
        {"Folders", std::make_shared<Content>(label("Monitored folders"), &log, "folders")});
    window.setContentViewController(tabs);
    window.makeKeyAndOrderFront();
    shown = server.widgetFor(window);
    ASSERT_NE(shown, nullptr);
    widget = shown->findChild<QTabWidget*>();
    ASSERT_NE(widget, nullptr);
  }
  // The children write to the log as the window leaves the screen.
  void TearDown() override {
    window.orderOut();
    QtWidgetPeersTest::TearDown();
  }
  std::vector<std::string> log;
  std::shared_ptr<NSTabViewController> tabs;
  QWidget* shown = nullptr;
  QTabWidget* widget = nullptr;
};

TEST_F(TabPeerTest, TheShownTabFollowsTheModel) {
  ASSERT_EQ(widget->count(), 2);
  EXPECT_EQ(widget->tabText(1), "Folders");
  EXPECT_EQ(widget->currentIndex(), 0);
  EXPECT_NE(findNamed<QLabel>(*widget->widget(0), "Menu commands"), nullptr);
  EXPECT_EQ(countShown<QLabel>(*widget->widget(1)), 0);

  tabs->setSelectedTabViewItemIndex(1);
  EXPECT_EQ(widget->currentIndex(), 1);
  EXPECT_NE(findNamed<QLabel>(*widget->widget(1), "Monitored folders"), nullptr);
}

TEST_F(TabPeerTest, ThePersonChangingTabRunsTheAppearanceHooks) {
  log.clear();
  QTabBar& bar = *widget->tabBar();
  QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(1).center());
  EXPECT_EQ(tabs->selectedTabViewItemIndex(), 1u);
  EXPECT_EQ(log, (std::vector<std::string>{"commands disappeared", "folders will appear"}));
  EXPECT_EQ(widget->currentIndex(), 1);
  EXPECT_NE(findNamed<QLabel>(*widget->widget(1), "Monitored folders"), nullptr);

  QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.tabRect(0).center());
  EXPECT_EQ(tabs->selectedTabViewItemIndex(), 0u);
  EXPECT_TRUE(tabs->tabViewItems()[0].viewController->isOnScreen());
  EXPECT_FALSE(tabs->tabViewItems()[1].viewController->isOnScreen());
}

}  // namespace
}  // namespace platform
