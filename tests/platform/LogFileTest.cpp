// The log file every desktop program writes besides its standard error.
#include "desktop/LogFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iostream>
#include <regex>
#include <sstream>

#include "desktop/StreamSystemLog.h"
#include "support/EnvironmentOverride.h"
#include "support/FileTree.h"
#include "support/TestEnvironment.h"

namespace platform::desktop {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> linesOf(const fs::path& file) {
  std::ifstream in(file);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// What follows "program: " in each entry, once each entry is checked to be whole.
std::vector<std::string> messagesOf(const fs::path& file) {
  static const std::regex entry(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z [a-z-]+: (.*))");
  std::vector<std::string> messages;
  for (const auto& line : linesOf(file)) {
    std::smatch parts;
    EXPECT_TRUE(std::regex_match(line, parts, entry)) << line;
    messages.push_back(parts[1]);
  }
  return messages;
}

class LogFileTest : public ::testing::Test {
 protected:
  plovane::testing::TemporaryFolder home;
  fs::path file = home.path() / "state" / "plovane-menu" / "plovane-menu.log";
};

TEST_F(LogFileTest, AnEntryIsOneLineWithItsUtcTimeAndProgram) {
  const auto time =
      std::chrono::system_clock::time_point(std::chrono::milliseconds(1'700'000'000'042));
  EXPECT_EQ(logEntry(time, "plovane-menu-extension", "cannot launch x: no program\n"),
            "2023-11-14T22:13:20.042Z plovane-menu-extension: cannot launch x: no program\n");
  EXPECT_EQ(logEntry(time, "plovane-menu", "first\nsecond"),
            "2023-11-14T22:13:20.042Z plovane-menu: first\\nsecond\n");
}

TEST_F(LogFileTest, LivesInTheStateFolderTheEnvironmentNames) {
  plovane::testing::EnvironmentOverride homeOverride("HOME", home.path().string());
  {
    plovane::testing::EnvironmentOverride state("XDG_STATE_HOME", (home.path() / "state").string());
    EXPECT_EQ(defaultLogFilePath(), file);
  }
  // Unset, empty or relative, the state folder is the one under the home folder.
  const fs::path underHome = home.path() / ".local/state/plovane-menu/plovane-menu.log";
  for (const char* ignored : {"", "relative/state"}) {
    plovane::testing::EnvironmentOverride state("XDG_STATE_HOME", ignored);
    EXPECT_EQ(defaultLogFilePath(), underHome) << ignored;
  }
  plovane::testing::EnvironmentOverride restored("XDG_STATE_HOME", "");
  unsetenv("XDG_STATE_HOME");
  EXPECT_EQ(defaultLogFilePath(), underHome);
}

TEST_F(LogFileTest, MakesItsFoldersPrivateAndAppendsAfterWhatIsThere) {
  const LogFile log(file, "plovane-menu");
  EXPECT_EQ(log.append("one"), std::nullopt);
  struct stat folder {};
  ASSERT_EQ(::stat(file.parent_path().c_str(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
  EXPECT_EQ(LogFile(file, "plovane-menu-extension").append("two"), std::nullopt);
  EXPECT_EQ(messagesOf(file), (std::vector<std::string>{"one", "two"}));
  EXPECT_NE(linesOf(file)[1].find(" plovane-menu-extension: two"), std::string::npos);

  // Where the file cannot be, the reason names it; standard error still has the line.
  plovane::testing::makeFolder(home.path(), {"plain"});
  const auto why = LogFile(home.path() / "plain" / "x.log", "p").append("lost");
  ASSERT_TRUE(why);
  EXPECT_NE(why->find((home.path() / "plain" / "x.log").string()), std::string::npos) << *why;
}

TEST_F(LogFileTest, TheSystemLogWritesEveryLineToItsFileTooAndBothCopiesStayOneLine) {
  StreamSystemLog log(LogFile(file, "plovane-menu"));
  std::ostringstream standardError;
  auto* const previous = std::cerr.rdbuf(standardError.rdbuf());
  log.log("cannot launch com.apple.Terminal: no terminal program found");
  // A path is any bytes: its line breaks must not forge a line of their own.
  log.log("requestBadgeIdentifierForURL: /w/a\nforged: x\r\nb");
  std::cerr.rdbuf(previous);
  const std::vector<std::string> lines = {
      "cannot launch com.apple.Terminal: no terminal program found",
      "requestBadgeIdentifierForURL: /w/a\\nforged: x\\r\\nb"};
  EXPECT_EQ(messagesOf(file), lines);
  EXPECT_EQ(standardError.str(), lines[0] + "\n" + lines[1] + "\n");
}

TEST_F(LogFileTest, PastItsBoundTheFileBecomesThePreviousOneAndANewOneStarts) {
  constexpr std::uintmax_t kLimit = 1000;
  const LogFile log(file, "plovane-menu", kLimit);
  std::vector<std::string> written;
  for (int i = 0; !fs::exists(previousLogFilePath(file)); ++i) {
    written.push_back("entry " + std::to_string(i));
    ASSERT_EQ(log.append(written.back()), std::nullopt);
    ASSERT_LT(i, 100);
  }
  EXPECT_GT(fs::file_size(previousLogFilePath(file)), kLimit);
  EXPECT_FALSE(fs::exists(file));
  EXPECT_EQ(messagesOf(previousLogFilePath(file)), written);

  // The next entry starts the new file, and the next rotation replaces the previous file.
  ASSERT_EQ(log.append("after"), std::nullopt);
  EXPECT_EQ(messagesOf(file), std::vector<std::string>{"after"});
  for (int i = 0; fs::exists(file); ++i) {
    ASSERT_EQ(log.append("more " + std::to_string(i)), std::nullopt);
    ASSERT_LT(i, 100);
  }
  EXPECT_EQ(messagesOf(previousLogFilePath(file)).front(), "after");
}

// Runs `write` in `count` child processes at once and waits for all of them.
void inProcesses(int count, const std::function<void(int)>& write) {
  std::vector<pid_t> children;
  for (int writer = 0; writer < count; ++writer) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      write(writer);
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
}

TEST_F(LogFileTest, ProcessesWritingAtOnceLoseAndMixNoEntry) {
  constexpr int kEntries = 2000;
  inProcesses(2, [&](int writer) {
    const LogFile log(file, "plovane-menu");
    for (int i = 0; i < kEntries; ++i) {
      if (log.append("writer " + std::to_string(writer) + " entry " + std::to_string(i))) return;
    }
  });
  std::vector<int> next(2, 0);
  for (const auto& message : messagesOf(file)) {
    const int writer = message[7] - '0';
    ASSERT_TRUE(writer == 0 || writer == 1) << message;
    EXPECT_EQ(message,
              "writer " + std::to_string(writer) + " entry " + std::to_string(next[writer]));
    ++next[writer];
  }
  EXPECT_EQ(next, (std::vector<int>{kEntries, kEntries}));
}

TEST_F(LogFileTest, ProcessesThatFillItAtOnceKeepBothFilesWholeAndBounded) {
  constexpr std::uintmax_t kLimit = 16 * 1024;
  inProcesses(3, [&](int writer) {
    const LogFile log(file, "plovane-menu", kLimit);
    for (int i = 0; i < 3000; ++i) {
      if (log.append("writer " + std::to_string(writer) + " entry " + std::to_string(i))) return;
    }
  });
  // The new file stays within its bound, and the previous one is a full one.
  EXPECT_TRUE(!fs::exists(file) || fs::file_size(file) <= kLimit);
  EXPECT_GT(fs::file_size(previousLogFilePath(file)), kLimit);
  // And every entry in them is whole.
  EXPECT_FALSE(messagesOf(previousLogFilePath(file)).empty());
  if (fs::exists(file)) messagesOf(file);
}

}  // namespace
}  // namespace platform::desktop
