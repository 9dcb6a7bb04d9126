// The control models' own rules, which both backends' peers rely on.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/NSControl.h"
#include "platform/NSStoryboard.h"
#include "platform/NSTableView.h"
#include "platform/NSViewController.h"
#include "platform/NSWindow.h"
#include "sim/SimWindowServer.h"

namespace platform {
namespace {

// Records each action with the sender's state as the action saw it.
class RecordingTarget final : public ActionTarget {
 public:
  bool performAction(const std::string& selector, NSControl& sender) override {
    if (selector != "toggled:") return false;
    const auto* button = dynamic_cast<NSButton*>(&sender);
    states.push_back(button != nullptr ? button->state() : NSControlStateValueOff);
    senders.push_back(&sender);
    return true;
  }
  std::vector<NSControlStateValue> states;
  std::vector<NSControl*> senders;
};

TEST(ButtonTest, ACheckBoxClickFlipsTheStateBeforeTheActionIsSent) {
  RecordingTarget target;
  NSButton box("Show hidden files", NSButtonType::switchButton);
  box.setTarget(&target);
  box.setAction("toggled:");

  box.performClick();
  box.performClick();
  EXPECT_EQ(box.state(), NSControlStateValueOff);
  EXPECT_EQ(target.states, (std::vector{NSControlStateValueOn, NSControlStateValueOff}));
  EXPECT_EQ(target.senders, (std::vector<NSControl*>{&box, &box}));
}

TEST(ButtonTest, APushButtonClickSendsTheActionAndKeepsItsState) {
  RecordingTarget target;
  NSButton button("Add");
  button.setTarget(&target);
  button.setAction("toggled:");
  button.performClick();
  EXPECT_EQ(button.state(), NSControlStateValueOff);
  EXPECT_EQ(target.senders, (std::vector<NSControl*>{&button}));
}

TEST(ButtonTest, DisabledControlsIgnoreClicks) {
  RecordingTarget target;
  NSButton box("Open Terminal", NSButtonType::switchButton);
  NSButton push("Add");
  for (NSButton* button : {&box, &push}) {
    button->setTarget(&target);
    button->setAction("toggled:");
    button->setEnabled(false);
    button->performClick();
  }
  EXPECT_EQ(box.state(), NSControlStateValueOff);
  EXPECT_TRUE(target.senders.empty());
}

TEST(AccessibilityLabelTest, ExplicitLabelThenShownTextThenTitleElement) {
  NSView row;
  auto& name = row.addSubview<NSTextField>("Copy to a folder");
  auto& box = row.addSubview<NSButton>("", NSButtonType::switchButton);
  auto& icon = row.addSubview<NSImageView>();
  EXPECT_EQ(name.accessibilityLabel(), "Copy to a folder");
  EXPECT_EQ(box.accessibilityLabel(), "");

  box.setAccessibilityTitleUIElement(&name);
  icon.setAccessibilityTitleUIElement(&name);
  EXPECT_EQ(box.accessibilityLabel(), "Copy to a folder");
  // The title element is read when asked, so a renamed row renames its controls.
  name.setStringValue("Move to a folder");
  EXPECT_EQ(icon.accessibilityLabel(), "Move to a folder");

  box.setTitle("Enabled");
  EXPECT_EQ(box.accessibilityLabel(), "Enabled");
  box.setAccessibilityLabel("Show in menu");
  EXPECT_EQ(box.accessibilityLabel(), "Show in menu");
}

// A cell showing a command's name, as the storyboards make them.
class CommandCell final : public NSTableCellView {
 public:
  CommandCell() { textField = &addSubview<NSTextField>(); }
};

// Rows named from a list; counts what the table told it.
class ListSource final : public NSTableViewDataSource, public NSTableViewDelegate {
 public:
  std::int64_t numberOfRowsInTableView(NSTableView&) override {
    return static_cast<std::int64_t>(names.size());
  }
  NSView* tableViewViewForTableColumnRow(NSTableView& table, const NSTableColumn&,
                                         std::int64_t row) override {
    auto* cell = static_cast<CommandCell*>(table.makeViewWithIdentifier(identifier, this));
    if (cell != nullptr) cell->textField->setStringValue(names[static_cast<std::size_t>(row)]);
    return cell;
  }
  void tableViewSelectionDidChange(NSTableView& table) override {
    selections.push_back(table.selectedRow());
  }

  std::vector<std::string> names;
  std::string identifier = "CommandCell";
  std::vector<std::int64_t> selections;
};

class TableViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.registerCell("CommandCell", [] { return std::make_unique<CommandCell>(); });
    table.dataSource = &source;
    table.delegate = &source;
  }
  std::string nameAt(std::int64_t row) const {
    const auto* cell = dynamic_cast<const CommandCell*>(table.viewAtColumnRow(0, row));
    return cell != nullptr ? cell->textField->stringValue() : "<none>";
  }
  ListSource source;
  NSTableView table;
};

TEST_F(TableViewTest, ReloadAsksForEveryRowAgain) {
  EXPECT_EQ(table.numberOfRows(), 0);
  source.names = {"Open Terminal", "Copy path"};
  table.reloadData();
  ASSERT_EQ(table.numberOfRows(), 2);
  EXPECT_EQ(nameAt(0), "Open Terminal");
  EXPECT_EQ(nameAt(1), "Copy path");
  EXPECT_EQ(table.viewAtColumnRow(0, 2), nullptr);
  EXPECT_EQ(table.viewAtColumnRow(1, 0), nullptr);

  source.names = {"New file"};
  table.reloadData();
  ASSERT_EQ(table.numberOfRows(), 1);
  EXPECT_EQ(nameAt(0), "New file");

  // The delegate's nothing is an empty cell.
  source.identifier = "FolderCell";
  table.reloadData();
  ASSERT_EQ(table.numberOfRows(), 1);
  EXPECT_EQ(table.viewAtColumnRow(0, 0), nullptr);
}

TEST_F(TableViewTest, SelectionTellsTheDelegateOfEachChange) {
  source.names = {"Open Terminal", "Copy path", "New file"};
  table.reloadData();
  EXPECT_EQ(table.selectedRow(), -1);
  table.selectRow(2);
  table.selectRow(2);
  table.selectRow(7);
  EXPECT_EQ(table.selectedRow(), -1);
  EXPECT_EQ(source.selections, (std::vector<std::int64_t>{2, -1}));
}

TEST_F(TableViewTest, ASelectedRowThatIsGoneAfterAReloadIsDeselected) {
  source.names = {"Open Terminal", "Copy path", "New file"};
  table.reloadData();
  table.selectRow(1);
  source.names = {"Open Terminal", "Copy path"};
  table.reloadData();
  EXPECT_EQ(table.selectedRow(), 1);

  source.names = {"Open Terminal"};
  table.reloadData();
  EXPECT_EQ(table.selectedRow(), -1);
  EXPECT_EQ(source.selections, (std::vector<std::int64_t>{1, -1}));
}

// Writes each appearance hook into a shared log under its name.
class LoggingController final : public NSViewController {
 public:
  LoggingController(std::string name, std::vector<std::string>& log)
      : name_(std::move(name)), log_(log) {}
  void viewDidLoad() override { log_.push_back(name_ + " loaded"); }
  void viewWillAppear() override { log_.push_back(name_ + " will appear"); }
  void viewDidAppear() override { log_.push_back(name_ + " appeared"); }
  void viewWillDisappear() override { log_.push_back(name_ + " will disappear"); }
  void viewDidDisappear() override { log_.push_back(name_ + " disappeared"); }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

using Log = std::vector<std::string>;

class TabViewControllerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tabs.addTabViewItem({"Commands", commands});
    tabs.addTabViewItem({"Folders", folders});
  }
  Log log;
  std::shared_ptr<LoggingController> commands =
      std::make_shared<LoggingController>("commands", log);
  std::shared_ptr<LoggingController> folders = std::make_shared<LoggingController>("folders", log);
  NSTabViewController tabs;
};

TEST_F(TabViewControllerTest, OffScreenSelectionOnlyLoadsTheChosenTab) {
  NSTabView& view = tabs.tabView();
  ASSERT_EQ(view.tabViewItems().size(), 2u);
  EXPECT_EQ(view.tabViewItems()[0].label, "Commands");
  EXPECT_EQ(view.tabViewItems()[0].view, &commands->view());
  EXPECT_EQ(view.tabViewItems()[1].view, nullptr);
  EXPECT_EQ(log, (Log{"commands loaded"}));

  tabs.setSelectedTabViewItemIndex(1);
  EXPECT_EQ(view.tabViewItems()[1].view, &folders->view());
  EXPECT_EQ(log, (Log{"commands loaded", "folders loaded"}));
}

TEST_F(TabViewControllerTest, OnScreenSelectionSwapsWhichChildAppears) {
  tabs.beginAppearance();
  log.clear();
  tabs.setSelectedTabViewItemIndex(1);
  EXPECT_EQ(log, (Log{"commands will disappear", "commands disappeared", "folders loaded",
                      "folders will appear", "folders appeared"}));
  EXPECT_TRUE(folders->isOnScreen());
  EXPECT_FALSE(commands->isOnScreen());

  log.clear();
  tabs.setSelectedTabViewItemIndex(1);
  tabs.setSelectedTabViewItemIndex(5);
  EXPECT_TRUE(log.empty());

  tabs.endAppearance();
  EXPECT_EQ(log, (Log{"folders will disappear", "folders disappeared"}));
}

TEST(WindowTest, ReplacingTheContentOfAShownWindowSwapsWhichAppears) {
  sim::Transcript transcript;
  sim::SimWindowServer server(transcript);
  Log log;
  auto first = std::make_shared<LoggingController>("first", log);
  auto second = std::make_shared<LoggingController>("second", log);
  NSWindow window(&server);
  window.setContentViewController(first);
  EXPECT_EQ(log, (Log{"first loaded"}));

  window.makeKeyAndOrderFront();
  window.setContentViewController(second);
  EXPECT_EQ(log,
            (Log{"first loaded", "first will appear", "first appeared", "first will disappear",
                 "first disappeared", "second loaded", "second will appear", "second appeared"}));

  log.clear();
  window.orderOut();
  window.setContentViewController(first);
  EXPECT_EQ(log, (Log{"second will disappear", "second disappeared"}));
}

bool mentions(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

TEST(StoryboardTest, ErrorsNameTheIdentifierAndBothClasses) {
  NSStoryboard storyboard("Main");
  storyboard.defineController("Preferences", [] {
    return NSStoryboard::Controller(std::make_shared<NSTabViewController>());
  });
  storyboard.defineController(
      "Broken", [] { return NSStoryboard::Controller(std::shared_ptr<NSWindowController>()); });

  EXPECT_NE(storyboard.instantiateControllerWithIdentifier<NSTabViewController>("Preferences"),
            nullptr);
  try {
    storyboard.instantiateControllerWithIdentifier<NSWindowController>("Preferences");
    ADD_FAILURE() << "a tab view controller was given as a window controller";
  } catch (const NSStoryboardError& error) {
    EXPECT_TRUE(mentions(error.what(), "\"Preferences\"")) << error.what();
    EXPECT_TRUE(mentions(error.what(), "NSTabViewController")) << error.what();
    EXPECT_TRUE(mentions(error.what(), "NSWindowController")) << error.what();
  }
  try {
    storyboard.instantiateControllerWithIdentifier<NSViewController>("Broken");
    ADD_FAILURE() << "nothing was given as a view controller";
  } catch (const NSStoryboardError& error) {
    EXPECT_TRUE(mentions(error.what(), "\"Broken\"")) << error.what();
    EXPECT_TRUE(mentions(error.what(), "nothing")) << error.what();
  }
  try {
    storyboard.instantiateControllerWithIdentifier<NSViewController>("About");
    ADD_FAILURE() << "an unknown identifier gave a controller";
  } catch (const NSStoryboardError& error) {
    EXPECT_TRUE(mentions(error.what(), "\"About\"")) << error.what();
    EXPECT_TRUE(mentions(error.what(), "\"Main\"")) << error.what();
  }
}

}  // namespace
}  // namespace platform
