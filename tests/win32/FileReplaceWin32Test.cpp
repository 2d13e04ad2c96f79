// Replacing a saved file on a Windows file system while other programs look
// at it: a reader never finds it missing, a scanner's brief hold is waited
// out, the old file's hidden and system marks stay, and paths longer than
// MAX_PATH work.
#include "platform/win32/WinApi.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/FileSystem.h"
#include "base/TextEncoding.h"

namespace tav::test {
namespace {

std::string Utf8(const std::wstring& wide) {
  return Utf16ToUtf8(std::u16string(wide.begin(), wide.end()));
}

class FileReplaceWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir_ = Utf8(temp) + "tav-replace-" + std::to_string(GetCurrentProcessId()) + "\\";
    ASSERT_TRUE(CreateFolders(dir_));
    path_ = dir_ + "热键.xml";
    WriteFileAtomically(path_, "old");
  }
  void TearDown() override {
    SetFileAttributesW(WidePath(path_).c_str(), FILE_ATTRIBUTE_NORMAL);
    RemovePath(path_);
    RemovePath(dir_.substr(0, dir_.size() - 1));
  }

  std::string dir_;
  std::string path_;
};

TEST_F(FileReplaceWin32Test, ReaderNeverFindsTheFileMissingWhileSavesRun) {
  const std::wstring wide = WidePath(path_);
  std::atomic<bool> saving{true};
  std::atomic<int> reads{0}, missing{0}, torn{0};
  std::thread reader([&] {
    for (DWORD share = FILE_SHARE_READ; saving; share ^= FILE_SHARE_DELETE) {
      // Readers that share deletion and readers that do not (the C library's).
      HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, share | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) ++missing;
        continue;
      }
      char bytes[16] = {};
      DWORD got = 0;
      ReadFile(file, bytes, sizeof bytes, &got, nullptr);
      CloseHandle(file);
      const std::string content(bytes, got);
      if (content != "old" && content != "new content") ++torn;
      ++reads;
      Sleep(1);  // an indexer or scanner looks, then lets go
    }
  });
  int failed = 0;
  for (int i = 0; i < 100; ++i) {
    try {
      WriteFileAtomically(path_, i % 2 ? "old" : "new content");
    } catch (const FileError&) {
      ++failed;
    }
  }
  saving = false;
  reader.join();
  EXPECT_GT(reads, 0);
  EXPECT_EQ(missing, 0) << "of " << reads << " reads";
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(failed, 0);
}

TEST_F(FileReplaceWin32Test, BriefHoldWithoutSharingIsWaitedOut) {
  HANDLE held = CreateFileW(WidePath(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread scanner([held] {
    Sleep(300);
    CloseHandle(held);
  });
  EXPECT_NO_THROW(WriteFileAtomically(path_, "new"));
  scanner.join();
  EXPECT_EQ(ReadWholeFile(path_), "new");
}

TEST_F(FileReplaceWin32Test, HiddenAndSystemMarksStayAfterASave) {
  const struct {
    DWORD before;
    DWORD after;
  } cases[] = {
      {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
      {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
      {FILE_ATTRIBUTE_NORMAL, 0},
  };
  constexpr DWORD kMarks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  for (const auto& c : cases) {
    ASSERT_TRUE(SetFileAttributesW(WidePath(path_).c_str(), c.before));
    WriteFileAtomically(path_, "saved");
    EXPECT_EQ(GetFileAttributesW(WidePath(path_).c_str()) & kMarks, c.after) << c.before;
    EXPECT_EQ(ReadWholeFile(path_), "saved");
  }
}

TEST(WidePathTest, PathsTakeTheExtendedLengthForm) {
  const struct {
    const char* path;
    const wchar_t* wide;
  } cases[] = {
      {"C:\\Data\\a.xml", L"\\\\?\\C:\\Data\\a.xml"},
      {"C:/Data/./x/../a.xml", L"\\\\?\\C:\\Data\\a.xml"},
      {"\\\\server\\share\\a.xml", L"\\\\?\\UNC\\server\\share\\a.xml"},
      {"\\\\?\\C:\\已有\\a.xml", L"\\\\?\\C:\\已有\\a.xml"},
      {"", L""},
  };
  for (const auto& c : cases) EXPECT_EQ(WidePath(c.path), c.wide) << c.path;
}

TEST_F(FileReplaceWin32Test, PathsLongerThanMaxPathWork) {
  std::string deep = dir_;
  while (Utf8ToUtf16(deep).size() < 300) deep += "很长的文件夹名称abcdefghij\\";
  ASSERT_TRUE(CreateFolders(deep));
  const std::string file = deep + "热键.xml";
  ASSERT_GT(Utf8ToUtf16(file).size(), static_cast<size_t>(MAX_PATH));
  WriteFileAtomically(file, "first");
  WriteFileAtomically(file, "second");
  EXPECT_EQ(ReadWholeFile(file), "second");
  ASSERT_EQ(ListFolder(deep).size(), 1u);
  EXPECT_EQ(ListFolder(deep)[0].name, "热键.xml");
  EXPECT_EQ(RemovePath(file), RemoveResult::kRemoved);
  // Folder by folder back up to the test's own.
  while (deep.size() > dir_.size()) {
    EXPECT_EQ(RemovePath(deep.substr(0, deep.size() - 1)), RemoveResult::kRemoved) << deep;
    deep.erase(deep.find_last_of('\\', deep.size() - 2) + 1);
  }
}

}  // namespace
}  // namespace tav::test
