// The settings file's parser on files far larger than any the program writes (yet within
// the 1 MiB it reads): many keys, and many values in one key. Each key and value is looked up (ignoring case) as it is
// added, so a linear search makes these quadratic.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/win32/registry_file.h"

namespace {

std::string manyKeys(int count) {
  std::string text = "REGEDIT4\n";
  for (int i = 0; i < count; ++i)
    text += "[HKEY_CURRENT_USER\\Software\\Key" + std::to_string(i) + "]\n";
  return text;
}

std::string manyValues(int count) {
  std::string text = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Brindle Studio\\Tickwood]\n";
  for (int i = 0; i < count; ++i)
    text += "\"V" + std::to_string(i) + "\"=dword:" + std::to_string(10000000 + i) + "\n";
  return text;
}

void parse(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    win32::RegistryDocument document;
    std::string error;
    if (!win32::RegistryDocument::parse(text, document, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(document);
  }
  state.counters["KB"] = double(text.size()) / 1024.0;
}

void BM_ParseManyKeys(benchmark::State& state) { parse(state, manyKeys(int(state.range(0)))); }
void BM_ParseManyValues(benchmark::State& state) { parse(state, manyValues(int(state.range(0)))); }

} // namespace

BENCHMARK(BM_ParseManyKeys)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseManyValues)->Arg(32000)->Unit(benchmark::kMillisecond);
