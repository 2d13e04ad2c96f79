// The general error report never fails, whatever an error's message holds:
// a message quoting bytes from a damaged file must still reach the user.
#include <gtest/gtest.h>

#include <stdexcept>

#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "platform/ErrorGuard.h"
#include "platform/RecordingPlatform.h"

namespace tav {
namespace {

// Shows its boxes like Windows: the text becomes UTF-16 first, which fails
// on invalid UTF-8.
class Utf16BoxPlatform : public RecordingPlatform {
 public:
  int MessageBox(const std::string& text, const std::string& caption, unsigned style) override {
    Utf8ToUtf16(text);
    return RecordingPlatform::MessageBox(text, caption, style);
  }
};

// A box that cannot be shown at all.
class FailingBoxPlatform : public RecordingPlatform {
 public:
  int MessageBox(const std::string&, const std::string&, unsigned) override {
    throw std::runtime_error("no box");
  }
};

const std::string kHalfOfZhong = "\xE4\xB8";  // 中 is E4 B8 AD

TEST(ErrorGuardTest, MessagesWithBrokenCharactersAreShownAsValidText) {
  const struct {
    std::string message;
    std::string shown;
  } cases[] = {
      {"'0x" + kHalfOfZhong + "' is not a valid integer value",
       "'0x\xEF\xBF\xBD' is not a valid integer value"},
      {"\x80\x80 stray", "\xEF\xBF\xBD stray"},
      {"cut " + kHalfOfZhong, "cut \xEF\xBF\xBD"},
      {"\xC0\xAF overlong", "\xEF\xBF\xBD overlong"},
      {"中文 stays", "中文 stays"},
  };
  for (const auto& [message, shown] : cases) {
    Utf16BoxPlatform platform;
    bool finished = true;
    EXPECT_NO_THROW(finished = RunGuarded(platform, [&] { throw std::runtime_error(message); }));
    EXPECT_FALSE(finished);
    EXPECT_EQ(platform.Calls(),
              std::vector<std::string>{"MessageBox(" + shown + "|Tavrelin 4.6.0 Final|16)"});
  }
}

TEST(ErrorGuardTest, ABoxThatFailsDoesNotEscapeTheGuard) {
  FailingBoxPlatform platform;
  bool finished = true;
  EXPECT_NO_THROW(finished = RunGuarded(platform, [] { throw Error("x"); }));
  EXPECT_FALSE(finished);
  EXPECT_NO_THROW(finished = RunGuarded(platform, [] { throw 42; }));
  EXPECT_FALSE(finished);
}

TEST(ErrorGuardTest, ErrorsBuiltFromFileBytesHoldValidText) {
  EXPECT_STREQ(ConversionError(kHalfOfZhong).what(), "'\xEF\xBF\xBD' is not a valid integer value");
  EXPECT_STREQ(FileError("Cannot open file \"a\xB8\"").what(),
               "Cannot open file \"a\xEF\xBF\xBD\"");
}

}  // namespace
}  // namespace tav
