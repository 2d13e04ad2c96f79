// The syntax highlighter of macro scripts. The editor control hands it one
// line at a time (code page 936 bytes ending in a zero byte) and pulls tokens
// until the end of the line; the range carried from one line to the next
// keeps a multi-line "@$%" comment open. A 256-entry table indexed by the
// current byte picks the scanning routine; reserved words are found through
// a 73-slot table indexed by a hash sum. Scanning a line never allocates.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// What a token is; the number is what the editor receives as the kind.
enum class TokenKind : std::uint8_t {
  kComment = 0,
  kIdentifier = 1,
  kKey = 2,
  kNull = 3,  // the end of the line's text
  kSpace = 4,
  kString = 5,
  kTest = 6,
  kUnknown = 7,
};

// What is open at the end of a line.
enum class ScanRange : std::uint8_t {
  kUnknown = 0,
  kDollarComment = 1,
  kAtComment = 2,
  kString = 3,
};

// An RGB colour, 0x00BBGGRR as Windows stores it.
using Rgb = std::uint32_t;
constexpr Rgb MakeRgb(unsigned r, unsigned g, unsigned b) {
  return r | (g << 8) | (b << 16);
}

enum FontStyle : unsigned {
  kFontRegular = 0,
  kFontBold = 1,
  kFontItalic = 2,
  kFontUnderline = 4,
};

// How one kind of token is drawn. An empty colour means the editor's own.
class HighlighterAttribute {
 public:
  HighlighterAttribute(std::string name, unsigned style, std::optional<Rgb> foreground,
                       std::optional<Rgb> background);

  const std::string& Name() const { return name_; }
  unsigned Style() const { return style_; }
  std::optional<Rgb> Foreground() const { return foreground_; }
  std::optional<Rgb> Background() const { return background_; }

  // Each setter tells the owner, which tells the editor to repaint.
  void SetStyle(unsigned style);
  void SetForeground(std::optional<Rgb> colour);
  void SetBackground(std::optional<Rgb> colour);
  void OnChange(std::function<void()> notify) { notify_ = std::move(notify); }

 private:
  void Changed();

  std::string name_;
  unsigned style_;
  std::optional<Rgb> foreground_;
  std::optional<Rgb> background_;
  std::function<void()> notify_;
};

// The roles the editor asks generic questions about.
enum class AttributeRole {
  kComment = 0,
  kIdentifier = 1,
  kKeyword = 2,
  kString = 3,
  kWhitespace = 4
};

class ScriptHighlighter {
 public:
  ScriptHighlighter();
  ScriptHighlighter(const ScriptHighlighter&) = delete;
  ScriptHighlighter& operator=(const ScriptHighlighter&) = delete;

  // Starts a line: `line` must stay valid and end in a zero byte while the
  // line is scanned. Scans the first token.
  void SetLine(const char* line, int lineIndex);
  bool GetEol() const { return tokenKind_ == TokenKind::kNull; }
  void Next();

  std::string_view GetToken() const { return {line_ + tokenStart_, run_ - tokenStart_}; }
  std::size_t GetTokenPos() const { return tokenStart_; }
  TokenKind GetTokenKind() const { return tokenKind_; }
  // The attribute of the current token; null for the end of the line.
  const HighlighterAttribute* GetTokenAttribute() const;
  int LineIndex() const { return lineIndex_; }

  ScanRange GetRange() const { return range_; }
  void SetRange(ScanRange range) { range_ = range; }
  void ResetRange() { range_ = ScanRange::kUnknown; }

  const HighlighterAttribute* GetDefaultAttribute(int role) const;
  static bool IsIdentChar(unsigned char byte);
  // Every identifier character, for the editor's word boundaries.
  static std::string_view IdentChars();
  static std::string_view LanguageName() { return ""; }
  static std::string_view DefaultFilter() { return "All files (*.*)|*.*"; }
  static std::string_view SampleSource() { return "\r\ntarnu"; }

  // The six attributes, in the order they are created.
  HighlighterAttribute CommentAttri;
  HighlighterAttribute IdentifierAttri;
  HighlighterAttribute KeyAttri;
  HighlighterAttribute SpaceAttri;
  HighlighterAttribute StringAttri;
  HighlighterAttribute TestAttri;

  // Called whenever an attribute changes.
  void OnAttributeChange(std::function<void()> notify) { notify_ = std::move(notify); }

 private:
  using Routine = void (ScriptHighlighter::*)();
  using WordTest = TokenKind (ScriptHighlighter::*)();

  static constexpr int kWordSlots = 73;

  void MakeMethodTables();

  void NullProc();
  void LineFeedProc();
  void CarriageReturnProc();
  void SpaceProc();
  void StringProc();
  void DollarCommentOpenProc();
  void DollarCommentBodyProc();
  void AtCommentOpenProc();
  void AtCommentBodyProc();
  void IdentProc();
  void UnknownProc();

  std::size_t HashIdentifier();
  bool KeyComp(std::string_view word) const;
  TokenKind AltFunc();
  TokenKind FuncHello();
  TokenKind FuncWorld();

  bool IsLineEnd(std::size_t at) const;
  bool MatchesAt(std::size_t at, const char (&marker)[4]) const;
  // Advances through a comment body until `marker` closes it or the line ends.
  void ScanCommentUntil(const char (&marker)[4]);

  std::array<Routine, 256> procTable_{};
  std::array<WordTest, kWordSlots> identFuncTable_{};

  const char* line_ = "";
  std::size_t run_ = 0;
  std::size_t tokenStart_ = 0;
  TokenKind tokenKind_ = TokenKind::kNull;
  int lineIndex_ = 0;
  ScanRange range_ = ScanRange::kUnknown;
  std::size_t stringLen_ = 0;
  const char* toIdent_ = "";
  std::function<void()> notify_;
};

}  // namespace tav
