#include "editor/ScriptFile.h"

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"

namespace tav {

std::vector<std::string> SplitTextLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> ReadScriptLines(const std::string& path) {
  return SplitTextLines(Cp936ToUtf8(ReadWholeFile(path)));
}

std::string EncodeScriptLines(const std::vector<std::string>& lines) {
  std::string bytes;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    try {
      bytes += Utf8ToCp936(lines[i]);
    } catch (const EncodingError&) {
      throw EncodingError("第 " + std::to_string(i + 1) +
                          " 行含有 GB2312 脚本文件无法保存的字符，请删除或替换后再保存。");
    }
    bytes += "\r\n";
  }
  return bytes;
}

void WriteScriptLines(const std::string& path, const std::vector<std::string>& lines) {
  WriteFileAtomically(path, EncodeScriptLines(lines));
}

std::string ScriptSaveName(const std::string& chosen) {
  const std::string name = FileNameOf(chosen);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && EqualsIgnoringAsciiCase(name.substr(dot), ".tsc")) {
    return chosen;
  }
  return chosen + ".tsc";
}

}  // namespace tav
