#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

#include "bench/Percentiles.h"
#include "store/PlistCodec.h"
#include "store/PlistDomainFile.h"

namespace {

namespace fs = std::filesystem;
using platform::PlistArray;
using platform::PlistData;
using platform::PlistDictionary;
using platform::PlistDomainFile;
using platform::PlistValue;
using plovane::bench::elapsedMicroseconds;
using plovane::bench::reportPercentiles;

// A fresh folder for one benchmark, removed afterwards.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "plovane-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

PlistValue commandList(bool firstState = true) {
  PlistArray commands;
  for (int i = 0; i < 16; ++i) {
    PlistDictionary entry;
    entry["title"] = PlistValue("Command number " + std::to_string(i));
    entry["state"] = PlistValue(i == 0 ? firstState : i % 2 == 0);
    commands.emplace_back(std::move(entry));
  }
  return commands;
}

// A large domain: 1,000 folder entries of the kind the folder tabs keep (about 100 KB binary).
PlistValue folderList(bool firstState = false) {
  PlistArray folders;
  for (int i = 0; i < 1000; ++i) {
    PlistDictionary entry;
    entry["path"] = PlistValue("/home/someone/Projects/folder number " + std::to_string(i));
    entry["state"] = PlistValue(i == 0 ? firstState : i % 3 != 0);
    entry["order"] = PlistValue(i);
    entry["bookmark"] = PlistValue(PlistData(40, static_cast<std::uint8_t>(i)));
    folders.emplace_back(std::move(entry));
  }
  return PlistDictionary{{"folders", folders}};
}

std::vector<std::uint8_t> binaryOf(const PlistValue& value) {
  auto encoded = platform::encodeBinaryPlist(value);
  auto* bytes = std::get_if<std::vector<std::uint8_t>>(&encoded);
  return bytes != nullptr ? *bytes : std::vector<std::uint8_t>{};
}

// XML as another program writes it, for the value types these benchmarks use.
void appendXml(const PlistValue& value, std::string& out) {
  static const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  if (const auto* text = value.as<std::string>()) {
    out += "<string>" + *text + "</string>";
  } else if (const auto* flag = value.as<bool>()) {
    out += *flag ? "<true/>" : "<false/>";
  } else if (const auto* number = value.as<std::int64_t>()) {
    out += "<integer>" + std::to_string(*number) + "</integer>";
  } else if (const auto* data = value.as<PlistData>()) {
    out += "<data>";
    for (std::size_t i = 0; i < data->size(); i += 3) {
      std::uint32_t group = (*data)[i] << 16;
      if (i + 1 < data->size()) group |= (*data)[i + 1] << 8;
      if (i + 2 < data->size()) group |= (*data)[i + 2];
      for (std::size_t k = 0; k < 4; ++k)
        out += i + k <= data->size() ? kBase64[(group >> (18 - 6 * k)) & 63] : '=';
    }
    out += "</data>";
  } else if (const auto* array = value.as<PlistArray>()) {
    out += "<array>";
    for (const PlistValue& item : *array) appendXml(item, out);
    out += "</array>";
  } else if (const auto* dictionary = value.as<PlistDictionary>()) {
    out += "<dict>";
    for (const auto& [key, item] : *dictionary) {
      out += "<key>" + key + "</key>";
      appendXml(item, out);
    }
    out += "</dict>";
  }
}

std::vector<std::uint8_t> xmlOf(const PlistValue& value) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
  appendXml(value, text);
  text += "\n</plist>\n";
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

void decodeLoop(benchmark::State& state, const std::vector<std::uint8_t>& bytes) {
  if (!std::holds_alternative<PlistValue>(platform::decodePlist(bytes)))
    state.SkipWithError("decode failed");
  for (auto _ : state) benchmark::DoNotOptimize(platform::decodePlist(bytes));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}

void BM_DecodeCommandListBinary(benchmark::State& state) {
  decodeLoop(state, binaryOf(PlistDictionary{{"commands", commandList()}}));
}
BENCHMARK(BM_DecodeCommandListBinary);

void BM_DecodeCommandListXml(benchmark::State& state) {
  decodeLoop(state, xmlOf(PlistDictionary{{"commands", commandList()}}));
}
BENCHMARK(BM_DecodeCommandListXml);

void BM_DecodeFolderListBinary(benchmark::State& state) {
  decodeLoop(state, binaryOf(folderList()));
}
BENCHMARK(BM_DecodeFolderListBinary);

void BM_DecodeFolderListXml(benchmark::State& state) { decodeLoop(state, xmlOf(folderList())); }
BENCHMARK(BM_DecodeFolderListXml);

void BM_EncodeFolderList(benchmark::State& state) {
  const PlistValue value = folderList();
  for (auto _ : state) benchmark::DoNotOptimize(platform::encodeBinaryPlist(value));
}
BENCHMARK(BM_EncodeFolderList);

void BM_StoreReadUnchanged(benchmark::State& state) {
  ScratchFolder folder;
  PlistDomainFile domain(folder.path() / "suite.plist", nullptr);
  if (domain.write({{"commands", commandList()}})) state.SkipWithError("write failed");
  domain.contents();
  for (auto _ : state) benchmark::DoNotOptimize(domain.contents().size());
}
BENCHMARK(BM_StoreReadUnchanged);

void BM_StoreReadAfterOtherWrite(benchmark::State& state) {
  ScratchFolder folder;
  PlistDomainFile reader(folder.path() / "suite.plist", nullptr);
  PlistDomainFile writer(folder.path() / "suite.plist", nullptr);
  if (writer.write({{"commands", commandList()}})) state.SkipWithError("write failed");
  std::int64_t counter = 0;
  for (auto _ : state) {
    state.PauseTiming();
    if (writer.write({{"counter", PlistValue(++counter)}})) state.SkipWithError("write failed");
    state.ResumeTiming();
    benchmark::DoNotOptimize(reader.contents().size());
  }
}
BENCHMARK(BM_StoreReadAfterOtherWrite);

// A store write alternating between two values of one key, so that every write changes the
// file; beside it the least a durable replace of the same bytes costs: write a temporary file,
// flush it, rename it into place.
//
// Each write, on both sides, follows the same pause, as a person's changes do. A flush straight
// after another finds the disk's queue busy and costs about half (0.6 against 1.0 to 1.5 ms for
// 85 KB on the 2-core VM), so without the pause any work before the flush would count twice.
// After the pause, off the clock, each side makes what it writes, as a program makes a value from
// the person's change just before it stores it.
constexpr auto kPauseBeforeWrite = std::chrono::milliseconds(20);
constexpr int kWrites = 100;

// Pauses, then makes what is written next with `make`, all off the clock.
template <class Make>
auto pauseThenMake(benchmark::State& state, Make make) {
  state.PauseTiming();
  std::this_thread::sleep_for(kPauseBeforeWrite);
  auto made = make();
  state.ResumeTiming();
  return made;
}

void writeLoop(benchmark::State& state, const std::string& key, const PlistValue (&values)[2]) {
  ScratchFolder folder;
  PlistDomainFile domain(folder.path() / "suite.plist", nullptr);
  std::vector<double> samples;
  std::size_t iteration = 0;
  for (auto _ : state) {
    auto changes = pauseThenMake(state, [&] {
      return platform::PlistChanges{{key, values[iteration++ % 2]}};
    });
    const auto start = std::chrono::steady_clock::now();
    if (domain.write(std::move(changes))) state.SkipWithError("write failed");
    samples.push_back(elapsedMicroseconds(start));
  }
  reportPercentiles(state, samples);
}

void replaceLoop(benchmark::State& state, const std::string& key, const PlistValue (&values)[2]) {
  ScratchFolder folder;
  const fs::path file = folder.path() / "suite.plist";
  const std::string temporary = file.string() + ".tmp";
  const std::vector<std::uint8_t> bytes[2] = {binaryOf(PlistDictionary{{key, values[0]}}),
                                              binaryOf(PlistDictionary{{key, values[1]}})};
  std::vector<double> samples;
  std::size_t iteration = 0;
  for (auto _ : state) {
    const auto next = pauseThenMake(state, [&] { return bytes[iteration++ % 2]; });
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool done = fd >= 0 &&
                      ::write(fd, next.data(), next.size()) == static_cast<ssize_t>(next.size()) &&
                      ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!done || ::rename(temporary.c_str(), file.c_str()) != 0) state.SkipWithError("failed");
    samples.push_back(elapsedMicroseconds(start));
  }
  reportPercentiles(state, samples);
}

const PlistValue kCommandLists[2] = {commandList(true), commandList(false)};
const PlistValue kFolderLists[2] = {folderList(true).as<PlistDictionary>()->begin()->second,
                                    folderList(false).as<PlistDictionary>()->begin()->second};

void BM_StoreWriteCommandList(benchmark::State& state) {
  writeLoop(state, "commands", kCommandLists);
}
BENCHMARK(BM_StoreWriteCommandList)->Unit(benchmark::kMicrosecond)->Iterations(kWrites);

void BM_ReplaceCommandListBytes(benchmark::State& state) {
  replaceLoop(state, "commands", kCommandLists);
}
BENCHMARK(BM_ReplaceCommandListBytes)->Unit(benchmark::kMicrosecond)->Iterations(kWrites);

void BM_StoreWriteFolderList(benchmark::State& state) { writeLoop(state, "folders", kFolderLists); }
BENCHMARK(BM_StoreWriteFolderList)->Unit(benchmark::kMicrosecond)->Iterations(kWrites);

void BM_ReplaceFolderListBytes(benchmark::State& state) {
  replaceLoop(state, "folders", kFolderLists);
}
BENCHMARK(BM_ReplaceFolderListBytes)->Unit(benchmark::kMicrosecond)->Iterations(kWrites);

}  // namespace
