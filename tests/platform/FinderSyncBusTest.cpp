// Both ends of the extension's bus on a bus of the test's own: the service exports exactly what
// FinderSyncProtocol.h describes, and each of the client's calls reaches it and reads its answer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QEventLoop>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QXmlStreamReader>
#include <algorithm>
#include <functional>
#include <mutex>
#include <set>
#include <stdexcept>

#include "desktop/HostDirectorySet.h"
#include "desktop/QtRunLoop.h"
#include "desktop/findersync/FinderSyncClient.h"
#include "desktop/findersync/FinderSyncService.h"
#include "desktop/findersync/MainLoopBus.h"
#include "platform/NSMenu.h"
#include "protocol/FinderSyncProtocol.h"
#include "support/FileTree.h"
#include "support/PrivateSessionBus.h"
#include "support/QtApplication.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

// A principal object whose menu has an entry that defers work, one whose work fails and one
// whose work waits in a nested loop, as a dialog does; it records what the file manager told it. It
// runs on the service's thread, the test reads on its own.
class RecordingFinderSync final : public FIFinderSync {
 public:
  explicit RecordingFinderSync(RunLoop& runLoop) : runLoop_(runLoop) {}

  void beginObservingDirectoryAtURL(const NSURL& url) override { record("begin " + url.path()); }
  void endObservingDirectoryAtURL(const NSURL& url) override { record("end " + url.path()); }
  void requestBadgeIdentifierForURL(const NSURL& url) override { record("badge " + url.path()); }
  void requestBadgeIdentifiersForURLs(const std::vector<NSURL>& urls) override {
    record("badges " + std::to_string(urls.size()) + " from " + urls.front().path());
  }

  std::shared_ptr<NSMenu> menuForMenuKind(FIMenuKind kind) override {
    record("menu " + std::to_string(static_cast<int>(kind)));
    auto menu = std::make_shared<NSMenu>("context");
    NSMenuItem copy("Copy", "copyClicked:", "c");
    copy.tag = 4;
    menu->addItem(copy);
    menu->addItem(NSMenuItem("Fail", "failClicked:", ""));
    menu->addItem(NSMenuItem("Wait", "waitClicked:", ""));
    return menu;
  }

  bool performSelector(const std::string& selector, const NSMenuItem* sender) override {
    if (selector == "copyClicked:") {
      runLoop_.dispatchAsyncMain(
          [this, tag = sender->tag] { record("copied " + std::to_string(tag)); });
      return true;
    }
    if (selector == "failClicked:") {
      runLoop_.dispatchAsyncMain([] { throw std::runtime_error("the disk is full"); });
      return true;
    }
    if (selector == "waitClicked:") {
      waitForAMenu();
      return true;
    }
    return false;
  }

  std::vector<std::string> calls() {
    const std::lock_guard lock(mutex_);
    return calls_;
  }

 private:
  void record(std::string call) {
    const std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }

  // Until the next menu is asked for, or ten seconds, in a loop that goes on serving events.
  void waitForAMenu() {
    record("waiting");
    const auto menusAsked = [this] {
      const auto calls = this->calls();
      return std::count_if(calls.begin(), calls.end(),
                           [](const std::string& call) { return call.starts_with("menu"); });
    };
    const auto before = menusAsked();
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
      if (menusAsked() > before) loop.quit();
    });
    look.start(1);
    QTimer::singleShot(10'000, &loop, &QEventLoop::quit);
    loop.exec();
    record("waited");
  }

  RunLoop& runLoop_;
  std::mutex mutex_;
  std::vector<std::string> calls_;
};

// Answers as a script gives them: every text is an answer, and none is used up.
class ListedAnswers final : public ScriptedModalAnswers {
 public:
  bool answer(const std::string& text) override {
    const std::lock_guard lock(mutex_);
    answers_.push_back(text);
    return true;
  }
  void forgetAnswers() override {
    const std::lock_guard lock(mutex_);
    answers_.clear();
  }
  void dropAnswers(const std::string& why) override {
    forgetAnswers();
    const std::lock_guard lock(mutex_);
    dropped_.push_back(why);
  }
  std::size_t answersLeft() const override {
    const std::lock_guard lock(mutex_);
    return answers_.size();
  }
  std::vector<std::string> takeShown() override { return {}; }
  std::vector<std::string> dropped() const {
    const std::lock_guard lock(mutex_);
    return dropped_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> answers_;
  std::vector<std::string> dropped_;
};

// The extension's end as its process runs it, but on a thread of its own, so that the client's
// blocking calls from the test's thread are answered meanwhile. It is exported from that thread,
// where the bus's relay of its signal must live.
class ServedExtension {
 public:
  ServedExtension(const std::string& address, UserDefaultsRoot& defaults, const NSURL& monitored,
                  ScriptedModalAnswers* scripted)
      : defaults_(defaults), directories_(defaults), scripted_(scripted) {
    directories_.setDirectoryURLs({monitored});
    context_.moveToThread(&thread_);
    service_.moveToThread(&thread_);
    thread_.start();
    onServiceThread([this, address] {
      std::string why;
      bus_ = MainLoopBus::connect(address, why);
      registered_ = bus_ && service_.publish(*bus_) && bus_->requestName(protocol::kService);
    });
  }

  ~ServedExtension() {
    // Back to this thread before that one ends, so everything is destroyed where it lives.
    QThread* here = QThread::currentThread();
    onServiceThread([this, here] {
      service_.withdraw();
      bus_.reset();
      service_.moveToThread(here);
      context_.moveToThread(here);
    });
    thread_.quit();
    thread_.wait();
  }

  bool registered() const { return registered_; }
  RecordingFinderSync& principal() { return principal_; }

 private:
  void onServiceThread(const std::function<void()>& work) {
    QMetaObject::invokeMethod(&service_, work, Qt::BlockingQueuedConnection);
  }

  std::unique_ptr<MainLoopBus> bus_;
  UserDefaultsRoot& defaults_;
  QObject context_;
  QtRunLoop runLoop_{context_};
  HostDirectorySet directories_;
  RecordingFinderSync principal_{runLoop_};
  ScriptedModalAnswers* scripted_;
  FinderSyncService service_{principal_, directories_,     defaults_,
                             runLoop_,   "/srv/Resources", scripted_};
  QThread thread_;
  bool registered_ = false;
};

// Each method and signal of `interface` as the bus's introspection lists it, with its types as
// GVariant tuples: "method Menu (iaay) (s)", "signal ActionFinished (uassu)".
std::set<std::string> exportedMembers(const QString& xml, const QString& interface) {
  std::set<std::string> members;
  QXmlStreamReader reader(xml);
  bool inside = false;
  bool isSignal = false;
  std::string member, sent, answered;
  while (!reader.atEnd()) {
    reader.readNext();
    const auto element = reader.name();
    const auto attributes = reader.attributes();
    if (reader.isStartElement() && element == u"interface") {
      inside = attributes.value("name") == interface;
    } else if (inside && reader.isStartElement() &&
               (element == u"method" || element == u"signal")) {
      isSignal = element == u"signal";
      member = element.toString().toStdString() + " " +
               attributes.value("name").toString().toStdString();
      sent.clear();
      answered.clear();
    } else if (inside && reader.isStartElement() && element == u"arg") {
      const auto type = attributes.value("type").toString().toStdString();
      // A signal's arguments are listed as going out; they are what it sends.
      (isSignal || attributes.value("direction") != u"out" ? sent : answered) += type;
    } else if (inside && reader.isEndElement() && (element == u"method" || element == u"signal")) {
      members.insert(member + " (" + sent + ")" + (isSignal ? "" : " (" + answered + ")"));
    }
  }
  return members;
}

class FinderSyncBusTest : public ::testing::Test {
 protected:
  // `scripted`: the extension runs without a display, its modals answered over the bus.
  explicit FinderSyncBusTest(bool scripted = false)
      : extension{bus.clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS"), defaults,
                  NSURL::fileURLWithPath(work.string()), scripted ? &answers : nullptr} {}
  void SetUp() override { ASSERT_TRUE(extension.registered()); }
  void TearDown() override {
    for (const char* name : {"finder-sync-client", "finder-sync-other"}) {
      QDBusConnection::disconnectFromBus(name);
    }
  }

  QDBusConnection connection(const char* name) {
    return QDBusConnection::connectToBus(
        QString::fromStdString(bus.clientEnvironment().at("DBUS_SESSION_BUS_ADDRESS")), name);
  }
  std::vector<NSURL> selection(const std::string& name) {
    return {NSURL::fileURLWithPath((work / name).string())};
  }

  QApplication& application = plovane::testing::qtApplication();
  plovane::testing::TemporaryFolder folder;
  plovane::testing::PrivateSessionBus bus{folder.path(), folder.path(), {}};
  UserDefaultsRoot defaults{folder.path() / "store", [](const std::string&) {}};
  std::filesystem::path work = plovane::testing::makeFolder(folder.path() / "Work", {"a.txt"});
  ListedAnswers answers;
  ServedExtension extension;
  FinderSyncClient client{connection("finder-sync-client")};
};

class ScriptedFinderSyncBusTest : public FinderSyncBusTest {
 protected:
  ScriptedFinderSyncBusTest() : FinderSyncBusTest(true) {}

  NSMenuItem copyEntry() {
    const auto menu = client.menu(FIMenuKind::contextualMenuForItems, selection("a.txt"));
    if (!std::holds_alternative<TransportedMenu>(menu)) return NSMenuItem("", "", "");
    return std::get<TransportedMenu>(menu).menu->items.at(0);
  }
};

TEST_F(FinderSyncBusTest, TheServiceExportsWhatTheProtocolDescribes) {
  const auto introspect = QDBusMessage::createMethodCall(
      protocol::kService, protocol::kPath, "org.freedesktop.DBus.Introspectable", "Introspect");
  const auto reply = connection("finder-sync-client").call(introspect);
  ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();

  std::set<std::string> described = {std::string("signal ") + protocol::kActionFinished.name + " " +
                                     protocol::kActionFinished.arguments};
  for (const auto& method : protocol::kMethods) {
    described.insert(std::string("method ") + method.name + " " + method.arguments + " " +
                     method.reply);
  }
  EXPECT_EQ(exportedMembers(reply.arguments().at(0).toString(), protocol::kInterface), described);
}

TEST_F(FinderSyncBusTest, EachCallOfTheClientReachesTheServiceAndReadsItsAnswer) {
  const auto menu = client.menu(FIMenuKind::contextualMenuForContainer, selection("a.txt"));
  ASSERT_TRUE(std::holds_alternative<TransportedMenu>(menu)) << std::get<std::string>(menu);
  const auto& transported = std::get<TransportedMenu>(menu);
  EXPECT_EQ(transported.resources, "/srv/Resources");
  ASSERT_EQ(transported.menu->items.size(), 3u);
  const NSMenuItem copy = transported.menu->items[0];
  EXPECT_EQ(copy.tag, 4);
  EXPECT_EQ(copy.keyEquivalent, "c");

  // The work the entry deferred has run by the time its report arrives.
  const auto copied = client.performAndWait(copy, selection("a.txt"), 10'000);
  ASSERT_TRUE(std::holds_alternative<ActionOutcome>(copied)) << std::get<std::string>(copied);
  EXPECT_EQ(std::get<ActionOutcome>(copied).failure, "");
  EXPECT_EQ(extension.principal().calls().back(), "copied 4");
  const auto failed = client.performAndWait(transported.menu->items[1], selection("a.txt"), 10'000);
  ASSERT_TRUE(std::holds_alternative<ActionOutcome>(failed)) << std::get<std::string>(failed);
  EXPECT_EQ(std::get<ActionOutcome>(failed).failure, "the disk is full");

  // An entry the menu did not offer is refused, and so are answers without a script to take them.
  auto forged = copy;
  forged.tag = 5;
  const auto refused = client.perform(forged, selection("a.txt"));
  ASSERT_TRUE(std::holds_alternative<std::string>(refused));
  EXPECT_NE(std::get<std::string>(refused).find("no entry \"Copy\""), std::string::npos);
  const auto answered = client.answerModals({"cancel"});
  ASSERT_TRUE(answered);
  EXPECT_NE(answered->find("answered by the person at the display"), std::string::npos);

  // What the file manager only tells the extension arrives in the order it was sent.
  client.beginObserving(NSURL::fileURLWithPath(work.string()));
  client.requestBadge(selection("a.txt").front());
  client.endObserving(NSURL::fileURLWithPath(work.string()));
  const std::string last = "end " + work.string();
  ASSERT_TRUE(QTest::qWaitFor([&] { return extension.principal().calls().back() == last; }));
  const auto calls = extension.principal().calls();
  EXPECT_EQ(calls.front(), "menu 1");
  EXPECT_EQ(std::vector(calls.end() - 3, calls.end()),
            (std::vector<std::string>{"begin " + work.string(),
                                      "badge " + (work / "a.txt").string(), last}));
}

// The menus a file manager asks for are answered while a chosen entry's work waits, as it does
// behind a dialog.
TEST_F(FinderSyncBusTest, MenusAreAnsweredWhileAChosenEntrysWorkWaits) {
  const auto menu = client.menu(FIMenuKind::contextualMenuForItems, selection("a.txt"));
  ASSERT_TRUE(std::holds_alternative<TransportedMenu>(menu)) << std::get<std::string>(menu);
  const NSMenuItem wait = std::get<TransportedMenu>(menu).menu->items.at(2);
  auto perform = QDBusMessage::createMethodCall(protocol::kService, protocol::kPath,
                                                protocol::kInterface, protocol::kPerform.name);
  perform << QString::fromStdString(wait.action) << qlonglong(wait.tag)
          << QString::fromStdString(wait.title)
          << QVariant::fromValue(
                 QList<QByteArray>{QByteArray::fromStdString(selection("a.txt").front().path())});
  QDBusPendingCall performed = connection("finder-sync-client").asyncCall(perform);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return extension.principal().calls().back() == "waiting"; }, 10'000));

  const auto meanwhile = client.menu(FIMenuKind::contextualMenuForItems, selection("a.txt"));
  EXPECT_TRUE(std::holds_alternative<TransportedMenu>(meanwhile));
  performed.waitForFinished();
  EXPECT_FALSE(performed.isError()) << performed.error().message().toStdString();
  const auto calls = extension.principal().calls();
  EXPECT_EQ(std::vector(calls.end() - 3, calls.end()),
            (std::vector<std::string>{"waiting", "menu 0", "waited"}));
}

// Another process could plant answers that the file manager's next command obeys: the answers
// serve only the entries chosen over the connection that sent them.
TEST_F(ScriptedFinderSyncBusTest, AnswersServeOnlyTheConnectionThatSentThem) {
  const auto copy = copyEntry();
  ASSERT_EQ(copy.action, "copyClicked:");
  ASSERT_EQ(client.answerModals({"cancel", "cancel"}), std::nullopt);
  const auto own = client.performAndWait(copy, selection("a.txt"), 10'000);
  ASSERT_TRUE(std::holds_alternative<ActionOutcome>(own)) << std::get<std::string>(own);
  EXPECT_EQ(std::get<ActionOutcome>(own).answersLeft, 2u);
  EXPECT_TRUE(answers.dropped().empty());

  FinderSyncClient other{connection("finder-sync-other")};
  ASSERT_EQ(other.answerModals({"cancel"}), std::nullopt);
  const auto planted = client.performAndWait(copy, selection("a.txt"), 10'000);
  ASSERT_TRUE(std::holds_alternative<ActionOutcome>(planted)) << std::get<std::string>(planted);
  EXPECT_EQ(std::get<ActionOutcome>(planted).answersLeft, 0u);
  ASSERT_EQ(answers.dropped().size(), 1u);
  EXPECT_NE(answers.dropped().front().find("modal answers from :"), std::string::npos)
      << answers.dropped().front();
}

// One call names many paths; past the bound it is refused whole, and within it the extension
// hears of them in one request.
TEST_F(FinderSyncBusTest, ABadgeCallBeyondItsBoundIsRefusedAndOneWithinItArrivesWhole) {
  const auto badges = [&](int count) {
    QList<QByteArray> paths;
    for (int i = 0; i < count; ++i) paths << QByteArray::fromStdString((work / "a.txt").string());
    auto call = QDBusMessage::createMethodCall(protocol::kService, protocol::kPath,
                                               protocol::kInterface, protocol::kRequestBadges.name);
    call << QVariant::fromValue(paths);
    return connection("finder-sync-client").call(call);
  };
  const auto refused = badges(protocol::kMostBadgesPerCall + 1);
  EXPECT_EQ(refused.type(), QDBusMessage::ErrorMessage);
  EXPECT_EQ(refused.errorName().toStdString(), "org.freedesktop.DBus.Error.InvalidArgs");
  const auto accepted = badges(protocol::kMostBadgesPerCall);
  EXPECT_EQ(accepted.type(), QDBusMessage::ReplyMessage) << accepted.errorMessage().toStdString();
  const auto calls = extension.principal().calls();
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                          [](const std::string& call) { return call.starts_with("badge"); }),
            1);
  EXPECT_EQ(calls.back(), "badges " + std::to_string(protocol::kMostBadgesPerCall) + " from " +
                              (work / "a.txt").string());
}

}  // namespace
}  // namespace platform::desktop
