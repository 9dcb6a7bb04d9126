#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "store/PlistDomainFile.h"

namespace {

namespace fs = std::filesystem;
using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistDomainFile;
using platform::PlistValue;

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

void BM_StoreWriteCommandList(benchmark::State& state) {
  ScratchFolder folder;
  PlistDomainFile domain(folder.path() / "suite.plist", nullptr);
  // Alternate between two lists so that every iteration really changes the file.
  const PlistValue lists[2] = {commandList(true), commandList(false)};
  std::size_t iteration = 0;
  for (auto _ : state) {
    if (domain.write({{"commands", lists[iteration++ % 2]}})) state.SkipWithError("write failed");
  }
}
BENCHMARK(BM_StoreWriteCommandList);

}  // namespace
