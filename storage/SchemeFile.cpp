#include "storage/SchemeFile.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "base/AsciiText.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/TextEncoding.h"
#include "platform/Platform.h"
#include "storage/KeyText.h"
#include "storage/XmlCharacters.h"

namespace tav {

namespace {

// Collects what pugixml writes, without the weight of the C++ streams.
struct StringWriter : pugi::xml_writer {
  std::string text;
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
};

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

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

bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

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
  return directory + kPathSeparator;
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

// --- Encodings ---------------------------------------------------------------

// The value of the encoding pseudo-attribute of the XML declaration that
// opens `text`; empty when there is none.
std::string DeclaredEncoding(std::string_view text) {
  if (text.substr(0, 5) != "<?xml") return {};
  const std::string_view declaration = text.substr(0, text.find("?>"));
  size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return {};
  at += 8;
  const auto skipSpace = [&] {
    while (at < declaration.size() && IsXmlSpace(declaration[at])) ++at;
  };
  skipSpace();
  if (at >= declaration.size() || declaration[at] != '=') return {};
  ++at;
  skipSpace();
  if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) return {};
  const size_t end = declaration.find(declaration[at], at + 1);
  if (end == std::string_view::npos) return {};
  return std::string(declaration.substr(at + 1, end - at - 1));
}

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A file that starts with a UTF-16 byte order mark, as text editors save
// "Unicode" files.
std::string DecodeUtf16Scheme(std::string_view bytes, const std::string& path,
                              SchemeEncoding& encoding) {
  const bool littleEndian = bytes[0] == '\xFF';
  bytes.remove_prefix(2);
  if (bytes.size() % 2 != 0) throw Error(Quoted(path) + "不是完整的 UTF-16 文本");
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(littleEndian ? first | (second << 8) : (first << 8) | second);
  }
  std::string text = Utf16ToUtf8(units);
  const std::string declared = DeclaredEncoding(text);
  encoding.charset =
      littleEndian ? SchemeEncoding::Charset::kUtf16Le : SchemeEncoding::Charset::kUtf16Be;
  encoding.declaredName = EqualsIgnoringAsciiCase(declared, "UTF-16") ? declared : "UTF-16";
  encoding.byteOrderMark = true;
  return text;
}

std::string EncodeUtf16(const std::string& text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : Utf8ToUtf16(text)) {
    const char low = static_cast<char>(unit & 0xFF);
    const char high = static_cast<char>(unit >> 8);
    bytes += littleEndian ? low : high;
    bytes += littleEndian ? high : low;
  }
  return bytes;
}

// The file's text as UTF-8, and how it was encoded. A file without a
// declared encoding is UTF-8 in XML; one whose bytes are not UTF-8 is taken
// as code page 936, as earlier versions read it.
std::string DecodeSchemeBytes(std::string_view bytes, const std::string& path,
                              SchemeEncoding& encoding) {
  using Charset = SchemeEncoding::Charset;
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    return DecodeUtf16Scheme(bytes, path, encoding);
  }
  const bool byteOrderMark = bytes.substr(0, 3) == kUtf8ByteOrderMark;
  if (byteOrderMark) bytes.remove_prefix(3);
  std::string declared = DeclaredEncoding(bytes);
  if (!IsAscii(declared))
    declared.assign(1, '?');  // only ASCII names are known; keeps messages UTF-8
  const bool declaresUtf8 =
      EqualsIgnoringAsciiCase(declared, "UTF-8") || EqualsIgnoringAsciiCase(declared, "UTF8");

  SchemeEncoding found;
  found.byteOrderMark = byteOrderMark;
  if (byteOrderMark || declaresUtf8 || (declared.empty() && !IsAscii(bytes) && IsUtf8(bytes))) {
    // The byte order mark wins over a declaration of another encoding.
    found.charset = Charset::kUtf8;
    found.declaredName = declaresUtf8 ? declared : "UTF-8";
  } else if (declared.empty()) {
    found.charset = Charset::kCp936;
  } else if (EqualsIgnoringAsciiCase(declared, "GB18030")) {
    found.charset = Charset::kGb18030;
    found.declaredName = declared;
  } else if (EqualsIgnoringAsciiCase(declared, "GB2312") ||
             EqualsIgnoringAsciiCase(declared, "GBK") ||
             EqualsIgnoringAsciiCase(declared, "CP936") ||
             EqualsIgnoringAsciiCase(declared, "windows-936")) {
    found.charset = Charset::kCp936;
    found.declaredName = declared;
  } else {
    throw Error(Quoted(path) + "声明的编码“" + declared +
                "”无法读取，只能读取 GB2312、GBK、GB18030 和 UTF-8 编码的方案文件");
  }

  std::string text;
  try {
    switch (found.charset) {
      case Charset::kCp936:
        text = Cp936ToUtf8(bytes);
        break;
      case Charset::kGb18030:
        text = Gb18030ToUtf8(bytes);
        break;
      case Charset::kUtf8:
        if (!IsUtf8(bytes)) throw EncodingError("The text is not valid UTF-8");
        text = std::string(bytes);
        break;
      case Charset::kUtf16Le:
      case Charset::kUtf16Be:
        break;  // found by the byte order mark alone
    }
  } catch (const EncodingError& error) {
    throw Error(Quoted(path) + "不是 " + found.declaredName + " 文本：" + error.what());
  }
  encoding = found;
  return text;
}

std::string EncodeSchemeText(const std::string& text, const SchemeEncoding& encoding) {
  switch (encoding.charset) {
    case SchemeEncoding::Charset::kGb18030:
      return Utf8ToGb18030(text);
    case SchemeEncoding::Charset::kUtf8:
      return (encoding.byteOrderMark ? std::string(kUtf8ByteOrderMark) : std::string()) + text;
    case SchemeEncoding::Charset::kUtf16Le:
      return EncodeUtf16(text, true);
    case SchemeEncoding::Charset::kUtf16Be:
      return EncodeUtf16(text, false);
    case SchemeEncoding::Charset::kCp936:
      break;
  }
  return Utf8ToCp936(text, Unencodable::kXmlReference);
}

// --- Texts -------------------------------------------------------------------

// The text of an element as the system's DOM joins it: its text and CDATA
// pieces and those of nested elements in document order. A text piece of
// white space only stands for one space between the pieces around it,
// except between two CDATA sections. The
// XML white space at both ends is trimmed, but never inside a CDATA section.
class TextJoiner {
 public:
  void Add(pugi::xml_node node) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
      switch (child.type()) {
        case pugi::node_pcdata:
          if (!BetweenCdata(child)) AddPiece(child.value(), false);
          break;
        case pugi::node_cdata:
          AddPiece(child.value(), true);
          break;
        case pugi::node_element:
          Add(child);
          break;
        default:
          break;
      }
    }
  }

  std::string Trimmed() const {
    size_t begin = 0;
    size_t end = text_.size();
    while (begin < std::min(end, firstCdata_) && IsXmlSpace(text_[begin])) ++begin;
    while (end > std::max(begin, lastCdataEnd_) && IsXmlSpace(text_[end - 1])) --end;
    return text_.substr(begin, end - begin);
  }

 private:
  // White space alone between two CDATA sections counts for nothing.
  static bool BetweenCdata(pugi::xml_node text) {
    const std::string_view value = text.value();
    return text.previous_sibling().type() == pugi::node_cdata &&
           text.next_sibling().type() == pugi::node_cdata &&
           std::all_of(value.begin(), value.end(), IsXmlSpace);
  }

  void AddPiece(std::string_view piece, bool cdata) {
    if (!cdata && std::all_of(piece.begin(), piece.end(), IsXmlSpace)) {
      spacePending_ = !piece.empty();
      return;
    }
    if (spacePending_ && !text_.empty()) text_ += ' ';
    spacePending_ = false;
    if (cdata) firstCdata_ = std::min(firstCdata_, text_.size());
    text_ += piece;
    if (cdata) lastCdataEnd_ = text_.size();
  }

  std::string text_;
  bool spacePending_ = false;
  size_t firstCdata_ = std::string::npos;
  size_t lastCdataEnd_ = 0;
};

// Whether xml:space="preserve" holds for the element: set on it or on the
// nearest ancestor that sets xml:space at all.
bool PreservesSpace(pugi::xml_node element) {
  for (pugi::xml_node node = element; node; node = node.parent()) {
    const pugi::xml_attribute space = node.attribute("xml:space");
    if (space) return std::string_view(space.value()) == "preserve";
  }
  return false;
}

void AppendAllPieces(pugi::xml_node node, std::string& text) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
      text += child.value();
    } else if (child.type() == pugi::node_element) {
      AppendAllPieces(child, text);
    }
  }
}

std::string WholeText(pugi::xml_node element) {
  if (PreservesSpace(element)) {  // every piece as it stands, nothing trimmed
    std::string text;
    AppendAllPieces(element, text);
    return text;
  }
  TextJoiner joiner;
  joiner.Add(element);
  return joiner.Trimmed();
}

// Replaces everything inside the element by the text. XML white space at its
// ends goes into CDATA sections, the only place where readers keep it; the
// rest stays ordinary text, so that characters the file's encoding lacks can
// still become character references.
void SetWholeText(pugi::xml_node element, const std::string& whole) {
  // Characters XML cannot hold would make a file no reader takes.
  const std::string text = WithoutCharactersXmlForbids(whole);
  element.remove_children();
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsXmlSpace(text[begin])) ++begin;
  while (end > begin && IsXmlSpace(text[end - 1])) --end;
  if (begin > 0) element.append_child(pugi::node_cdata).set_value(text.substr(0, begin).c_str());
  if (end > begin) {
    element.append_child(pugi::node_pcdata).set_value(text.substr(begin, end - begin).c_str());
  }
  if (end < text.size()) {
    element.append_child(pugi::node_cdata).set_value(text.substr(end).c_str());
  }
}

// Stores the element's whole text back in it as SetWholeText does.
void NormalizeText(pugi::xml_node element) {
  if (element) SetWholeText(element, WholeText(element));
}

// Drops the white space pieces that only lay out the elements, so that a save
// indents the tree afresh.
void RemoveLayoutSpace(pugi::xml_node node) {
  for (pugi::xml_node child = node.first_child(); child;) {
    const pugi::xml_node next = child.next_sibling();
    if (child.type() == pugi::node_pcdata) {
      const std::string_view value = child.value();
      if (std::all_of(value.begin(), value.end(), IsXmlSpace)) node.remove_child(child);
    } else if (child.type() == pugi::node_element) {
      RemoveLayoutSpace(child);
    }
    child = next;
  }
}

// Parses the file's bytes into `document`; keeps white space pieces, since
// the text of an element includes those between its other pieces.
void ParseScheme(std::string_view bytes, const std::string& path, pugi::xml_document& document,
                 SchemeEncoding& encoding) {
  const std::string text = DecodeSchemeBytes(bytes, path, encoding);
  const pugi::xml_parse_result result = document.load_buffer(
      text.data(), text.size(), pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_utf8);
  if (!result) {
    const auto [line, column] = LineAndColumn(text, result.offset);
    throw Error(Quoted(path) + "不是有效的 XML 文件：" + result.description() + "（第 " +
                std::to_string(line) + " 行，第 " + std::to_string(column) + " 列）");
  }
  // The system's XML reader refuses a file with a character XML does not
  // allow, raw or as a reference; the parser would take "&#0;" as the end of
  // the text, and no save could write such texts back.
  if (const auto forbidden = FindCharacterXmlForbids(text)) {
    const auto [line, column] = LineAndColumn(text, static_cast<ptrdiff_t>(*forbidden));
    throw Error(Quoted(path) + "不是有效的 XML 文件：含有 XML 不允许的字符（第 " +
                std::to_string(line) + " 行，第 " + std::to_string(column) + " 列）");
  }
}

// --- Entry options -----------------------------------------------------------

constexpr char kEnabledAttribute[] = "enabled";
constexpr char kModeAttribute[] = "when";
constexpr char kProgramsAttribute[] = "programs";
constexpr char kTitleAttribute[] = "title";
constexpr char kOnlyIn[] = "only";
constexpr char kExceptIn[] = "except";

// An attribute's value holds one line: line breaks and tabs would come back
// as blanks.
std::string OneLine(const std::string& text) {
  std::string line = WithoutCharactersXmlForbids(text);
  std::replace_if(
      line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; }, ' ');
  return line;
}

void SetOrRemove(pugi::xml_node element, const char* name, const std::string& value, bool keep) {
  if (!keep) {
    element.remove_attribute(name);
    return;
  }
  pugi::xml_attribute attribute = element.attribute(name);
  if (!attribute) attribute = element.append_attribute(name);
  attribute.set_value(OneLine(value).c_str());
}

EntryOptions ReadOptions(pugi::xml_node entry) {
  EntryOptions options;
  options.enabled = std::string_view(entry.attribute(kEnabledAttribute).value()) != "0";
  const std::string_view mode = entry.attribute(kModeAttribute).value();
  if (mode == kOnlyIn || mode == kExceptIn) {
    options.condition.mode = mode == kOnlyIn ? ConditionMode::kOnlyIn : ConditionMode::kExceptIn;
    options.condition.programs = entry.attribute(kProgramsAttribute).value();
    options.condition.title = entry.attribute(kTitleAttribute).value();
  }
  return options;
}

// Only what differs from an entry that is on and unconditioned is written.
void WriteOptions(pugi::xml_node entry, const EntryOptions& options) {
  SetOrRemove(entry, kEnabledAttribute, "0", !options.enabled);
  const EntryCondition& condition = options.condition;
  const bool conditioned = condition.mode != ConditionMode::kOff;
  SetOrRemove(entry, kModeAttribute, condition.mode == ConditionMode::kOnlyIn ? kOnlyIn : kExceptIn,
              conditioned);
  SetOrRemove(entry, kProgramsAttribute, condition.programs,
              conditioned && !condition.programs.empty());
  SetOrRemove(entry, kTitleAttribute, condition.title, conditioned && !condition.title.empty());
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

void SchemeDocument::LoadBytes(std::string_view bytes, const std::string& name) {
  pugi::xml_document parsed;
  SchemeEncoding encoding;
  ParseScheme(bytes, name, parsed, encoding);
  // Take the new tree only once it has every element the readers address.
  NormalizeText(PasswordElementOf(parsed, name));
  const pugi::xml_node list = ListOf(parsed, name);
  for (pugi::xml_node entry = ElementChild(list, 0); entry; entry = entry.next_sibling()) {
    if (entry.type() != pugi::node_element) continue;
    for (int i = 0; i < 4; ++i) NormalizeText(ElementChild(entry, i));
  }
  RemoveLayoutSpace(parsed);
  document_ = std::move(parsed);
  encoding_ = encoding;
  path_ = name;
}

void SchemeDocument::LoadTemplate() {
  pugi::xml_document parsed;
  parsed.load_string(kSchemeTemplate);
  document_ = std::move(parsed);
  path_.clear();
  encoding_ = SchemeEncoding{};
}

void SchemeDocument::Save(const std::string& path) const {
  if (!document_.document_element()) throw Error(Quoted(path) + "没有内容可保存");
  WriteFileAtomically(path, ToBytes());
}

std::string SchemeDocument::ToBytes() const {
  StringWriter out;
  document_.save(out, "\t", pugi::format_indent | pugi::format_no_declaration, pugi::encoding_utf8);
  const std::string xml =
      "<?xml version=\"1.0\" encoding=\"" + encoding_.declaredName + "\"?>\n" + out.text;
  return EncodeSchemeText(WithCrLf(xml), encoding_);
}

std::string SchemeDocument::Password() const {
  return WholeText(PasswordElement());
}

void SchemeDocument::SetPassword(const std::string& digest) {
  SetWholeText(PasswordElement(), digest);
}

int SchemeDocument::EntryCount() const {
  return ElementChildCount(List());
}

SchemeEntry SchemeDocument::Entry(int position) const {
  const pugi::xml_node entry = EntryElement(position);
  const auto text = [&](int index) -> std::string {
    const pugi::xml_node element = ElementChild(entry, index);
    return element ? WholeText(element) : std::string();
  };
  return {text(0), text(1), text(2), text(3)};
}

void SchemeDocument::SetEntryText(int position, EntryField field, const std::string& text) {
  pugi::xml_node entry = EntryElement(position);
  const int index = static_cast<int>(field);
  for (int missing = ElementChildCount(entry); missing <= index; ++missing)
    entry.append_child(kEntryElementNames[missing]);
  SetWholeText(ElementChild(entry, index), text);
}

void SchemeDocument::AppendEntry(const SchemeEntry& entry, const EntryOptions& options) {
  pugi::xml_node element = List().append_child("hotkeyset");
  const std::string* texts[] = {&entry.hotkey, &entry.action, &entry.hint, &entry.sort};
  for (int i = 0; i < 4; ++i) {
    SetWholeText(element.append_child(kEntryElementNames[i]), *texts[i]);
  }
  WriteOptions(element, options);
}

EntryOptions SchemeDocument::Options(int position) const {
  return ReadOptions(EntryElement(position));
}

void SchemeDocument::SetOptions(int position, const EntryOptions& options) {
  WriteOptions(EntryElement(position), options);
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

SchemeLock ReadSchemeLock(const std::string& path) {
  try {
    const std::string digest = ReadSchemeDigest(path);
    if (digest.empty()) return {SchemeProtection::kOpen, ""};
    return {SchemeProtection::kProtected, digest};
  } catch (const FileError&) {
    return {SchemeProtection::kUnreadable, ""};
  } catch (const std::exception&) {
    return {SchemeProtection::kDamaged, ""};
  }
}

std::string ReadSchemeDigest(const std::string& path) {
  pugi::xml_document document;
  SchemeEncoding encoding;
  ParseScheme(ReadWholeFile(path), path, document, encoding);
  return WholeText(PasswordElementOf(document, path));
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
    EntryOptions options = document.Options(i);
    if (decrypt) {
      for (std::string* text : {&options.condition.programs, &options.condition.title}) {
        if (!text->empty()) *text = decrypt(*text);
      }
    }
    HotkeySlot& slot = table[static_cast<size_t>(i)];
    slot.modifiers = flags;
    slot.virtualKey = key;
    slot.action = entry.action;
    slot.hint = entry.hint;
    slot.category = entry.sort;
    slot.enabled = options.enabled;
    slot.condition = options.condition;
    items.push_back({DisplayText(flags, key), entry.action, entry.sort, i, options.enabled});
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
  for (FolderEntry& entry : ListFolder(DataDirectory(programDirectory))) {
    if (entry.isRegularFile && HasXmlExtension(entry.name)) names.push_back(std::move(entry.name));
  }
  return names;
}

bool DeleteUserScheme(const std::string& programDirectory, const std::string& name) {
  if (name.empty() || name == "." || name == ".." ||
      std::any_of(name.begin(), name.end(), IsSeparator) || name.find(':') != std::string::npos) {
    throw Error("“" + name + "”不是热键配制方案的文件名");
  }
  const std::string path = UserSchemePath(programDirectory, name);
  const RemoveResult result = RemovePath(path);
  if (result == RemoveResult::kFailed) throw FileError("Cannot delete file \"" + path + "\"");
  return result == RemoveResult::kRemoved;
}

}  // namespace tav
