// The Menu items tab: the stored command list as rows, and toggling a command.
#include "app/ViewController.h"
#include "app/tblcell.h"
#include "shared/CommandCatalogue.h"
#include "tests/app/SettingsAppFixture.h"

namespace plovane {
namespace {

using platform::NSControlStateValueOff;
using platform::NSControlStateValueOn;
using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistValue;

class MenuItemsTabTest : public testing::SettingsAppFixture {
 protected:
  // The tab's view as the person first opens it.
  app::ViewController& open() {
    markFirstRunDone();
    launch();
    tabs().setSelectedTabViewItemIndex(1);
    return tab<app::ViewController>(1);
  }
  app::tblcell& row(std::int64_t index) {
    return dynamic_cast<app::tblcell&>(
        *tab<app::ViewController>(1).tblview->viewAtColumnRow(0, index));
  }
  PlistArray stored() { return *env.openSuite()->arrayForKey(keys::menuArrayDic); }
};

PlistValue entry(const char* title, std::optional<bool> state) {
  PlistDictionary fields{{"title", title}};
  if (state) fields["state"] = *state;
  return fields;
}

TEST_F(MenuItemsTabTest, AnEmptyStoreListsEveryCommandTickedWithItsIcon) {
  auto& controller = open();
  ASSERT_EQ(controller.tblview->numberOfRows(), 16);
  for (std::size_t position = 0; position < kCatalogueSize; ++position) {
    auto& cell = row(static_cast<std::int64_t>(position));
    EXPECT_EQ(cell.lbltitle->stringValue(), kCatalogueTitles[position]);
    EXPECT_EQ(cell.checkbox->state(), NSControlStateValueOn);
    ASSERT_TRUE(cell.imgview->image()) << kCatalogueTitles[position];
    EXPECT_EQ(cell.imgview->image()->name(), *commandIconName(kCatalogueTitles[position]));
    // A screen reader names each check box by its row.
    EXPECT_EQ(cell.checkbox->accessibilityLabel(), kCatalogueTitles[position]);
  }
  EXPECT_EQ(stored().size(), 16u);
}

TEST_F(MenuItemsTabTest, UntickingACommandWritesTheWholeListWithOnlyThatChanged) {
  open();
  const auto before = stored();
  row(0).checkbox->performClick();
  auto after = stored();
  EXPECT_EQ(after[0], entry("Open Terminal", false));
  for (std::size_t i = 1; i < after.size(); ++i) EXPECT_EQ(after[i], before[i]);
  EXPECT_EQ(row(0).checkbox->state(), NSControlStateValueOff);
}

TEST_F(MenuItemsTabTest, EntriesWithoutAStateOrWithAnUnknownTitleShowAsTheyAre) {
  env.openSuite()->setObject(
      PlistArray{entry("Open Terminal", std::nullopt), entry("Fold Laundry", true)},
      keys::menuArrayDic);
  open();
  EXPECT_EQ(row(0).checkbox->state(), NSControlStateValueOff);
  EXPECT_EQ(row(1).lbltitle->stringValue(), "Fold Laundry");
  EXPECT_FALSE(row(1).imgview->image());

  row(0).checkbox->performClick();
  EXPECT_EQ(stored()[0], entry("Open Terminal", true));
  EXPECT_EQ(stored()[1], entry("Fold Laundry", true));
}

TEST_F(MenuItemsTabTest, WithoutAStoreTogglingChangesOnlyTheShownList) {
  env.defaults.setSuitesUnavailable(true);
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));  // "cannot save its settings"
  auto& controller = open();
  ASSERT_EQ(controller.tblview->numberOfRows(), 16);
  row(3).checkbox->performClick();
  EXPECT_EQ(row(3).checkbox->state(), NSControlStateValueOff);
}

TEST_F(MenuItemsTabTest, AListThatCannotBeSavedGoesBackAndTheUserIsTold) {
  open();
  breakWritesOf(kSuiteName);
  env.modals.answer(platform::sim::ModalAnswer::button("OK"));
  row(2).checkbox->performClick();
  EXPECT_EQ(row(2).checkbox->state(), NSControlStateValueOn);
  ASSERT_EQ(env.modals.shown.size(), 1u);
  EXPECT_EQ(std::get<platform::NSAlert>(env.modals.shown.front()).messageText,
            "Your change could not be saved.");
}

}  // namespace
}  // namespace plovane
