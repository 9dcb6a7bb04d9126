#include "desktop/ProgramOutput.h"

#include <gtest/gtest.h>

namespace platform::desktop {
namespace {

TEST(ProgramOutputTest, ReadsWhatTheProgramPrintedThroughToTheEnd) {
  const auto printed = runForOutput("/usr/bin/printf", {"%s|%s\\n", "two words", "'quoted' $(x)"});
  EXPECT_TRUE(printed.ran) << printed.failure.toStdString();
  EXPECT_EQ(printed.output, QStringLiteral("two words|'quoted' $(x)"));
  // More than a pipe holds: read while it runs, not only once it has ended.
  const auto many = runForOutput("/usr/bin/seq", {"100000"});
  EXPECT_TRUE(many.ran) << many.failure.toStdString();
  EXPECT_TRUE(many.output.endsWith(QStringLiteral("\n99999\n100000")));
  // Its input is empty, not ours: a program that reads it ends at once.
  const auto reader = runForOutput("/usr/bin/cat", {});
  EXPECT_TRUE(reader.ran) << reader.failure.toStdString();
  EXPECT_TRUE(reader.output.isEmpty());
}

TEST(ProgramOutputTest, FailsWithTheProgramsOwnWordsOrWhyItDidNotRun) {
  const auto complained = runForOutput("/usr/bin/ls", {"/no/such/folder"});
  EXPECT_FALSE(complained.ran);
  EXPECT_TRUE(complained.output.isEmpty());
  EXPECT_TRUE(complained.failure.contains(QStringLiteral("/no/such/folder")))
      << complained.failure.toStdString();
  const auto silent = runForOutput("/usr/bin/false", {});
  EXPECT_FALSE(silent.ran);
  EXPECT_TRUE(silent.failure.contains(QStringLiteral("code 1"))) << silent.failure.toStdString();
  const auto missing = runForOutput("/no/such/program", {});
  EXPECT_FALSE(missing.ran);
  EXPECT_TRUE(missing.failure.contains(QStringLiteral("/no/such/program")));
  const auto endless = runForOutput("/usr/bin/seq", {"10000000"});
  EXPECT_FALSE(endless.ran);
  EXPECT_TRUE(endless.failure.contains(QStringLiteral("more than")))
      << endless.failure.toStdString();
}

}  // namespace
}  // namespace platform::desktop
