// Scheme files read by our reader and by the system's XML document object
// model (MSXML through COM), which other copies of the program use: the
// password and the four texts of every entry, addressed by position and read
// through each node's text, must agree. Files are UTF-8, as Wine's DOM has
// no GB2312 decoder; the same texts in GB2312 go through the same reader
// once decoded. Then the file our writer saves must read, through the DOM,
// as the texts we read before the save.
#include "platform/win32/WinApi.h"

#include <gtest/gtest.h>
#include <msxml2.h>
#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <random>

#include "base/AtomicFile.h"
#include "base/PathConversion.h"
#include "base/TextEncoding.h"
#include "storage/SchemeFile.h"

namespace tav {

// Entries in failure messages as their four texts.
void PrintTo(const SchemeEntry& entry, std::ostream* out) {
  *out << "{\"" << entry.hotkey << "\", \"" << entry.action << "\", \"" << entry.hint << "\", \""
       << entry.sort << "\"}";
}

namespace test {
namespace {

namespace fs = std::filesystem;

// An owned COM interface pointer.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (pointer_) pointer_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** Put() { return &pointer_; }
  T* operator->() const { return pointer_; }
  T* get() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  T* pointer_ = nullptr;
};

// What the DOM reads from a scheme file, the way the program's reader walks
// it: the document element's child 0, its child 0; child 1 and its children.
struct DomScheme {
  bool loaded = false;  // parsed, with a password element and a list element
  bool passwordRead = false;
  std::string password;
  std::vector<SchemeEntry> entries;
};

std::string TextOf(IXMLDOMNode* node) {
  BSTR text = nullptr;
  if (FAILED(node->get_text(&text)) || !text) return {};
  const std::string utf8 =
      Utf16ToUtf8(std::u16string(reinterpret_cast<char16_t*>(text), SysStringLen(text)));
  SysFreeString(text);
  return utf8;
}

// Child `position` of `node` among all its child nodes, as the DOM lists them.
bool ChildAt(IXMLDOMNode* node, long position, ComRef<IXMLDOMNode>& child) {
  ComRef<IXMLDOMNodeList> children;
  if (FAILED(node->get_childNodes(children.Put())) || !children) return false;
  return SUCCEEDED(children->get_item(position, child.Put())) && child;
}

long ChildCount(IXMLDOMNode* node) {
  ComRef<IXMLDOMNodeList> children;
  long count = 0;
  if (SUCCEEDED(node->get_childNodes(children.Put())) && children) children->get_length(&count);
  return count;
}

DomScheme ReadWithDom(const std::string& path) {
  DomScheme scheme;
  CLSID domClass;
  ComRef<IXMLDOMDocument> document;
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &domClass)) ||
      FAILED(CoCreateInstance(domClass, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              reinterpret_cast<void**>(document.Put())))) {
    ADD_FAILURE() << "no XML DOM";
    return scheme;
  }
  document->put_async(VARIANT_FALSE);
  const std::u16string widePath = Utf8ToUtf16(path);
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(reinterpret_cast<const wchar_t*>(widePath.c_str()));
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT result = document->load(source, &loaded);
  VariantClear(&source);
  if (FAILED(result) || loaded != VARIANT_TRUE) return scheme;

  ComRef<IXMLDOMElement> root;
  document->get_documentElement(root.Put());
  ComRef<IXMLDOMNode> settings, password, list;
  if (!root || !ChildAt(root.get(), 0, settings) || !ChildAt(settings.get(), 0, password)) {
    return scheme;
  }
  scheme.passwordRead = true;
  scheme.password = TextOf(password.get());
  if (!ChildAt(root.get(), 1, list)) return scheme;
  scheme.loaded = true;
  for (long i = 0; i < ChildCount(list.get()); ++i) {
    ComRef<IXMLDOMNode> entry;
    if (!ChildAt(list.get(), i, entry)) break;
    std::string texts[4];
    for (long k = 0; k < 4; ++k) {
      ComRef<IXMLDOMNode> field;
      if (ChildAt(entry.get(), k, field)) texts[k] = TextOf(field.get());
    }
    scheme.entries.push_back({texts[0], texts[1], texts[2], texts[3]});
  }
  return scheme;
}

DomScheme ReadWithOurs(const std::string& path) {
  DomScheme scheme;
  SchemeDocument document;
  try {
    document.Load(path);
  } catch (const std::exception&) {
    return scheme;
  }
  scheme.loaded = true;
  scheme.password = document.Password();
  for (int i = 0; i < document.EntryCount(); ++i) scheme.entries.push_back(document.Entry(i));
  return scheme;
}

// A UTF-8 scheme file; entries are raw markup between the tags of their
// four elements.
std::string SchemeXml(const std::vector<std::array<std::string, 4>>& entries,
                      const std::string& password = "", const std::string& prefix = "") {
  std::string xml = prefix +
                    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<velmora>\r\n\t<set>\r\n"
                    "\t\t<password>" +
                    password + "</password>\r\n\t</set>\r\n\t<hotkeylist>\r\n";
  for (const auto& e : entries) {
    xml += "\t\t<hotkeyset>\r\n\t\t\t<hotkey>" + e[0] + "</hotkey>\r\n\t\t\t<action>" + e[1] +
           "</action>\r\n\t\t\t<hint>" + e[2] + "</hint>\r\n\t\t\t<sort>" + e[3] +
           "</sort>\r\n\t\t</hotkeyset>\r\n";
  }
  return xml + "\t</hotkeylist>\r\n</velmora>\r\n";
}

class SchemeDomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("tavrelin-dom-" + std::to_string(random()));
    fs::create_directories(dir_);
    path_ = PathToUtf8(dir_ / "方案.xml");
  }
  void TearDown() override {
    fs::remove_all(dir_);
    CoUninitialize();
  }

  // Both readers on the file, then both on what our writer saves of it.
  void ExpectSameReading(const std::string& bytes, const std::string& label) {
    std::ofstream(PathFromUtf8(path_), std::ios::binary) << bytes;
    const DomScheme dom = ReadWithDom(path_);
    const DomScheme ours = ReadWithOurs(path_);
    ASSERT_EQ(ours.loaded, dom.loaded) << label;
    if (!dom.loaded) return;
    EXPECT_EQ(ours.password, dom.password) << label;
    ASSERT_EQ(ours.entries.size(), dom.entries.size()) << label;
    for (size_t i = 0; i < ours.entries.size(); ++i)
      EXPECT_EQ(ours.entries[i], dom.entries[i]) << label << ", entry " << i;

    SchemeDocument document;
    document.Load(path_);
    document.Save(path_);
    const DomScheme saved = ReadWithDom(path_);
    ASSERT_TRUE(saved.loaded) << label;
    EXPECT_EQ(saved.password, ours.password) << label << " (saved)";
    EXPECT_EQ(saved.entries, ours.entries) << label << " (saved)";
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(SchemeDomTest, TextsAgreeWithTheSystemDom) {
  struct Case {
    const char* label;
    std::string markup;  // one entry's action and hint
  };
  const Case cases[] = {
      {"plain", "notepad.exe"},
      {"spaces at the ends", " \t notepad.exe \r\n\t"},
      {"inner spaces", "a  b\t\tc"},
      {"ideographic spaces", "\xE3\x80\x80记事本\xE3\x80\x80"},
      {"comment inside", "notepad.exe <!-- old --> C:\\todo.txt"},
      {"empty comment", "6+<!---->65"},
      {"processing instruction", "calc<?note x?>.exe"},
      {"character references", "&#x4E2D;&amp;&lt;&gt;&quot;&#20013;"},
      {"line breaks inside", "first\r\nsecond\rthird"},
      {"only a comment", "<!-- nothing -->"},
      {"CDATA", "<![CDATA[a<b>&c]]>.exe"},
      {"spaces around CDATA", "  <![CDATA[x]]>  "},
      {"nested element", "run <b>this</b> now"},
      {"space between comments", "x<!--1--> <!--2-->y"},
      {"line break between comments", "x<!--1-->\r\n\t<!--2-->y"},
      {"spaces inside CDATA", "<![CDATA[ x ]]>"},
      {"space in a nested element", "a<b> </b>c"},
  };
  for (const Case& c : cases) {
    ExpectSameReading(SchemeXml({{"6+65", c.markup, c.markup, "分类"}}, " abc "), c.label);
  }
}

// Characters XML does not allow, written as references or as raw bytes: a
// reader that took "&#0;" would end the text there, and a save would lose
// the rest of it.
TEST_F(SchemeDomTest, CharactersXmlForbidsAgree) {
  const std::pair<const char*, std::string> cases[] = {
      {"reference to NUL", "ab&#0;cd"},
      {"hexadecimal reference to NUL", "ab&#x0;cd"},
      {"reference to a control character", "a&#1;b"},
      {"reference to a surrogate", "a&#xD800;b"},
      {"reference to U+FFFE", "a&#xFFFE;b"},
      {"reference beyond U+10FFFF", "a&#x110000;b"},
      {"raw control character", "a\x01b"},
      {"allowed: tab and line feed", "a&#9;&#xA;b"},
      {"allowed: the last character", "a&#x10FFFF;b"},
  };
  for (const auto& [label, markup] : cases) {
    ExpectSameReading(SchemeXml({{"6+65", markup, "", ""}}), label);
  }
}

// Every sequence of three pieces from a set of kinds, one entry each, so that
// the joining rules are compared at every boundary between kinds.
TEST_F(SchemeDomTest, EveryMixOfThreePiecesAgrees) {
  const std::string kinds[] = {"a",          " ",        "\r\n\t",        " d ",
                               "<!--c-->",   "<?p x?>",  "<![CDATA[ ]]>", "<![CDATA[b ]]>",
                               "<i> c </i>", "<i> </i>", "<i/>",          "&#32;"};
  std::vector<std::array<std::string, 4>> entries;
  for (const std::string& first : kinds) {
    for (const std::string& second : kinds) {
      for (const std::string& third : kinds) {
        entries.push_back({"6+65", first + second + third, "", ""});
      }
    }
  }
  ExpectSameReading(SchemeXml(entries), "mixes of three pieces");
}

TEST_F(SchemeDomTest, WholeSchemesAgreeWithTheSystemDom) {
  const std::string digest = "900150983cd24fb0d6963f7d28e17f72";
  ExpectSameReading(SchemeXml({}), "no entries");
  std::string preserved =
      SchemeXml({{"6+65", " a  <!--x-->\r\n\t<![CDATA[ b ]]> <i> </i> ", " c ", "d"}});
  preserved.replace(preserved.find("<action>"), 8, "<action xml:space=\"preserve\">");
  preserved.replace(preserved.find("<velmora>"), 9, "<velmora xml:space=\"default\">");
  preserved.replace(preserved.find("<hint>"), 6, "<hint xml:space=\"preserve\">");
  ExpectSameReading(preserved, "spaces preserved");
  ExpectSameReading(SchemeXml({{"3+78", "notepad.exe", "记事本", "常用程序"},
                               {"6+65", "calc.exe", "", ""},
                               {"0+112", "http://www.example.com/?a=1&amp;b=2", "网页", "网络"}},
                              digest),
                    "three entries");
  ExpectSameReading(SchemeXml({{"6+65", "记事本.exe", "", ""}}, "", "\xEF\xBB\xBF"),
                    "byte order mark");
  // UTF-16 with its byte order mark, as a text editor saves "Unicode".
  std::string utf16 = "\xFF\xFE";
  std::string xml = SchemeXml({{"6+65", "记事本.exe", " 提示 ", "分类"}});
  xml.replace(xml.find("UTF-8"), 5, "UTF-16");
  for (char16_t unit : Utf8ToUtf16(xml)) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>(unit >> 8);
  }
  ExpectSameReading(utf16, "UTF-16");
  ExpectSameReading(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><velmora><set><password/></set><hotkeylist>"
      "<hotkeyset><hotkey>6+65</hotkey><action>a</action><hint/><sort></sort></hotkeyset>"
      "</hotkeylist></velmora>",
      "empty elements, no layout");
  // An entry switched off or limited to some programs carries attributes
  // that a reader by position passes over: it reads the same four texts.
  std::string conditioned = SchemeXml({{"6+65", "记事本.exe", "提示", ""}, {"3+66", "b", "", ""}});
  conditioned.replace(conditioned.find("<hotkeyset>"), 11,
                      "<hotkeyset enabled=\"0\" when=\"only\" programs=\"notepad.exe; 写字板.exe\" "
                      "title=\"报告 &amp; 草稿\">");
  ExpectSameReading(conditioned, "switched off and conditioned");
  ExpectSameReading(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><velmora><set><password>x"
      "</password></set><hotkeylist><hotkeyset>",
      "not well-formed");
}

TEST_F(SchemeDomTest, DigestAgreesWhenTheListIsDamaged) {
  const std::string digest = "900150983cd24fb0d6963f7d28e17f72";
  std::ofstream(PathFromUtf8(path_), std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><velmora><set><password>\r\n\t" + digest +
             "\r\n</password></set></velmora>";
  const DomScheme dom = ReadWithDom(path_);
  ASSERT_TRUE(dom.passwordRead);
  EXPECT_EQ(dom.password, digest);
  EXPECT_EQ(ReadSchemeDigest(path_), dom.password);
  EXPECT_EQ(ReadSchemeLock(path_).digest, dom.password);
}

// Where our reader deliberately differs from the system's DOM, each case with
// what each side reads, so that a change on either side shows here.
TEST_F(SchemeDomTest, DeliberateDifferencesFromTheSystemDom) {
  const auto write = [&](const std::string& bytes) {
    std::ofstream(PathFromUtf8(path_), std::ios::binary) << bytes;
  };
  const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
  const std::string entry =
      "<hotkeyset><hotkey>6+65</hotkey><action>a.exe</action><hint/><sort/></hotkeyset>";

  // A comment between entries: the DOM takes it for entry 0 and shifts the
  // rest; ours addresses element children only.
  write(head + "<velmora><set><password/></set><hotkeylist><!-- old -->" + entry +
        "</hotkeylist></velmora>");
  EXPECT_EQ(ReadWithDom(path_).entries.size(), 2u);
  EXPECT_EQ(ReadWithOurs(path_).entries, (std::vector<SchemeEntry>{{"6+65", "a.exe", "", ""}}));

  // No declaration and GB2312 bytes, as hand-made files of earlier versions
  // are: XML says UTF-8 and the DOM refuses them; ours reads code page 936.
  write(
      Utf8ToCp936("<velmora><set><password/></set><hotkeylist><hotkeyset><hotkey>6+65</hotkey>"
                  "<action>记事本</action><hint/><sort/></hotkeyset></hotkeylist></velmora>"));
  EXPECT_FALSE(ReadWithDom(path_).loaded);
  EXPECT_EQ(ReadWithOurs(path_).entries.at(0).action, "记事本");

  // An encoding beyond GB2312, GBK, GB18030 and UTF-8: the DOM reads it,
  // ours refuses it, as a save could not keep it.
  write(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><velmora><set><password/></set>"
      "<hotkeylist/></velmora>");
  EXPECT_TRUE(ReadWithDom(path_).loaded);
  EXPECT_FALSE(ReadWithOurs(path_).loaded);
}

// The system's converters behind the encodings the DOM cannot be compared
// on here: GB2312 and GB18030 files load, and save in their encoding.
class ChineseEncodingTest : public SchemeDomTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ChineseEncodingTest, RoundTripsThroughTheSystemConverters) {
  const bool gb18030 = GetParam();
  // Windows has had GB18030 since XP; Wine 8 lacks it.
  if (gb18030 && !IsValidCodePage(54936)) GTEST_SKIP() << "no GB18030 code page (54936)";
  const std::string name = gb18030 ? "GB18030" : "GB2312";
  const SchemeEntry entry{"6+65", "记事本.exe", "笔记\xF0\x9F\x98\x80", "工具€"};
  std::string xml = SchemeXml({{entry.hotkey, entry.action, entry.hint, entry.sort}});
  xml.replace(xml.find("UTF-8"), 5, name);
  if (!gb18030) xml.replace(xml.find("\xF0\x9F\x98\x80"), 4, "&#x1F600;");
  std::ofstream(PathFromUtf8(path_), std::ios::binary)
      << (gb18030 ? Utf8ToGb18030(xml) : Utf8ToCp936(xml));
  SchemeDocument document;
  document.Load(path_);
  EXPECT_EQ(document.Entry(0), entry);
  document.Save(path_);
  const std::string saved = ReadWholeFile(path_);
  EXPECT_EQ(saved.rfind("<?xml version=\"1.0\" encoding=\"" + name + "\"?>", 0), 0u);
  document.Load(path_);
  EXPECT_EQ(document.Entry(0), entry);
  document.Save(path_);
  EXPECT_EQ(ReadWholeFile(path_), saved);
}

INSTANTIATE_TEST_SUITE_P(Gb2312AndGb18030, ChineseEncodingTest, ::testing::Bool());

}  // namespace
}  // namespace test
}  // namespace tav
