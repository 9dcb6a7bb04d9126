#include "store/PlistDomainFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <fstream>
#include <future>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

#include "store/PlistCodec.h"
#include "support/BinaryPlistBytes.h"

extern char** environ;

namespace platform {
namespace {

namespace fs = std::filesystem;
using plovane::testing::assembleBinary;
using plovane::testing::Bytes;

// Runs a program without a shell and returns its exit status (-1 if it did not exit).
int run(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Bytes readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

class PlistDomainFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "plovane-domain-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    file_ = root_ / "prefs" / "com.example.suite.plist";
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }

  PlistDomainFile domain() {
    return PlistDomainFile(file_, [this](const std::string& line) { log_.push_back(line); });
  }

  std::vector<std::string> corruptCopies() const {
    std::vector<std::string> found;
    const std::regex pattern(file_.filename().string() + R"(\.corrupt-\d{8}T\d{6}Z(-\d+)?)");
    for (const std::string& name : namesIn(file_.parent_path()))
      if (std::regex_match(name, pattern)) found.push_back(name);
    return found;
  }

  fs::path root_;
  fs::path file_;
  std::vector<std::string> log_;
};

TEST_F(PlistDomainFileTest, PythonReadsWhatTheStoreWrites) {
  auto store = domain();
  ASSERT_EQ(store.write({
                {"string", PlistValue("caf\xC3\xA9")},
                {"negative", PlistValue(-5)},
                {"int64 min", PlistValue(std::numeric_limits<std::int64_t>::min())},
                {"flag", PlistValue(true)},
                {"one", PlistValue(1)},
                {"real", PlistValue(2.5)},
                {"date", PlistValue(PlistDate{644243696.789012})},
                {"old date", PlistValue(PlistDate{-31622400.5})},
                {"data", PlistValue(PlistData{0, 0xFF})},
                {"commands",
                 PlistValue(PlistArray{PlistDictionary{{"title", "Open"}, {"state", false}}})},
            }),
            std::nullopt);
  const std::string script = R"(
import datetime, plistlib, sys
with open(sys.argv[1], "rb") as f:
    assert f.read(8) == b"bplist00", "not binary"
with open(sys.argv[1], "rb") as f:
    d = plistlib.load(f)
expected = {
    "string": "caf\u00e9", "negative": -5, "int64 min": -2**63, "flag": True, "one": 1,
    "real": 2.5, "date": datetime.datetime(2021, 6, 1, 12, 34, 56, 789012),
    "old date": datetime.datetime(1999, 12, 31, 23, 59, 59, 500000), "data": b"\x00\xff",
    "commands": [{"title": "Open", "state": False}],
}
assert d == expected, d
assert type(d["flag"]) is bool and type(d["one"]) is int, d
)";
  EXPECT_EQ(run({PLOVANE_PYTHON3, "-c", script, file_.string()}), 0);
}

TEST_F(PlistDomainFileTest, KeepsKeysOfAnXmlFileWrittenByAnotherTool) {
  fs::create_directories(file_.parent_path());
  fs::copy_file(fs::path(PLOVANE_TEST_FIXTURES) / "every-type.xml.plist", file_);
  auto store = domain();
  EXPECT_EQ(store.contents().at("negative"), PlistValue(-5));

  ASSERT_EQ(store.write({{"added", PlistValue("yes")}}), std::nullopt);
  const std::string script = R"(
import plistlib, sys
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[2])
import make_fixtures
with open(sys.argv[1], "rb") as f:
    d = plistlib.load(f)
expected = make_fixtures.every_type(False)
expected["added"] = "yes"
assert d == expected, d
)";
  EXPECT_EQ(run({PLOVANE_PYTHON3, "-c", script, file_.string(), PLOVANE_TEST_FIXTURES}), 0);
  EXPECT_TRUE(log_.empty());
}

TEST_F(PlistDomainFileTest, PythonReadsEveryTypeOfABinaryFileRewritten) {
  fs::create_directories(file_.parent_path());
  fs::copy_file(fs::path(PLOVANE_TEST_FIXTURES) / "every-type.binary.plist", file_);
  // Enough objects for two-byte references and enough bytes for four-byte offsets.
  PlistArray paths;
  for (int i = 0; i < 400; ++i) paths.emplace_back(std::to_string(i) + std::string(200, '/'));
  ASSERT_EQ(domain().write({{"paths", PlistValue(paths)}}), std::nullopt);
  ASSERT_GT(readBytes(file_).size(), 65536u);

  const std::string script = R"(
import plistlib, sys
sys.dont_write_bytecode = True
sys.path.insert(0, sys.argv[2])
import make_fixtures
with open(sys.argv[1], "rb") as f:
    d = plistlib.load(f)
expected = make_fixtures.every_type(True)
expected["paths"] = [str(i) + "/" * 200 for i in range(400)]
assert d == expected, d
)";
  EXPECT_EQ(run({PLOVANE_PYTHON3, "-c", script, file_.string(), PLOVANE_TEST_FIXTURES}), 0);
}

TEST_F(PlistDomainFileTest, SeesWritesOfOtherObjects) {
  auto reader = domain();
  auto writer = domain();
  EXPECT_TRUE(reader.contents().empty()) << "a missing file is an empty domain";

  ASSERT_EQ(writer.write({{"flag", PlistValue(true)}}), std::nullopt);
  EXPECT_EQ(reader.contents().at("flag"), PlistValue(true));

  // Same size, and the modification time forced back to the previous one: only the inode
  // tells the files apart.
  struct stat before {};
  ASSERT_EQ(stat(file_.c_str(), &before), 0);
  ASSERT_EQ(writer.write({{"flag", PlistValue(false)}}), std::nullopt);
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, file_.c_str(), times, 0), 0);
  struct stat after {};
  ASSERT_EQ(stat(file_.c_str(), &after), 0);
  ASSERT_EQ(after.st_size, before.st_size);
  EXPECT_EQ(reader.contents().at("flag"), PlistValue(false));

  fs::remove(file_);
  EXPECT_TRUE(reader.contents().empty());
}

TEST_F(PlistDomainFileTest, WritersOfDifferentKeysKeepEachOthersKeys) {
  auto first = domain();
  auto second = domain();
  ASSERT_EQ(first.write({{"a", PlistValue(1)}}), std::nullopt);
  // `second` never read the file, and `first` does not re-read before writing.
  ASSERT_EQ(second.write({{"b", PlistValue(2)}}), std::nullopt);
  ASSERT_EQ(first.write({{"c", PlistValue(3)}, {"a", std::nullopt}}), std::nullopt);
  ASSERT_EQ(second.write({{"b", PlistValue("later")}}), std::nullopt);

  const PlistDictionary expected{{"b", "later"}, {"c", 3}};
  EXPECT_EQ(first.contents(), expected);
  EXPECT_EQ(domain().contents(), expected);
}

// One object writes on from what it holds; a fresh object decodes the file before each write.
// Both must leave the same bytes, also after a write that failed.
TEST_F(PlistDomainFileTest, WritesOnFromItsOwnCopyAsFromTheFileDecoded) {
  const fs::path decodedFile = root_ / "decoded" / file_.filename();
  auto keeper = domain();
  const std::vector<PlistChanges> writes{
      {{"commands", PlistValue(PlistArray{PlistDictionary{{"title", "Open"}, {"state", true}}})},
       {"order", PlistValue(1)}},
      {{"order", PlistValue(2)}, {"flag", PlistValue(false)}},
      {{"order", PlistValue(2)}},
      {{"flag", std::nullopt}, {"bad", PlistValue("\xFF")}},
      {{"commands", std::nullopt}, {"date", PlistValue(PlistDate{644243696.5})}},
  };
  for (std::size_t step = 0; step < writes.size(); ++step) {
    const auto kept = keeper.write(writes[step]);
    const auto decoded = PlistDomainFile(decodedFile, nullptr).write(writes[step]);
    EXPECT_EQ(kept.has_value(), decoded.has_value()) << step;
    EXPECT_EQ(readBytes(file_), readBytes(decodedFile)) << step;
    EXPECT_EQ(keeper.contents(), PlistDomainFile(decodedFile, nullptr).contents()) << step;
  }
}

struct BadFile {
  const char* name;
  Bytes bytes;
};

void PrintTo(const BadFile& file, std::ostream* out) { *out << file.name; }

class BadDomainFileTest : public PlistDomainFileTest,
                          public ::testing::WithParamInterface<BadFile> {};

// {"k": levels each referencing the next twice}: 147 bytes that expand to a million values.
Bytes expandingDictionary() {
  std::vector<Bytes> objects{{0xD1, 0x01, 0x02}, {0x51, 'k'}};
  for (Bytes& level : plovane::testing::arrayChain(20, 2, 2)) objects.push_back(level);
  return assembleBinary(objects);
}

std::string nestedArrays(int depth) {
  std::string text = "<plist><dict><key>deep</key>";
  for (int i = 0; i < depth; ++i) text += "<array>";
  for (int i = 0; i < depth; ++i) text += "</array>";
  return text + "</dict></plist>";
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, BadDomainFileTest,
    ::testing::Values(BadFile{"Unparseable", bytesOf("bplist00 this is not a property list")},
                      BadFile{"TooLarge", Bytes(kMaxPlistFileBytes + 1, ' ')},
                      BadFile{"TooDeep", bytesOf(nestedArrays(40))},
                      BadFile{"ExpandsBeyondWhatTheStoreCanWrite", expandingDictionary()},
                      BadFile{"RootNotDictionary", bytesOf("<plist><array/></plist>")}),
    [](const ::testing::TestParamInfo<BadFile>& kind) { return std::string(kind.param.name); });

TEST_P(BadDomainFileTest, IsMovedAsideOnRead) {
  fs::create_directories(file_.parent_path());
  writeBytes(file_, GetParam().bytes);
  auto store = domain();
  EXPECT_TRUE(store.contents().empty());
  EXPECT_TRUE(store.contents().empty());

  const auto copies = corruptCopies();
  ASSERT_EQ(copies.size(), 1u);
  const fs::path copy = file_.parent_path() / copies[0];
  EXPECT_EQ(readBytes(copy), GetParam().bytes);
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find(file_.string()), std::string::npos) << log_[0];
  EXPECT_NE(log_[0].find(copy.string()), std::string::npos) << log_[0];

  ASSERT_EQ(store.write({{"fresh", PlistValue(true)}}), std::nullopt);
  EXPECT_EQ(domain().contents(), (PlistDictionary{{"fresh", true}}));
  EXPECT_EQ(readBytes(copy), GetParam().bytes);
  EXPECT_EQ(log_.size(), 1u);
}

TEST_P(BadDomainFileTest, IsMovedAsideByAWriteThatNeverRead) {
  fs::create_directories(file_.parent_path());
  writeBytes(file_, GetParam().bytes);
  ASSERT_EQ(domain().write({{"fresh", PlistValue(1)}}), std::nullopt);

  const auto copies = corruptCopies();
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(readBytes(file_.parent_path() / copies[0]), GetParam().bytes);
  EXPECT_EQ(domain().contents(), (PlistDictionary{{"fresh", 1}}));
  ASSERT_EQ(log_.size(), 1u);
  EXPECT_NE(log_[0].find(copies[0]), std::string::npos);
}

TEST_F(PlistDomainFileTest, NeverOverwritesAnEarlierCorruptCopy) {
  fs::create_directories(file_.parent_path());
  for (const char* text : {"first bad", "second bad", "third bad"}) {
    writeBytes(file_, bytesOf(text));
    EXPECT_TRUE(domain().contents().empty());
  }
  std::vector<Bytes> kept;
  for (const std::string& name : corruptCopies())
    kept.push_back(readBytes(file_.parent_path() / name));
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(kept, (std::vector<Bytes>{bytesOf("first bad"), bytesOf("second bad"),
                                      bytesOf("third bad")}));
  EXPECT_EQ(log_.size(), 3u);
}

// Checks a failed write left the old file and no temporary behind.
void expectUntouched(const fs::path& file, const Bytes& before,
                     const std::vector<std::string>& namesBefore) {
  EXPECT_EQ(readBytes(file), before);
  EXPECT_EQ(namesIn(file.parent_path()), namesBefore);
}

TEST_F(PlistDomainFileTest, FailedWritesLeaveTheOldFile) {
  auto store = domain();
  ASSERT_EQ(store.write({{"kept", PlistValue(1)}}), std::nullopt);
  const Bytes before = readBytes(file_);
  const auto names = namesIn(file_.parent_path());

  // A value the format cannot carry faithfully.
  const auto invalid = store.write({{"path", PlistValue("/home/\xFF")}});
  ASSERT_TRUE(invalid.has_value());
  EXPECT_NE(invalid->find("UTF-8"), std::string::npos) << *invalid;
  expectUntouched(file_, before, names);
  EXPECT_EQ(store.contents(), (PlistDictionary{{"kept", 1}}));

  // A folder that cannot exist because a regular file is in the way.
  PlistDomainFile blocked(file_ / "nested.plist", nullptr);
  const auto notDirectory = blocked.write({{"k", PlistValue(1)}});
  ASSERT_TRUE(notDirectory.has_value());
  EXPECT_NE(notDirectory->find(file_.string()), std::string::npos) << *notDirectory;
  expectUntouched(file_, before, names);
}

TEST_F(PlistDomainFileTest, FailedReplaceRemovesItsTemporaryFile) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to create a file another user cannot replace";
  // A sticky, world-writable folder: an unprivileged user may create the temporary file there
  // but may not rename it over root's file.
  file_ = root_ / "shared" / "domain.plist";
  fs::create_directories(file_.parent_path());
  ASSERT_EQ(domain().write({{"kept", PlistValue(1)}}), std::nullopt);
  fs::permissions(root_, fs::perms(0755));
  fs::permissions(file_.parent_path(), fs::perms(01777));
  fs::permissions(file_, fs::perms(0644));
  fs::permissions(file_.string() + ".lock", fs::perms(0644));
  const Bytes before = readBytes(file_);
  const auto names = namesIn(file_.parent_path());

  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(pipeFds[0]);
    if (setgroups(0, nullptr) != 0 || setresgid(65534, 65534, 65534) != 0 ||
        setresuid(65534, 65534, 65534) != 0)
      _exit(2);
    PlistDomainFile store(file_, nullptr);
    const auto error = store.write({{"kept", PlistValue(2)}});
    const std::string message = error.value_or("");
    if (::write(pipeFds[1], message.data(), message.size()) < 0) _exit(3);
    _exit(error ? 0 : 1);
  }
  close(pipeFds[1]);
  std::string message;
  char buffer[512];
  for (ssize_t got; (got = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    message.append(buffer, static_cast<std::size_t>(got));
  close(pipeFds[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "write did not fail; message: " << message;
  EXPECT_NE(message.find("cannot replace"), std::string::npos) << message;
  expectUntouched(file_, before, names);
}

TEST_F(PlistDomainFileTest, DatesOfAnotherWriterSurviveAWriteOfAnotherKey) {
  // A date with digits below the microsecond, as another program writes it.
  const double stamp = 644243696.1234567;
  Bytes date{0x33};
  for (int shift = 56; shift >= 0; shift -= 8)
    date.push_back(static_cast<std::uint8_t>(std::bit_cast<std::uint64_t>(stamp) >> shift));
  fs::create_directories(file_.parent_path());
  writeBytes(file_, assembleBinary({{0xD1, 0x01, 0x02}, {0x55, 's', 't', 'a', 'm', 'p'}, date}));

  ASSERT_EQ(domain().write({{"unrelated", PlistValue(1)}}), std::nullopt);
  const Bytes after = readBytes(file_);
  EXPECT_NE(std::search(after.begin(), after.end(), date.begin(), date.end()), after.end());
  EXPECT_EQ(domain().contents().at("stamp"), PlistValue(PlistDate{stamp}));
}

TEST_F(PlistDomainFileTest, WriteRemovesTemporaryFilesOfKilledWriters) {
  auto store = domain();
  ASSERT_EQ(store.write({{"kept", PlistValue(1)}}), std::nullopt);
  const std::string name = file_.filename().string();
  const std::vector<std::string> debris{name + ".tmp-a1B2c3", name + ".tmp-ZZZZZZ"};
  // Another domain's writer may be between its own write and rename right now.
  const std::vector<std::string> others{"other.plist.tmp-a1B2c3", name + ".tmp-longer1"};
  for (const auto& file : debris) writeBytes(file_.parent_path() / file, bytesOf("partial"));
  for (const auto& file : others) writeBytes(file_.parent_path() / file, bytesOf("partial"));

  ASSERT_EQ(store.write({{"next", PlistValue(2)}}), std::nullopt);
  std::vector<std::string> expected{name, name + ".lock"};
  expected.insert(expected.end(), others.begin(), others.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(namesIn(file_.parent_path()), expected);
}

// Held by another writer, the lock keeps back what changes the file and only that.
TEST_F(PlistDomainFileTest, AWriteThatChangesNothingNeedsNoLock) {
  auto store = domain();
  ASSERT_EQ(store.write({{"kept", PlistValue(1)}}), std::nullopt);
  const int lock = open((file_.string() + ".lock").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const auto write = [&](PlistChanges changes) {
    return std::async(std::launch::async, [&store, changes] { return store.write(changes); });
  };
  auto unchanged = write({{"kept", PlistValue(1)}, {"absent", std::nullopt}});
  const bool waited = unchanged.wait_for(std::chrono::seconds(10)) != std::future_status::ready;
  auto changing = waited ? std::future<std::optional<std::string>>() : write({{"kept", 2}});
  const bool heldBack =
      !waited && changing.wait_for(std::chrono::milliseconds(50)) == std::future_status::timeout;
  flock(lock, LOCK_UN);
  close(lock);
  ASSERT_FALSE(waited) << "a write that changed nothing waited for the lock";
  EXPECT_EQ(unchanged.get(), std::nullopt);
  EXPECT_TRUE(heldBack);
  EXPECT_EQ(changing.get(), std::nullopt);
  EXPECT_EQ(domain().contents().at("kept"), PlistValue(2));
}

TEST_F(PlistDomainFileTest, LockFileThatIsNotARegularFileFailsTheWrite) {
  fs::create_directories(file_.parent_path());
  const fs::path lock = file_.string() + ".lock";
  ASSERT_EQ(mkfifo(lock.c_str(), 0600), 0);
  auto writing = std::async(std::launch::async, [this] {
    return PlistDomainFile(file_, nullptr).write({{"k", PlistValue(1)}});
  });
  if (writing.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    // Hung on the FIFO: give it a writer so that the test ends.
    const int release = open(lock.c_str(), O_WRONLY | O_NONBLOCK);
    writing.wait();
    close(release);
    FAIL() << "the write waited on a FIFO for its lock";
  }
  const auto error = writing.get();
  ASSERT_TRUE(error.has_value());
  EXPECT_NE(error->find(lock.string() + " is not a regular file"), std::string::npos) << *error;
  EXPECT_FALSE(fs::exists(file_));
}

}  // namespace
}  // namespace platform
