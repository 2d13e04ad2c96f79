#include "editor/ScriptScanner.h"

#include <utility>

namespace tav {
namespace {

constexpr char kLf = 10;
constexpr char kCr = 13;

struct CharTables {
  std::array<bool, 256> identifier{};
  std::array<unsigned char, 256> hash{};
};

// Identifier characters are the ASCII letters and "_" (no digits). A letter
// hashes to its upper-case code minus 64, "_" to 31, anything else to 0.
constexpr CharTables MakeCharTables() {
  CharTables tables;
  for (int c = 0; c < 256; ++c) {
    const bool upper = c >= 'A' && c <= 'Z';
    const bool lower = c >= 'a' && c <= 'z';
    tables.identifier[c] = upper || lower || c == '_';
    if (upper) tables.hash[c] = static_cast<unsigned char>(c - 64);
    if (lower) tables.hash[c] = static_cast<unsigned char>(c - 'a' + 'A' - 64);
    if (c == '_') tables.hash[c] = 31;
  }
  return tables;
}

constexpr CharTables kChars = MakeCharTables();

inline unsigned char At(const char* text, std::size_t index) {
  return static_cast<unsigned char>(text[index]);
}

// Lead bytes of double-byte characters in code page 936, the code page of
// every script.
inline bool IsCp936LeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace

HighlighterAttribute::HighlighterAttribute(std::string name, unsigned style,
                                           std::optional<Rgb> foreground,
                                           std::optional<Rgb> background)
    : name_(std::move(name)), style_(style), foreground_(foreground), background_(background) {}

void HighlighterAttribute::SetStyle(unsigned style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void HighlighterAttribute::SetForeground(std::optional<Rgb> colour) {
  if (colour == foreground_) return;
  foreground_ = colour;
  Changed();
}

void HighlighterAttribute::SetBackground(std::optional<Rgb> colour) {
  if (colour == background_) return;
  background_ = colour;
  Changed();
}

void HighlighterAttribute::Changed() {
  if (notify_) notify_();
}

ScriptHighlighter::ScriptHighlighter()
    : CommentAttri("Comment", kFontItalic, MakeRgb(0, 0, 128), std::nullopt),
      IdentifierAttri("Identifier", kFontRegular, std::nullopt, std::nullopt),
      KeyAttri("Reserved Word", kFontBold, std::nullopt, std::nullopt),
      SpaceAttri("Space", kFontRegular, std::nullopt, std::nullopt),
      StringAttri("String", kFontRegular, MakeRgb(255, 0, 0), std::nullopt),
      TestAttri("Test", kFontItalic | kFontUnderline, MakeRgb(0, 0, 255), MakeRgb(192, 192, 192)) {
  for (HighlighterAttribute* attribute :
       {&CommentAttri, &IdentifierAttri, &KeyAttri, &SpaceAttri, &StringAttri, &TestAttri}) {
    attribute->OnChange([this] {
      if (notify_) notify_();
    });
  }
  MakeMethodTables();
}

void ScriptHighlighter::MakeMethodTables() {
  for (int c = 0; c < 256; ++c) {
    Routine routine = &ScriptHighlighter::UnknownProc;
    if (c == 0) {
      routine = &ScriptHighlighter::NullProc;
    } else if (c == kLf) {
      routine = &ScriptHighlighter::LineFeedProc;
    } else if (c == kCr) {
      routine = &ScriptHighlighter::CarriageReturnProc;
    } else if (c <= 32) {
      routine = &ScriptHighlighter::SpaceProc;
    } else if (c == '"') {
      routine = &ScriptHighlighter::StringProc;
    } else if (c == '$') {
      routine = &ScriptHighlighter::DollarCommentOpenProc;
    } else if (c == '@') {
      routine = &ScriptHighlighter::AtCommentOpenProc;
    } else if (kChars.identifier[c]) {
      routine = &ScriptHighlighter::IdentProc;
    }
    procTable_[c] = routine;
  }
  identFuncTable_.fill(&ScriptHighlighter::AltFunc);
  identFuncTable_[52] = &ScriptHighlighter::FuncHello;
  identFuncTable_[72] = &ScriptHighlighter::FuncWorld;
}

void ScriptHighlighter::SetLine(const char* line, int lineIndex) {
  line_ = line;
  run_ = 0;
  lineIndex_ = lineIndex;
  Next();
}

void ScriptHighlighter::Next() {
  tokenStart_ = run_;
  if (range_ == ScanRange::kAtComment) {
    AtCommentBodyProc();
    return;
  }
  range_ = ScanRange::kUnknown;
  (this->*procTable_[At(line_, run_)])();
}

const HighlighterAttribute* ScriptHighlighter::GetTokenAttribute() const {
  switch (tokenKind_) {
    case TokenKind::kComment:
      return &CommentAttri;
    case TokenKind::kIdentifier:
    case TokenKind::kUnknown:
      return &IdentifierAttri;
    case TokenKind::kKey:
      return &KeyAttri;
    case TokenKind::kSpace:
      return &SpaceAttri;
    case TokenKind::kString:
      return &StringAttri;
    case TokenKind::kTest:
      return &TestAttri;
    case TokenKind::kNull:
      break;
  }
  return nullptr;
}

const HighlighterAttribute* ScriptHighlighter::GetDefaultAttribute(int role) const {
  switch (role) {
    case static_cast<int>(AttributeRole::kComment):
      return &CommentAttri;
    case static_cast<int>(AttributeRole::kIdentifier):
      return &IdentifierAttri;
    case static_cast<int>(AttributeRole::kKeyword):
      return &KeyAttri;
    case static_cast<int>(AttributeRole::kString):
      return &StringAttri;
    case static_cast<int>(AttributeRole::kWhitespace):
      return &SpaceAttri;
    default:
      return nullptr;
  }
}

bool ScriptHighlighter::IsIdentChar(unsigned char byte) {
  return kChars.identifier[byte];
}

std::string_view ScriptHighlighter::IdentChars() {
  return "ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";
}

bool ScriptHighlighter::IsLineEnd(std::size_t at) const {
  const char byte = line_[at];
  return byte == 0 || byte == kLf || byte == kCr;
}

// Reads at most up to the zero byte that ends the line: a mismatch stops the
// comparison before it.
bool ScriptHighlighter::MatchesAt(std::size_t at, const char (&marker)[4]) const {
  return line_[at] == marker[0] && line_[at + 1] == marker[1] && line_[at + 2] == marker[2];
}

void ScriptHighlighter::ScanCommentUntil(const char (&marker)[4]) {
  tokenKind_ = TokenKind::kComment;
  for (;;) {
    if (MatchesAt(run_, marker)) {
      run_ += 3;
      range_ = ScanRange::kUnknown;
      return;
    }
    if (IsLineEnd(run_)) return;
    ++run_;
    if (IsLineEnd(run_)) return;
  }
}

void ScriptHighlighter::NullProc() {
  tokenKind_ = TokenKind::kNull;
}

void ScriptHighlighter::LineFeedProc() {
  tokenKind_ = TokenKind::kSpace;
  ++run_;
}

void ScriptHighlighter::CarriageReturnProc() {
  tokenKind_ = TokenKind::kSpace;
  ++run_;
  if (line_[run_] == kLf) ++run_;
}

void ScriptHighlighter::SpaceProc() {
  tokenKind_ = TokenKind::kSpace;
  while (At(line_, run_) >= 1 && At(line_, run_) <= 32) ++run_;
}

void ScriptHighlighter::StringProc() {
  ++run_;
  range_ = ScanRange::kString;
  tokenKind_ = TokenKind::kString;
  for (;;) {
    if (line_[run_] == '"') {
      ++run_;
      range_ = ScanRange::kUnknown;
      return;
    }
    if (IsLineEnd(run_)) return;
    ++run_;
    if (IsLineEnd(run_)) return;
  }
}

void ScriptHighlighter::DollarCommentOpenProc() {
  ++run_;
  if (line_[run_] == '$' && line_[run_ + 1] == '/') {
    range_ = ScanRange::kDollarComment;
    DollarCommentBodyProc();
    tokenKind_ = TokenKind::kComment;
  } else {
    tokenKind_ = TokenKind::kIdentifier;
  }
}

// Starts at the opener's second "$", so "$$/$$/" closes right after opening.
void ScriptHighlighter::DollarCommentBodyProc() {
  ScanCommentUntil("$$/");
}

void ScriptHighlighter::AtCommentOpenProc() {
  ++run_;
  if (line_[run_] == '$' && line_[run_ + 1] == '%') {
    range_ = ScanRange::kAtComment;
    AtCommentBodyProc();
    tokenKind_ = TokenKind::kComment;
  } else {
    tokenKind_ = TokenKind::kIdentifier;
  }
}

// Inside an open "@$%" comment a line break is a space token and the end of
// the text the end-of-line token; the range stays open over both.
void ScriptHighlighter::AtCommentBodyProc() {
  switch (line_[run_]) {
    case 0:
      NullProc();
      return;
    case kLf:
      LineFeedProc();
      return;
    case kCr:
      CarriageReturnProc();
      return;
    default:
      ScanCommentUntil("@$%");
  }
}

std::size_t ScriptHighlighter::HashIdentifier() {
  toIdent_ = line_ + run_;
  std::size_t sum = 0;
  std::size_t length = 0;
  while (kChars.identifier[At(toIdent_, length)]) {
    sum += kChars.hash[At(toIdent_, length)];
    ++length;
  }
  stringLen_ = length;
  return sum;
}

// A word matches when its length and every byte's hash agree, which compares
// letters without regard to case.
bool ScriptHighlighter::KeyComp(std::string_view word) const {
  if (word.size() != stringLen_) return false;
  for (std::size_t i = 0; i < stringLen_; ++i) {
    if (kChars.hash[At(toIdent_, i)] != kChars.hash[static_cast<unsigned char>(word[i])]) {
      return false;
    }
  }
  return true;
}

TokenKind ScriptHighlighter::AltFunc() {
  return TokenKind::kIdentifier;
}

TokenKind ScriptHighlighter::FuncHello() {
  return KeyComp("Hello") ? TokenKind::kKey : TokenKind::kIdentifier;
}

TokenKind ScriptHighlighter::FuncWorld() {
  return KeyComp("World") ? TokenKind::kKey : TokenKind::kIdentifier;
}

void ScriptHighlighter::IdentProc() {
  const std::size_t sum = HashIdentifier();
  tokenKind_ = sum < kWordSlots ? (this->*identFuncTable_[sum])() : TokenKind::kIdentifier;
  run_ += stringLen_;
  while (kChars.identifier[At(line_, run_)]) ++run_;
}

// Digits, punctuation and each double-byte character are tokens of their
// own. A lead byte that ends the text stands alone rather than taking the
// terminating zero as its trail byte.
void ScriptHighlighter::UnknownProc() {
  tokenKind_ = TokenKind::kUnknown;
  const bool lead = IsCp936LeadByte(At(line_, run_));
  ++run_;
  if (lead && line_[run_] != 0) ++run_;
}

}  // namespace tav
