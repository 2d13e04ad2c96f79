#include "storage/SchemeFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <system_error>
#include <utility>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "platform/Platform.h"
#include "storage/KeyText.h"

namespace tav {

namespace {

constexpr char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"GB2312\"?>";

// A new scheme, byte for byte: tabs for indentation, CR LF after each line.
constexpr char kSchemeTemplate[] =
    "<?xml version=\"1.0\" encoding=\"GB2312\"?>\r\n"
    "<velmora>\r\n"
    "\t<set>\r\n"
    "\t\t<password></password>\r\n"
    "\t</set>\r\n"
    "\t<hotkeylist>\r\n"
    "\t</hotkeylist>\r\n"
    "</velmora>\r\n";

constexpr const char* kEntryElementNames[] = {"hotkey", "action", "hint", "sort"};

std::string Quoted(const std::string& path) {
  return "热键配制方案“" + path + "”";
}

// The element child of `parent` at `position`, or a null node.
pugi::xml_node ElementChild(pugi::xml_node parent, int position) {
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_element && position-- == 0) return child;
  }
  return {};
}

int ElementChildCount(pugi::xml_node parent) {
  int count = 0;
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling())
    count += child.type() == pugi::node_element ? 1 : 0;
  return count;
}

// Line and column (both from 1, columns in characters) of a byte offset.
std::pair<int, int> LineAndColumn(const std::string& text, ptrdiff_t offset) {
  const size_t end = std::min(static_cast<size_t>(std::max<ptrdiff_t>(offset, 0)), text.size());
  int line = 1;
  int column = 1;
  for (size_t i = 0; i < end; ++i) {
    if (text[i] == '\n') {
      ++line, column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return {line, column};
}

// The serializer writes LF; scheme files are Windows text files.
std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

std::string WithSeparator(const std::string& directory) {
  if (!directory.empty() && IsSeparator(directory.back())) return directory;
  return directory + static_cast<char>(std::filesystem::path::preferred_separator);
}

std::string DataDirectory(const std::string& programDirectory) {
  const std::string base = WithSeparator(programDirectory);
  return base + "Data" + base.back();
}

// The password element: first element child of the first element child of
// the document element.
pugi::xml_node PasswordElementOf(const pugi::xml_document& document, const std::string& path) {
  const pugi::xml_node settings = ElementChild(document.document_element(), 0);
  if (!settings) throw Error(Quoted(path) + "缺少设置元素（根元素的第 1 个子元素）");
  const pugi::xml_node password = ElementChild(settings, 0);
  if (!password) throw Error(Quoted(path) + "缺少密码元素（设置元素的第 1 个子元素）");
  return password;
}

// The list element: the element child at position 1 of the document element.
pugi::xml_node ListOf(const pugi::xml_document& document, const std::string& path) {
  const pugi::xml_node list = ElementChild(document.document_element(), 1);
  if (!list) throw Error(Quoted(path) + "缺少热键列表元素（根元素的第 2 个子元素）");
  return list;
}

bool HasXmlExtension(const std::string& name) {
  if (name.size() < 4) return false;
  std::string extension = name.substr(name.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".xml";
}

}  // namespace

// --- SchemeDocument ----------------------------------------------------------

void SchemeDocument::Load(const std::string& path) {
  LoadBytes(ReadWholeFile(path), path);
}

void SchemeDocument::LoadBytes(std::string_view fileBytes, const std::string& name) {
  std::string text;
  try {
    text = Cp936ToUtf8(fileBytes);
  } catch (const EncodingError& error) {
    throw Error(Quoted(name) + "不是 GB2312 文本：" + error.what());
  }
  pugi::xml_document parsed;
  const pugi::xml_parse_result result =
      parsed.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!result) {
    const auto [line, column] = LineAndColumn(text, result.offset);
    throw Error(Quoted(name) + "不是有效的 XML 文件：" + result.description() + "（第 " +
                std::to_string(line) + " 行，第 " + std::to_string(column) + " 列）");
  }
  // Take the new tree only once it has every element the readers address.
  PasswordElementOf(parsed, name);
  ListOf(parsed, name);
  document_ = std::move(parsed);
  path_ = name;
}

void SchemeDocument::Save(const std::string& path) const {
  if (!document_.document_element()) throw Error(Quoted(path) + "没有内容可保存");
  WriteFileAtomically(path, ToBytes());
}

std::string SchemeDocument::ToBytes() const {
  std::ostringstream out;
  document_.save(out, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  const std::string xml = std::string(kDeclaration) + "\n" + out.str();
  return Utf8ToCp936(WithCrLf(xml), Unencodable::kXmlReference);
}

std::string SchemeDocument::Password() const {
  return PasswordElement().text().get();
}

void SchemeDocument::SetPassword(const std::string& digest) {
  PasswordElement().text().set(digest.c_str());
}

int SchemeDocument::EntryCount() const {
  return ElementChildCount(List());
}

SchemeEntry SchemeDocument::Entry(int position) const {
  const pugi::xml_node entry = EntryElement(position);
  const auto text = [&](int index) -> std::string {
    return ElementChild(entry, index).text().get();
  };
  return {text(0), text(1), text(2), text(3)};
}

void SchemeDocument::SetEntryText(int position, EntryField field, const std::string& text) {
  pugi::xml_node entry = EntryElement(position);
  const int index = static_cast<int>(field);
  for (int missing = ElementChildCount(entry); missing <= index; ++missing)
    entry.append_child(kEntryElementNames[missing]);
  ElementChild(entry, index).text().set(text.c_str());
}

void SchemeDocument::AppendEntry(const SchemeEntry& entry) {
  pugi::xml_node element = List().append_child("hotkeyset");
  const std::string* texts[] = {&entry.hotkey, &entry.action, &entry.hint, &entry.sort};
  for (int i = 0; i < 4; ++i) {
    pugi::xml_node child = element.append_child(kEntryElementNames[i]);
    if (!texts[i]->empty()) child.text().set(texts[i]->c_str());
  }
}

void SchemeDocument::RemoveEntry(int position) {
  List().remove_child(EntryElement(position));
}

void SchemeDocument::RemoveEntries(std::vector<int> positions) {
  std::sort(positions.begin(), positions.end());
  positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
  for (int position : positions) EntryElement(position);  // throws before anything is removed
  // From the highest position down, so the positions still to go stay valid.
  for (auto it = positions.rbegin(); it != positions.rend(); ++it) RemoveEntry(*it);
}

pugi::xml_node SchemeDocument::PasswordElement() const {
  return PasswordElementOf(document_, path_);
}

pugi::xml_node SchemeDocument::List() const {
  return ListOf(document_, path_);
}

pugi::xml_node SchemeDocument::EntryElement(int position) const {
  const pugi::xml_node entry = position >= 0 ? ElementChild(List(), position) : pugi::xml_node();
  if (!entry) throw Error(Quoted(path_) + "中没有第 " + std::to_string(position + 1) + " 个热键");
  return entry;
}

// --- Whole files -------------------------------------------------------------

void WriteSchemeTemplate(const std::string& path) {
  WriteFileAtomically(path, kSchemeTemplate);
}

std::string ReadSchemeDigestOrEmpty(const std::string& path) {
  try {
    return ReadSchemeDigest(path);
  } catch (const std::exception&) {
    return {};
  }
}

std::string ReadSchemeDigest(const std::string& path) {
  SchemeDocument document;
  document.Load(path);
  return document.Password();
}

// --- Entry table -------------------------------------------------------------

void ResetSlots(EntryTable& table) {
  for (HotkeySlot& slot : table) slot.modifiers = 0, slot.virtualKey = 0;
}

void LoadEntries(const std::string& path, const TextDecryptor& decrypt, EntryTable& table,
                 std::vector<HotkeyListItem>& items) {
  SchemeDocument document;
  document.Load(path);
  LoadEntries(document, decrypt, table, items);
}

void LoadEntries(const SchemeDocument& document, const TextDecryptor& decrypt, EntryTable& table,
                 std::vector<HotkeyListItem>& items) {
  const std::string& path = document.path();
  const int count = document.EntryCount();
  // Only a hand-edited or converted file can hold more; loading part of it
  // would silently drop hotkeys, so the whole scheme is refused.
  if (count > kSlotCount) {
    throw Error(Quoted(FileNameOf(path)) + "中有 " + std::to_string(count) + " 个热键，超过了 " +
                std::to_string(kSlotCount) + " 个的上限，未能载入。");
  }
  for (int i = 0; i < count; ++i) {
    SchemeEntry entry = document.Entry(i);
    if (decrypt) {
      for (std::string* text : {&entry.hotkey, &entry.action, &entry.hint, &entry.sort}) {
        if (!text->empty()) *text = decrypt(*text);
      }
    }
    const int32_t flags = KeyTextPart(entry.hotkey, kModifierPart);
    const int32_t key = KeyTextPart(entry.hotkey, kKeyPart);
    HotkeySlot& slot = table[static_cast<size_t>(i)];
    slot.modifiers = flags;
    slot.virtualKey = key;
    slot.action = entry.action;
    slot.hint = entry.hint;
    slot.category = entry.sort;
    items.push_back({DisplayText(flags, key), entry.action, entry.sort, i});
  }
}

bool CanAddEntry(int entryCount) {
  return entryCount < kMaxSchemeEntries;
}

// --- Scheme directory --------------------------------------------------------

std::string DefaultSchemePath(const std::string& programDirectory) {
  return WithSeparator(programDirectory) + "hotkey.xml";
}

std::string UserSchemePath(const std::string& programDirectory, const std::string& name) {
  return DataDirectory(programDirectory) + name;
}

std::vector<std::string> ListUserSchemes(const std::string& programDirectory) {
  std::vector<std::string> names;
  std::error_code error;
  std::filesystem::directory_iterator it(PathFromUtf8(DataDirectory(programDirectory)), error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::error_code statusError;
    if (!it->is_regular_file(statusError)) continue;
    std::string name = PathToUtf8(it->path().filename());
    if (HasXmlExtension(name)) names.push_back(std::move(name));
  }
  return names;
}

bool DeleteUserScheme(const std::string& programDirectory, const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      std::any_of(name.begin(), name.end(), IsSeparator) || name.find(':') != std::string::npos) {
    throw Error("“" + name + "”不是热键配制方案的文件名");
  }
  const std::string path = UserSchemePath(programDirectory, name);
  std::error_code error;
  const bool removed = std::filesystem::remove(PathFromUtf8(path), error);
  if (error) throw FileError("Cannot delete file \"" + path + "\"");
  return removed;
}

}  // namespace tav
