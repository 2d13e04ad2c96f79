// The highlighter scanner over a generated 10 MB script of comments,
// strings, Chinese text and commands: throughput, and the allocations made
// while lines are scanned (counted through the global operator new).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "base/TextEncoding.h"
#include "editor/ScriptScanner.h"

namespace {
std::atomic<long long> allocations{0};
}  // namespace

// The replaced operator new takes its blocks from malloc, so free is the
// matching release; GCC cannot see that through the replacement.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}

namespace tav {
namespace {

std::vector<std::string> GenerateScript(std::size_t bytes) {
  const std::vector<std::string> pattern = {
      Utf8ToCp936("$$/打开记事本并输入问候"),
      "Key_Down~:Ctrl",
      "Key_Press:V",
      "Key_Up~~~:Ctrl",
      Utf8ToCp936("PasteLine:你好，世界 Hello World $$/粘贴一行"),
      "Delay_ms~:200",
      Utf8ToCp936("\"引号里的文字\" and more text_with_underscores"),
      "@$% a comment that opens here",
      Utf8ToCp936("  and goes on 在下一行 until @$% Mouse_btn:LDown"),
      "",
      "C:\\Program Files\\Tools\\app.exe",
  };
  std::vector<std::string> lines;
  std::size_t total = 0;
  for (std::size_t i = 0; total < bytes; ++i) {
    lines.push_back(pattern[i % pattern.size()]);
    total += lines.back().size() + 2;
  }
  return lines;
}

void BM_ScanTenMegabyteScript(benchmark::State& state) {
  const std::vector<std::string> lines = GenerateScript(10 * 1024 * 1024);
  std::size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size();
  ScriptHighlighter scanner;
  // The count of 0 below means something only if the counter sees allocations.
  const long long probe = allocations.load();
  auto* sample = new std::string(64, 'x');
  benchmark::DoNotOptimize(sample);
  delete sample;
  if (allocations.load() == probe) state.SkipWithError("allocations are not counted");
  long long tokens = 0;
  long long allocationsWhileScanning = 0;
  for (auto _ : state) {
    scanner.ResetRange();
    const long long before = allocations.load();
    for (std::size_t i = 0; i < lines.size(); ++i) {
      scanner.SetLine(lines[i].c_str(), static_cast<int>(i));
      while (!scanner.GetEol()) {
        benchmark::DoNotOptimize(scanner.GetTokenKind());
        ++tokens;
        scanner.Next();
      }
    }
    allocationsWhileScanning += allocations.load() - before;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
  state.counters["lines"] = static_cast<double>(lines.size());
  state.counters["tokens_per_line"] =
      static_cast<double>(tokens) / static_cast<double>(lines.size() * state.iterations());
  state.counters["allocations_per_line"] = static_cast<double>(allocationsWhileScanning) /
                                           static_cast<double>(lines.size() * state.iterations());
}
BENCHMARK(BM_ScanTenMegabyteScript)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tav

BENCHMARK_MAIN();
