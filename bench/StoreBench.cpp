#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "bench/Percentiles.h"
#include "bench/StoreWrites.h"
#include "store/PlistCodec.h"
#include "store/PlistDomainFile.h"

namespace {

using platform::PlistArray;
using platform::PlistData;
using platform::PlistDictionary;
using platform::PlistDomainFile;
using platform::PlistValue;
using plovane::bench::binaryOf;
using plovane::bench::ByteReplaces;
using plovane::bench::commandList;
using plovane::bench::folderList;
using plovane::bench::reportPercentiles;
using plovane::bench::storeSubject;
using plovane::bench::StoreWrites;
using plovane::bench::TimedWrites;
using plovane::testing::TemporaryFolder;

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
  TemporaryFolder folder;
  PlistDomainFile domain(folder.path() / "suite.plist", nullptr);
  if (domain.write({{"commands", commandList()}})) state.SkipWithError("write failed");
  domain.contents();
  for (auto _ : state) benchmark::DoNotOptimize(domain.contents().size());
}
BENCHMARK(BM_StoreReadUnchanged);

void BM_StoreReadAfterOtherWrite(benchmark::State& state) {
  TemporaryFolder folder;
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

// A store write beside the least a durable replace of the same bytes costs (see TimedWrites);
// bench/compare.py asks the two in turns from processes of their own.
void timedLoop(benchmark::State& state, TimedWrites&& writes) {
  std::vector<double> samples;
  for (auto _ : state) {
    const double took = writes.next();
    if (took < 0) {
      state.SkipWithError("write failed");
      break;
    }
    state.SetIterationTime(took / 1e6);
    samples.push_back(took);
  }
  reportPercentiles(state, samples);
}

constexpr int kWrites = 100;

void BM_StoreWrite(benchmark::State& state, const char* key) {
  timedLoop(state, StoreWrites(storeSubject(key)));
}

void BM_ReplaceBytes(benchmark::State& state, const char* key) {
  timedLoop(state, ByteReplaces(storeSubject(key)));
}

void timedWrites(benchmark::internal::Benchmark* figure) {
  figure->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(kWrites);
}

BENCHMARK_CAPTURE(BM_StoreWrite, commands, "commands")->Apply(timedWrites);
BENCHMARK_CAPTURE(BM_ReplaceBytes, commands, "commands")->Apply(timedWrites);
BENCHMARK_CAPTURE(BM_StoreWrite, folders, "folders")->Apply(timedWrites);
BENCHMARK_CAPTURE(BM_ReplaceBytes, folders, "folders")->Apply(timedWrites);

}  // namespace
