// One body for both backends: how an alert answers, whatever its buttons, run modally or as a
// sheet. The sim takes scripted answers; the desktop's real dialog is clicked.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/QtModals.h"
#include "scripted/AnsweredModals.h"
#include "sim/SimRunLoop.h"
#include "support/AlertActionTarget.h"
#include "support/QtApplication.h"

namespace platform {
namespace {

class Backend {
 public:
  virtual ~Backend() = default;
  virtual Modals& modals() = 0;
  // Presses the alert's buttons with these titles, one each time an alert is shown.
  virtual void pressInTurn(std::vector<std::string> titles) = 0;
  // Lets the program's loop run until `done` holds; false when it never does.
  virtual bool runUntil(const std::function<bool()>& done) = 0;
};

class SimBackend final : public Backend {
 public:
  Modals& modals() override { return modals_; }
  void pressInTurn(std::vector<std::string> titles) override {
    for (auto& title : titles) modals_.answer(scripted::ModalAnswer::button(std::move(title)));
  }
  bool runUntil(const std::function<bool()>& done) override {
    loop_.drain();
    return done();
  }

 private:
  std::vector<std::string> shown_;
  sim::SimRunLoop loop_;
  scripted::AnsweredModals modals_{shown_, loop_};
};

class DesktopBackend final : public Backend {
 public:
  DesktopBackend() { plovane::testing::qtApplication(); }
  Modals& modals() override { return modals_; }
  void pressInTurn(std::vector<std::string> titles) override {
    QTimer::singleShot(0, [titles] {
      for (const auto& title : titles) {
        if (!QTest::qWaitFor([&] { return buttonTitled(title) != nullptr; })) {
          ADD_FAILURE() << "no alert with a button " << title;
          break;
        }
        buttonTitled(title)->click();
      }
      // Whatever a failed check left open is closed, so the test cannot block.
      while (auto* open = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        open->done(QDialog::Rejected);
      }
    });
  }
  bool runUntil(const std::function<bool()>& done) override {
    return QTest::qWaitFor(done, 10'000);
  }

 private:
  static QPushButton* buttonTitled(const std::string& title) {
    auto* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return nullptr;
    for (auto* button : dialog->findChildren<QPushButton*>()) {
      if (button->text().toStdString() == title && button->isVisible()) return button;
    }
    return nullptr;
  }
  desktop::QtModals modals_{QStringLiteral("Plovane Menu")};
};

using AlertActionTarget = plovane::testing::AlertActionTarget;

class ModalsContractTest : public ::testing::TestWithParam<bool> {
 protected:
  ModalsContractTest() {
    if (GetParam()) {
      backend = std::make_unique<DesktopBackend>();
    } else {
      backend = std::make_unique<SimBackend>();
    }
  }
  std::unique_ptr<Backend> backend;
};

TEST_P(ModalsContractTest, AnAlertWithoutButtonsOffersOKAsItsFirstButton) {
  NSAlert alert;
  alert.messageText = "The folder could not be added.";
  backend->pressInTurn({"OK"});
  EXPECT_EQ(backend->modals().runModal(alert), NSAlertFirstButtonReturn);
  ASSERT_EQ(alert.buttons.size(), 1u);
  EXPECT_EQ(alert.buttons.front().title, "OK");
  EXPECT_FALSE(alert.window().isVisible());

  auto sheet = std::make_shared<NSAlert>();
  NSWindow window;
  std::optional<NSModalResponse> answered;
  backend->pressInTurn({"OK"});
  backend->modals().beginSheetModalForWindow(
      sheet, window, [&](NSModalResponse response) { answered = response; });
  ASSERT_TRUE(backend->runUntil([&] { return answered.has_value(); }));
  EXPECT_EQ(*answered, NSAlertFirstButtonReturn);
}

TEST_P(ModalsContractTest, EachButtonAnswersWithItsPosition) {
  NSAlert alert;
  for (const char* title : {"Replace", "Cancel", "Keep Both"}) alert.addButtonWithTitle(title);
  backend->pressInTurn({"Keep Both"});
  EXPECT_EQ(backend->modals().runModal(alert), NSAlertFirstButtonReturn + 2);
}

TEST_P(ModalsContractTest, ATargetedButtonSendsItsActionAndTheAlertStaysUntilAnActionEndsIt) {
  NSAlert alert;
  AlertActionTarget target(alert);
  auto& later = alert.addButtonWithTitle("Remind Me");
  later.target = &target;
  later.action = "remind";
  auto& rate = alert.addButtonWithTitle("Rate Now");
  rate.target = &target;
  rate.action = "finish";
  backend->pressInTurn({"Remind Me", "Remind Me", "Rate Now"});
  EXPECT_EQ(backend->modals().runModal(alert), NSAlertFirstButtonReturn + 1);
  EXPECT_EQ(target.performed, (std::vector<std::string>{"remind", "remind", "finish"}));
  EXPECT_FALSE(alert.window().isVisible());
}

INSTANTIATE_TEST_SUITE_P(Backends, ModalsContractTest, ::testing::Values(false, true),
                         [](const auto& backend) { return backend.param ? "Desktop" : "Sim"; });

}  // namespace
}  // namespace platform
