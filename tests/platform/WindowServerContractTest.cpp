// One body for both backends: what the program's windows and its presence look like on screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

#include "desktop/widgets/QtWindowServer.h"
#include "platform/NSApplication.h"
#include "sim/SimWindowServer.h"
#include "support/QtApplication.h"

namespace platform {
namespace {

// A screen a test can look at, with the backend's window server behind it.
class Screen {
 public:
  virtual ~Screen() = default;
  virtual WindowServer& server() = 0;
  virtual bool isShown(const NSWindow& window) = 0;
  // Whether `window` is the one in front, the one the person types into.
  virtual bool isFront(const NSWindow& window) = 0;
  // Some other program comes forward.
  virtual void anotherProgramTakesFocus() = 0;
  // Whether this program came forward since another took the focus.
  virtual bool programIsActive() = 0;
  virtual std::optional<NSApplicationActivationPolicy> publishedPolicy() = 0;
  // Runs the program's loop; true when something ended it from inside.
  virtual bool runLoopEnded() = 0;
};

class SimScreen final : public Screen {
 public:
  WindowServer& server() override { return server_; }
  bool isShown(const NSWindow& window) override {
    return std::ranges::find(server_.visibleWindows, &window) != server_.visibleWindows.end();
  }
  bool isFront(const NSWindow& window) override {
    return !server_.visibleWindows.empty() && server_.visibleWindows.back() == &window;
  }
  void anotherProgramTakesFocus() override { activationsBefore_ = server_.activations; }
  bool programIsActive() override { return server_.activations > activationsBefore_; }
  std::optional<NSApplicationActivationPolicy> publishedPolicy() override {
    return server_.activationPolicy;
  }
  bool runLoopEnded() override { return server_.terminated; }

 private:
  sim::Transcript transcript_;
  sim::SimWindowServer server_{transcript_};
  int activationsBefore_ = 0;
};

class QtScreen final : public Screen {
 public:
  QtScreen() {
    server_.setActivationPolicyHandler([this](auto policy) { published_ = policy; });
  }
  WindowServer& server() override { return server_; }
  bool isShown(const NSWindow& window) override {
    const QWidget* widget = server_.widgetFor(window);
    return widget != nullptr && widget->isVisible();
  }
  // Activation reaches the widgets through the window system's queue.
  bool isFront(const NSWindow& window) override {
    const QWidget* widget = server_.widgetFor(window);
    return widget != nullptr &&
           QTest::qWaitFor([widget] { return QApplication::activeWindow() == widget; });
  }
  void anotherProgramTakesFocus() override {
    elsewhere_.show();
    elsewhere_.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &elsewhere_; }));
  }
  bool programIsActive() override {
    return QTest::qWaitFor([this] {
      const QWidget* active = QApplication::activeWindow();
      return active != nullptr && active != &elsewhere_;
    });
  }
  std::optional<NSApplicationActivationPolicy> publishedPolicy() override { return published_; }
  bool runLoopEnded() override {
    // A loop nothing ends would hold the test up: a late timer ends it with another code.
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    bound.start(10000);
    return QApplication::exec() == 0;
  }

 private:
  QApplication& application_ = plovane::testing::qtApplication();
  desktop::QtWindowServer server_{"/nonexistent"};
  std::optional<NSApplicationActivationPolicy> published_;
  QWidget elsewhere_;
};

class WindowServerContractTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    screen = GetParam() ? std::unique_ptr<Screen>(std::make_unique<QtScreen>())
                        : std::make_unique<SimScreen>();
  }
  std::unique_ptr<Screen> screen;
};

TEST_P(WindowServerContractTest, WindowsComeAndGoAndTheLastOrderedFrontIsInFront) {
  NSWindow settings(&screen->server());
  settings.setTitle("Plovane Menu");
  NSWindow about(&screen->server());
  about.setTitle("About");
  EXPECT_FALSE(screen->isShown(settings));

  settings.makeKeyAndOrderFront();
  EXPECT_TRUE(screen->isShown(settings));
  EXPECT_TRUE(screen->isFront(settings));
  about.makeKeyAndOrderFront();
  EXPECT_TRUE(screen->isFront(about));

  about.orderOut();
  EXPECT_FALSE(screen->isShown(about));
  EXPECT_TRUE(screen->isShown(settings));
  settings.makeKeyAndOrderFront();
  EXPECT_TRUE(screen->isFront(settings));

  settings.performClose();
  EXPECT_FALSE(screen->isShown(settings));
  EXPECT_FALSE(settings.isVisible());
}

TEST_P(WindowServerContractTest, ActivationBringsTheProgramForward) {
  NSApplication application(screen->server(), NSApplicationActivationPolicy::accessory);
  NSWindow window(&screen->server());
  window.setTitle("Plovane Menu");
  window.makeKeyAndOrderFront();
  screen->anotherProgramTakesFocus();

  application.activateIgnoringOtherApps(true);
  EXPECT_TRUE(screen->programIsActive());
  EXPECT_TRUE(screen->isFront(window));
}

TEST_P(WindowServerContractTest, ThePolicyIsPublished) {
  NSApplication application(screen->server(), NSApplicationActivationPolicy::accessory);
  EXPECT_EQ(screen->publishedPolicy(), std::nullopt);
  application.setActivationPolicy(NSApplicationActivationPolicy::regular);
  EXPECT_EQ(screen->publishedPolicy(), NSApplicationActivationPolicy::regular);
  application.setActivationPolicy(NSApplicationActivationPolicy::accessory);
  EXPECT_EQ(screen->publishedPolicy(), NSApplicationActivationPolicy::accessory);
}

TEST_P(WindowServerContractTest, TerminatingEndsTheRunLoop) {
  NSApplication application(screen->server(), NSApplicationActivationPolicy::regular);
  application.terminate(nullptr);
  EXPECT_TRUE(application.isTerminating());
  EXPECT_TRUE(screen->runLoopEnded());
}

INSTANTIATE_TEST_SUITE_P(Backends, WindowServerContractTest, ::testing::Values(false, true),
                         [](const auto& backend) { return backend.param ? "Qt" : "Sim"; });

}  // namespace
}  // namespace platform
