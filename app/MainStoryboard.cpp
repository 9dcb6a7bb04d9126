#include "app/MainStoryboard.h"

#include <utility>

#include "app/AppContext.h"
#include "app/UtilityKitWindow.h"
#include "app/ViewController.h"
#include "app/aboutVc.h"
#include "app/collectionView_cell.h"
#include "app/customFoldersVc.h"
#include "app/firstRunvc.h"
#include "app/foldersArrvc.h"
#include "app/genraltabvc.h"
#include "app/mainStartWindow.h"
#include "app/tabviewcontroller.h"
#include "app/tblcell.h"
#include "app/utilityKitvc.h"

namespace plovane::app {

namespace {

using platform::NSButton;
using platform::NSButtonType;
using platform::NSImageView;
using platform::NSStackView;
using platform::NSTextField;
using platform::NSTextFieldStyle;
using platform::NSView;

constexpr platform::NSSize kMainWindowSize{620, 480};
// Two 430-point cards side by side with room around them.
constexpr platform::NSSize kUtilityKitWindowSize{1040, 620};

std::unique_ptr<NSStackView> column() { return std::make_unique<NSStackView>(); }

NSStackView& row(NSView& parent) {
  return parent.addSubview<NSStackView>(platform::NSUserInterfaceLayoutOrientation::horizontal);
}

NSButton& button(NSView& parent, const char* title, platform::ActionTarget& target,
                 const char* action) {
  auto& made = parent.addSubview<NSButton>(title);
  made.setTarget(&target);
  made.setAction(action);
  return made;
}

NSButton& checkBox(NSView& parent, const char* title, platform::ActionTarget& target,
                   const char* action) {
  auto& made = parent.addSubview<NSButton>(title, NSButtonType::switchButton);
  made.setTarget(&target);
  made.setAction(action);
  return made;
}

void heading(NSView& parent, const char* text) {
  parent.addSubview<NSTextField>(text, NSTextFieldStyle::heading);
}

void text(NSView& parent, const char* words) {
  parent.addSubview<NSTextField>(words, NSTextFieldStyle::wrappingLabel);
}

std::unique_ptr<NSView> generalView(genraltabvc& controller) {
  auto view = column();
  heading(*view, "Extension");
  controller.lblextensionstate =
      &view->addSubview<NSTextField>("", NSTextFieldStyle::wrappingLabel);
  controller.lblrestarthint = &view->addSubview<NSTextField>("", NSTextFieldStyle::wrappingLabel);
  button(row(*view), "Open Extension Settings", controller, "btnopenSystemPrefrences:");
  text(*view,
       "It starts the extension and opens a window listing the file managers on this computer "
       "(Files, Nemo, Caja, Thunar, Plovane Finder), where you choose the ones whose right-click "
       "menu shows Plovane Menu.");
  heading(*view, "Context menu");
  controller.checkboxShowicon =
      &checkBox(*view, "Show icons in the menu", controller, "showiconinmenu:");
  controller.checkbox_showinSubMenu =
      &checkBox(*view, "Gather the commands in one \u201cPlovane Menu\u201d submenu", controller,
                "showinSubmenu:");
  return view;
}

// A row of the Menu items and Monitored folders lists: check box, icon and title; the title
// names the check box.
std::unique_ptr<platform::NSTableCellView> checkBoxCell() {
  auto cell = std::make_unique<tblcell>();
  auto& line = row(*cell);
  cell->checkbox = &line.addSubview<NSButton>("", NSButtonType::switchButton);
  cell->imgview = &line.addSubview<NSImageView>();
  cell->imgview->setPreferredSize({16, 16});
  cell->lbltitle = &line.addSubview<NSTextField>();
  cell->checkbox->setAccessibilityTitleUIElement(cell->lbltitle);
  cell->imageView = cell->imgview;
  cell->textField = cell->lbltitle;
  return cell;
}

std::unique_ptr<NSView> menuItemsView(ViewController& controller) {
  auto view = column();
  text(*view, "Choose the commands the context menu shows.");
  controller.tblview = &view->addSubview<platform::NSTableView>();
  controller.tblview->setAccessibilityLabel("Menu items");
  controller.tblview->registerCell("tblcell", checkBoxCell);
  text(*view, "Changes to this list show in the menu at the next right-click.");
  return view;
}

std::unique_ptr<NSView> foldersView(foldersArrvc& controller) {
  auto view = column();
  text(*view,
       "The menu appears inside these folders. A folder switched off here is left out from the "
       "next right-click on.");
  controller.tblview = &view->addSubview<platform::NSTableView>();
  controller.tblview->setAccessibilityLabel("Monitored folders");
  controller.tblview->registerCell("tblcell", checkBoxCell);
  auto& buttons = row(*view);
  button(buttons, "Add Folder\u2026", controller, "btnAddItems:");
  button(buttons, "Remove Folder", controller, "btnremoveitem:");
  return view;
}

// A row of the Custom folders list: a button that deletes the entry, then its icon and name;
// the buttons line up in front of names of any length.
std::unique_ptr<platform::NSTableCellView> customFolderCell() {
  auto cell = std::make_unique<tblcell>();
  auto& line = row(*cell);
  cell->btnDelete = &line.addSubview<NSButton>("Delete");
  cell->imgview = &line.addSubview<NSImageView>();
  cell->imgview->setPreferredSize({16, 16});
  cell->lbltitle = &line.addSubview<NSTextField>();
  cell->imageView = cell->imgview;
  cell->textField = cell->lbltitle;
  return cell;
}

std::unique_ptr<NSView> customFoldersView(customFoldersVc& controller) {
  auto view = column();
  text(*view,
       "The menu offers these folders and applications as shortcuts. Add more with \u201cAdd "
       "Folders\u201d in the file manager\u2019s right-click menu.");
  controller.tblview = &view->addSubview<platform::NSTableView>();
  controller.tblview->setAccessibilityLabel("Custom folders");
  controller.tblview->registerCell("tblcell", customFolderCell);
  return view;
}

std::unique_ptr<NSView> aboutView(const platform::NSBundle& mainBundle, aboutVc& controller) {
  auto view = column();
  auto& icon = view->addSubview<NSImageView>();
  icon.setImage(platform::NSImage::imageNamed(mainBundle, "AppIcon"));
  icon.setPreferredSize({64, 64});
  icon.setAccessibilityLabel("Plovane Menu icon");
  heading(*view, "Plovane Menu");
  controller.lblAppversion = &view->addSubview<NSTextField>();
  auto& links = row(*view);
  for (auto [title, action] : {std::pair{"Web Site", "btnweb:"},
                               {"Facebook", "btnfacebook:"},
                               {"Twitter", "btntwitter:"}}) {
    button(links, title, controller, action).setShowsPointingHand(true);
  }
  button(row(*view), "Rate Plovane Menu", controller, "btnRateusClciked:")
      .setShowsPointingHand(true);
  return view;
}

std::unique_ptr<NSView> firstRunView(firstRunvc& controller) {
  auto view = column();
  heading(*view, "Welcome to Plovane Menu");
  text(*view,
       "Plovane Menu adds commands to your file manager\u2019s right-click menu. Two steps set "
       "it up; once both are done, Plovane Menu tells you and closes.");
  heading(*view, "1. Enable the extension");
  text(*view,
       "The extension answers the file manager. This step is done as soon as it runs, or is "
       "installed where the file manager starts it; it is checked every few seconds. The button "
       "also opens a window listing the file managers on "
       "this computer: leave the menu on in the one you use.");
  controller.btnpreferences =
      &button(row(*view), "Enable Plovane Menu Extension", controller, "btnsystemPrefrences:");
  heading(*view, "2. Choose folders");
  text(*view, "The menu appears for items inside the folders you grant access to.");
  controller.lblrestarthint = &view->addSubview<NSTextField>("", NSTextFieldStyle::wrappingLabel);
  controller.btnuserfolder =
      &button(row(*view), "Choose Folders\u2026", controller, "btnselectfolder:");
  return view;
}

// A card of the other-apps grid: the icon beside the title, description, category and the
// store button, at the top of the card; the title names the card.
std::unique_ptr<NSView> otherAppCardView(collectionView_cell& cell) {
  auto card = column();
  auto& line =
      card->addSubview<NSStackView>(platform::NSUserInterfaceLayoutOrientation::horizontal, 16);
  cell.imgview = &line.addSubview<NSImageView>();
  cell.imgview->setPreferredSize({96, 96});
  auto& texts = line.addSubview<NSStackView>();
  cell.lbltitle = &texts.addSubview<NSTextField>("", NSTextFieldStyle::heading);
  cell.lblsubtitle = &texts.addSubview<NSTextField>("", NSTextFieldStyle::wrappingLabel);
  cell.lblapptype = &texts.addSubview<NSTextField>();
  cell.btnappstore = &texts.addSubview<NSButton>("View in App Store");
  cell.btnappstore->setShowsPointingHand(true);
  card->setAccessibilityTitleUIElement(cell.lbltitle);
  return card;
}

std::unique_ptr<platform::NSCollectionViewItem> otherAppCard() {
  auto cell = std::make_unique<collectionView_cell>();
  cell->setViewLoader([raw = cell.get()] { return otherAppCardView(*raw); });
  return cell;
}

std::unique_ptr<NSView> utilityKitView(utilityKitvc& controller) {
  auto view = column();
  controller.lblotherapps = &view->addSubview<NSTextField>("", NSTextFieldStyle::heading);
  controller.scrollview = &view->addSubview<platform::NSScrollView>();
  controller.collectionView = &controller.scrollview->addSubview<platform::NSCollectionView>();
  controller.collectionView->setAccessibilityLabel("Other apps");
  controller.collectionView->registerItem(kCollectionViewCellIdentifier, otherAppCard);
  return view;
}

// A controller with a view laid out by `layout`.
template <class Controller, class Layout>
std::shared_ptr<Controller> withView(std::shared_ptr<Controller> controller, Layout layout) {
  controller->setViewLoader([raw = controller.get(), layout] { return layout(*raw); });
  return controller;
}

template <class Controller>
std::shared_ptr<Controller> viewController(typename Controller::Services services,
                                           std::unique_ptr<NSView> (*layout)(Controller&)) {
  return withView(std::make_shared<Controller>(std::move(services)), layout);
}

}  // namespace

platform::NSStoryboard makeMainStoryboard(AppContext& context) {
  platform::NSStoryboard main("Main");
  platform::Platform& services = context.platform;
  auto* windowServer = &services.windowServer;
  // The main window is made after its content, so a sheet asks for it when it is shown.
  auto mainWindow = [&context]() -> platform::NSWindow& {
    return *context.mainWindowController()->window();
  };
  main.defineController(storyboard::mainStartWindow, [&context, &services, windowServer] {
    auto controller = std::make_shared<mainStartWindow>(
        mainStartWindow::Services{services.defaults, services.log, services.modals,
                                  services.notificationCenter, context.application},
        context);
    auto window = std::make_unique<platform::NSWindow>(windowServer);
    window->setTitle("Plovane Menu");
    window->setContentSize(kMainWindowSize);
    controller->loadWindow(std::move(window));
    return controller;
  });
  main.defineController(storyboard::firstRunvc, [&context, &services, mainWindow] {
    return viewController<firstRunvc>(
        {services.defaults, services.runLoop, services.workspace, services.modals, services.log,
         services.finderSyncController, context.application, mainWindow},
        firstRunView);
  });
  main.defineController(storyboard::genraltabvc, [&services] {
    return viewController<genraltabvc>(
        {services.defaults, services.runLoop, services.workspace, services.log, services.modals},
        generalView);
  });
  main.defineController(storyboard::menuItemsvc, [&services] {
    return viewController<ViewController>(
        {services.defaults, services.mainBundle, services.log, services.modals}, menuItemsView);
  });
  main.defineController(storyboard::foldersArrvc, [&context, &services, mainWindow] {
    return viewController<foldersArrvc>(
        {services.defaults, services.workspace, services.modals, services.log,
         services.finderSyncController, context.allBookmarks, mainWindow},
        foldersView);
  });
  main.defineController(storyboard::customFoldersVc, [&services] {
    return viewController<customFoldersVc>({services.defaults, services.notificationCenter,
                                            services.workspace, services.log, services.modals},
                                           customFoldersView);
  });
  main.defineController(storyboard::aboutVc, [&services] {
    return withView(
        std::make_shared<aboutVc>(
            aboutVc::Services{services.mainBundle, services.workspace, services.log}),
        [&services](aboutVc& controller) { return aboutView(services.mainBundle, controller); });
  });
  main.defineController(storyboard::tabviewcontroller, [&context] {
    auto tabs = std::make_shared<tabviewcontroller>();
    auto& board = context.storyboard();
    tabs->addTabViewItem({"General", board.instantiateControllerWithIdentifier<genraltabvc>(
                                         storyboard::genraltabvc)});
    tabs->addTabViewItem({"Menu Items", board.instantiateControllerWithIdentifier<ViewController>(
                                            storyboard::menuItemsvc)});
    tabs->addTabViewItem(
        {"Monitored Folders",
         board.instantiateControllerWithIdentifier<foldersArrvc>(storyboard::foldersArrvc)});
    // The application menu's About item selects the tab at index 3.
    tabs->addTabViewItem(
        {"About", board.instantiateControllerWithIdentifier<aboutVc>(storyboard::aboutVc)});
    tabs->addTabViewItem(
        {"Custom Folders",
         board.instantiateControllerWithIdentifier<customFoldersVc>(storyboard::customFoldersVc)});
    return tabs;
  });
  main.defineController(storyboard::utilityKitvc, [&services] {
    return viewController<utilityKitvc>({services.mainBundle, services.fileManager,
                                         services.runLoop, services.log, services.workspace},
                                        utilityKitView);
  });
  main.defineController(storyboard::UtilityKitWindow, [&context, windowServer] {
    auto controller = std::make_shared<UtilityKitWindow>(context);
    auto window = std::make_unique<platform::NSWindow>(windowServer);
    window->setTitle("Utility Kit");
    window->setContentSize(kUtilityKitWindowSize);
    controller->loadWindow(std::move(window));
    return controller;
  });
  return main;
}

}  // namespace plovane::app
