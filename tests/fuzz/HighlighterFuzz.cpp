// The script highlighter's scanner over arbitrary script bytes, line by line
// with the range carried between lines as the editor does: every byte of a
// line lies in exactly one token, tokens follow each other without gaps and
// never run past the zero byte that ends the line (each line sits in a
// buffer of its exact size, so AddressSanitizer sees any read beyond it),
// and only "@$%" comments stay open at a line's end.
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "editor/ScriptScanner.h"

namespace {

using tav::fuzz::Check;

void ScanLine(tav::ScriptHighlighter& scanner, std::string_view bytes, int index) {
  std::vector<char> line(bytes.begin(), bytes.end());
  line.push_back('\0');
  const size_t length = std::strlen(line.data());
  scanner.SetLine(line.data(), index);
  size_t covered = 0;
  while (!scanner.GetEol()) {
    Check(scanner.GetTokenPos() == covered, "a token starts where the last one ended");
    Check(!scanner.GetToken().empty(), "only the end of the line is an empty token");
    const auto kind = scanner.GetTokenKind();
    Check(kind != tav::TokenKind::kTest && static_cast<int>(kind) <= 7, "a known token kind");
    Check(scanner.GetTokenAttribute() != nullptr, "every token but the end has an attribute");
    covered += scanner.GetToken().size();
    Check(covered <= length, "a token stays inside its line");
    scanner.Next();
  }
  Check(covered == length, "the tokens cover the whole line");
  Check(scanner.GetTokenPos() == length && scanner.GetToken().empty(),
        "the end-of-line token stands at the end");
  const tav::ScanRange range = scanner.GetRange();
  Check(range == tav::ScanRange::kUnknown || range == tav::ScanRange::kAtComment,
        "only a multi-line comment stays open");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = tav::fuzz::Bytes(data, size);
  tav::ScriptHighlighter scanner;
  int index = 0;
  size_t start = 0;
  // Lines as the editor hands them over: each with its own line break.
  for (size_t i = 0; i <= input.size(); ++i) {
    if (i < input.size() && input[i] != '\n') continue;
    const size_t end = i < input.size() ? i + 1 : i;
    ScanLine(scanner, input.substr(start, end - start), index++);
    start = end;
  }
  return 0;
}
