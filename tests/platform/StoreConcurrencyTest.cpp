#include "store/PlistDomainFile.h"

#include <gtest/gtest.h>

#include "support/Process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>


namespace platform {
namespace {

namespace fs = std::filesystem;

int exitStatus(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StoreConcurrency, TwoProcessesWritingDistinctKeysLoseNothing) {
  std::string pattern = (fs::temp_directory_path() / "plovane-concurrency-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path folder = pattern;
  const fs::path file = folder / "suite.plist";
  constexpr int kKeys = 1000;
  constexpr int kRounds = 3;

  const pid_t first = plovane::testing::spawnProgram(
      {PLOVANE_STORE_WRITER, file.string(), "a", std::to_string(kKeys), std::to_string(kRounds)});
  const pid_t second = plovane::testing::spawnProgram(
      {PLOVANE_STORE_WRITER, file.string(), "b", std::to_string(kKeys), std::to_string(kRounds)});
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  EXPECT_EQ(exitStatus(first), 0);
  EXPECT_EQ(exitStatus(second), 0);

  std::vector<std::string> log;
  PlistDomainFile domain(file, [&](const std::string& line) { log.push_back(line); });
  const PlistDictionary& contents = domain.contents();
  EXPECT_EQ(contents.size(), 2u * kKeys);
  int wrong = 0;
  for (const char* prefix : {"a", "b"}) {
    for (int i = 0; i < kKeys; ++i) {
      const auto found = contents.find(prefix + std::to_string(i));
      if (found == contents.end() || found->second != PlistValue(kRounds)) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(log.empty());

  std::error_code ec;
  fs::remove_all(folder, ec);
}

}  // namespace
}  // namespace platform
