// Loading a scheme of 100 entries, plain and protected: the protected load
// decrypts 400 cipher texts on top of the parse.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "actions/TextCipher.h"
#include "base/TextEncoding.h"
#include "storage/SchemeFile.h"

namespace tav {
namespace {

constexpr const char* kPassword = "方案密码2026";

// Writes a scheme of 100 entries with realistic texts; returns its path.
std::string WriteScheme(bool isProtected) {
  const auto text = [&](const std::string& plain) {
    return isProtected ? EncryptText(kPassword, plain) : plain;
  };
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n<velmora>\r\n\t<set>\r\n"
      "\t\t<password>" +
      (isProtected ? DigestText(kPassword) : std::string()) +
      "</password>\r\n\t</set>\r\n\t<hotkeylist>\r\n";
  for (int i = 0; i < 100; ++i) {
    xml += "\t\t<hotkeyset><hotkey>" + text("3+" + std::to_string(65 + i % 26)) +
           "</hotkey><action>" +
           text("C:\\Program Files\\工具\\程序" + std::to_string(i) + ".exe") + "</action><hint>" +
           text("打开第 " + std::to_string(i) + " 个常用程序") + "</hint><sort>" +
           text("常用程序") + "</sort></hotkeyset>\r\n";
  }
  xml += "\t</hotkeylist>\r\n</velmora>\r\n";
  const std::string path =
      (std::filesystem::temp_directory_path() /
       (isProtected ? "tavrelin-bench-protected.xml" : "tavrelin-bench-plain.xml"))
          .string();
  std::ofstream(path, std::ios::binary) << Utf8ToCp936(xml);
  return path;
}

void LoadScheme(benchmark::State& state, bool isProtected) {
  const std::string path = WriteScheme(isProtected);
  TextDecryptor decrypt;
  if (isProtected) {
    decrypt = [](const std::string& cipherText) { return DecryptText(kPassword, cipherText); };
  }
  EntryTable table;
  for (auto _ : state) {
    std::vector<HotkeyListItem> items;
    ResetSlots(table);
    LoadEntries(path, decrypt, table, items);
    benchmark::DoNotOptimize(items.data());
  }
  std::filesystem::remove(path);
}

void LoadPlainScheme100(benchmark::State& state) {
  LoadScheme(state, false);
}
void LoadProtectedScheme100(benchmark::State& state) {
  LoadScheme(state, true);
}

BENCHMARK(LoadPlainScheme100)->Unit(benchmark::kMicrosecond);
BENCHMARK(LoadProtectedScheme100)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tav

BENCHMARK_MAIN();
