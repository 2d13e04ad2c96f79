// Writes the seed corpora of the fuzz targets, one folder per target under
// the folder given, made with the program's own writers:
//   tavrelin_fuzz_seeds tests/fuzz/corpus
// Each seed is a small valid input that reaches one feature of its parser.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "actions/TextCipher.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/IniFile.h"
#include "storage/SchemeFile.h"

namespace {

namespace fs = std::filesystem;
using tav::SchemeEntry;

constexpr std::string_view kPassword = "fuzz密码";
constexpr std::string_view kEmptyScheme =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
    "<velmora>\r\n\t<set>\r\n\t\t<password></password>\r\n\t</set>\r\n"
    "\t<hotkeylist>\r\n\t</hotkeylist>\r\n</velmora>\r\n";

class Corpus {
 public:
  Corpus(const fs::path& root, const std::string& target) : folder_(root / target) {
    fs::create_directories(folder_);
  }
  void Add(const std::string& name, std::string_view bytes) const {
    std::ofstream(folder_ / name, std::ios::binary).write(bytes.data(), bytes.size());
  }

 private:
  fs::path folder_;
};

const std::vector<SchemeEntry> kEntries = {
    {"6+78", "notepad.exe", "记事本", "程序"},
    {"3+67", "calc.exe $$/ 计算器", "", "工具"},
    {"2+80", "Tavrelin停止/开始工作", "暂停", ""},
    {"4+112", "C:\\Script\\宏.tsc", "宏 & <脚本>", "脚本"},
    {"1+32", "PasteLine:你好，世界 😀", "\"引号\" 'x'", "文本"},
    {"0+0", "", "", ""},
};

std::string Scheme(const std::vector<SchemeEntry>& entries, const std::string& digest = {}) {
  tav::SchemeDocument document;
  document.LoadBytes(kEmptyScheme, "seed.xml");
  document.SetPassword(digest);
  for (const SchemeEntry& entry : entries) document.AppendEntry(entry);
  return document.ToBytes();
}

SchemeEntry Encrypted(const SchemeEntry& entry) {
  const auto encrypt = [](const std::string& text) { return tav::EncryptText(kPassword, text); };
  return {encrypt(entry.hotkey), encrypt(entry.action), encrypt(entry.hint), encrypt(entry.sort)};
}

void WriteSchemeSeeds(const fs::path& root) {
  const Corpus plain(root, "scheme");
  plain.Add("empty", kEmptyScheme);
  plain.Add("entries", Scheme(kEntries));
  std::vector<SchemeEntry> many;
  for (int i = 0; i < 101; ++i)
    many.push_back({"2+" + std::to_string(65 + i % 26), "x.exe", "", ""});
  plain.Add("over-limit", Scheme(many));
  // Hand-edited shapes: other element names, missing texts, a comment,
  // CDATA, references, a BOM and a UTF-8 declaration.
  plain.Add("hand-edited",
            "<?xml version=\"1.0\"?>\n<root><a><b/></a><list>"
            "<e><k>2+65</k><!-- note --><v><![CDATA[a<b]]></v></e>"
            "<e><k>6+&#x36;5</k></e><e/></list></root>");
  plain.Add("bom-utf8",
            "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?><r><s><p/></s><l/></r>");

  const Corpus protectedCorpus(root, "scheme_protected");
  std::vector<SchemeEntry> encrypted;
  for (const SchemeEntry& entry : kEntries) {
    // Characters GB2312 lacks cannot be encrypted; that entry stays out.
    try {
      encrypted.push_back(Encrypted(entry));
    } catch (const tav::EncodingError&) {
    }
  }
  protectedCorpus.Add("entries", Scheme(encrypted, tav::DigestText(kPassword)));
  protectedCorpus.Add("one", Scheme({Encrypted(kEntries[0])}, tav::DigestText(kPassword)));
  protectedCorpus.Add("not-hex",
                      Scheme({{"XYZ", "12", "0400000", ""}}, tav::DigestText(kPassword)));
}

void WriteKeyTextSeeds(const fs::path& root) {
  const Corpus corpus(root, "keytext");
  const char* texts[] = {
      "6+65", "0+0", "7+255", "15+256", "$6+0x41", " 2 + 13 ", "-1+-1", "2147483647+2147483648",
      "+",    "1+",  "+1",    "6+6+5",  "a+b"};
  int i = 0;
  for (const char* text : texts) corpus.Add("key-" + std::to_string(i++), text);
}

void WriteProfileSeeds(const fs::path& root) {
  tav::IniDocument settings;
  settings.WriteString("System", "密码", tav::DigestText("access"));
  for (const char* category : {"程序", "工具", "文本"}) settings.WriteString("Sort", category, "0");
  tav::IniDocument legacy;
  for (const SchemeEntry& entry : kEntries) {
    try {
      legacy.WriteString(entry.hotkey, "执行操作", entry.action);
      legacy.WriteString(entry.hotkey, "提示", entry.hint.empty() ? "-" : entry.hint);
      legacy.WriteString(entry.hotkey, "类别", entry.sort.empty() ? "-" : entry.sort);
    } catch (const tav::EncodingError&) {
    }
  }
  const std::string odd =
      "; comment\r\n[ System ]\r\n 密码 = \"quoted\" \r\nflag\r\n[Sort]\r\na=1\r\nA=2\r\n"
      "[x]=y\r\n[Sort]\r\nlater=3\r\n\xFF\xFE broken\r\n";

  const Corpus profile(root, "profile");
  profile.Add("set-ini", "Sort\t新类别\t0\n" + settings.ToBytes());
  profile.Add("legacy-ini", "6+78\t提示\t'新'\n" + legacy.ToBytes());
  profile.Add("odd-lines", "System\t密码\tabc\n" + odd);
  profile.Add("utf8-bom", "s\tk\tv\n\xEF\xBB\xBF[s]\r\nk=值\r\n");
  profile.Add("utf16-bom", std::string("s\tk\tv\n\xFF\xFE[\0s\0]\0\r\0\n\0k\0=\0v\0", 24));

  const Corpus settingsCorpus(root, "settings");
  settingsCorpus.Add("set-ini", settings.ToBytes());
  settingsCorpus.Add("odd-lines", odd);
}

void WriteScriptSeeds(const fs::path& root) {
  const Corpus corpus(root, "script");
  const auto cp936 = [](const std::string& text) { return tav::Utf8ToCp936(text); };
  corpus.Add("commands",
             cp936("PasteLine:你好\r\n"
                   "Key_Press:Enter\r\nKey_Down~:Shift\r\nKey_Press:a\r\nKey_Up~~~:Shift\r\n"
                   "Mouse_btn:LDown\r\nMouse_btn:LUp\r\nMouse_btn:RDown\r\nMouse_btn:RUp\r\n"
                   "Delay_ms~:100\r\nDelay_s~~:1\r\nDelay_m~~:0\r\nDelay_h~~:0\r\n"));
  corpus.Add("operations", cp936("显示Tavrelin\r\nTavrelin停止/开始工作\r\n打开/关闭光驱\r\n"
                                 "控制面板 $$/ 注释\r\n日期/时间属性\r\n关闭计算机\r\n"));
  corpus.Add("targets", cp936("notepad.exe C:\\todo.txt\r\nhttp://example.org\r\nother.tsc\r\n"));
  corpus.Add("bad-lines", "Delay_ms~:x\r\nKey_Press:NoSuchKey\r\nDelay_h~~:999999\r\n\xFF\xFE\r\n");
  corpus.Add("held-keys", "Key_Down~:Ctrl\nKey_Down~:Alt\nKey_Down~:A\n");
}

void WriteCipherSeeds(const fs::path& root) {
  const Corpus corpus(root, "cipher");
  corpus.Add("short", tav::EncryptText("fuzz密码", "notepad.exe"));
  corpus.Add("long", tav::EncryptText("fuzz密码", "一段比十六个字节长得多的中文文本"));
  corpus.Add("password", "另一个密码1234567890\n" + tav::EncryptText("另一个密码1234567890", "x"));
  corpus.Add("odd-length", "0100000");
  corpus.Add("huge-length", "FFFFFFFF00000000000000000000000000000000");
  corpus.Add("plain", "plain text, not hexadecimal");
}

void WriteEncodingSeeds(const fs::path& root) {
  const Corpus corpus(root, "encoding");
  corpus.Add("gb2312", tav::Utf8ToCp936("热键配制方案，中文文本"));
  corpus.Add("gbk", tav::Utf8ToCp936("€ 丂 ｛"));
  corpus.Add("utf8", "UTF-8 文本 😀 é");
  corpus.Add("utf16", std::string("\x2D\x4E\x87\x65\x3D\xD8\x00\xDE", 8));
  corpus.Add("invalid", "\x81\x20\xFF\xC0\x80\xED\xA0\x80");
}

// Legacy hotkey lists: one section per entry, as an earlier version writes
// them, and the shapes a hand edit leaves.
void WriteLegacyConversionSeeds(const fs::path& root) {
  const Corpus corpus(root, "legacy_conversion");
  tav::IniDocument legacy;
  for (const SchemeEntry& entry : kEntries) {
    try {
      legacy.WriteString(entry.hotkey, "执行操作", entry.action);
      if (!entry.hint.empty()) legacy.WriteString(entry.hotkey, "提示", entry.hint);
      if (!entry.sort.empty()) legacy.WriteString(entry.hotkey, "类别", entry.sort);
    } catch (const tav::EncodingError&) {
    }
  }
  corpus.Add("entries", legacy.ToBytes());
  std::string many;
  for (int i = 0; i < 102; ++i) many += "[2+" + std::to_string(65 + i % 26) + "]\r\n执行操作=x\r\n";
  corpus.Add("over-limit", tav::Utf8ToCp936(many));
  corpus.Add(
      "hand-edited",
      tav::Utf8ToCp936("; 旧的热键\n[ 6+78 ]\n 执行操作 = \" notepad.exe \" \n提示='记事本'\n"
                       "[6+78]\n类别=重复\n[bad key]\n执行操作\n[]\n提示=空节\n") +
          "[3+65]\n\xCC\xE1\xCA\xBE=\xFF\xFE\n");
  corpus.Add("utf16-bom", std::string("\xFF\xFE[\0"
                                      "1\0+\0"
                                      "6\0]\0\n\0",
                                      14));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: tavrelin_fuzz_seeds CORPUS_FOLDER\n";
    return 2;
  }
  const fs::path root = argv[1];
  WriteSchemeSeeds(root);
  WriteKeyTextSeeds(root);
  WriteProfileSeeds(root);
  WriteScriptSeeds(root);
  WriteCipherSeeds(root);
  WriteEncodingSeeds(root);
  WriteLegacyConversionSeeds(root);
  return 0;
}
