// Saving against the real file system under Windows' rules: a read-only
// file, a file another program holds open, a folder that has gone, a disk
// that fills at the flush. Each save fails with a message for the user,
// and the old file stays as it was with no temporary file beside it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/AtomicFile.h"
#include "platform/ErrorGuard.h"
#include "platform/win32/Wide.h"
#include "tests/win32/Win32TestSupport.h"

namespace tav::test {
namespace {

namespace fs = std::filesystem;

class SaveWin32Test : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           (L"tav-save-" + std::to_wstring(GetCurrentProcessId()) + L"-方案");
    fs::create_directories(dir_);
    path_ = Narrow((dir_ / L"热键.xml").wstring());
    WriteFileAtomically(path_, "old bytes");
  }
  void TearDown() override {
    SetFileAttributesW(Widen(path_).c_str(), FILE_ATTRIBUTE_NORMAL);
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Saves through the error guard, as a handler does; answers the message shown.
  std::string SaveAndReport(const std::string& path) {
    QuietWin32Platform platform;
    EXPECT_FALSE(RunGuarded(platform, [&] { WriteFileAtomically(path, "new bytes"); }));
    return platform.messages.empty() ? std::string() : platform.messages.front();
  }
  void ExpectOldFileAlone() {
    EXPECT_EQ(ReadWholeFile(path_), "old bytes");
    int files = 0;
    std::string names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      files += entry.is_regular_file() ? 1 : 0;
      names += Narrow(entry.path().filename().wstring()) + " ";
    }
    EXPECT_EQ(files, 1) << "a temporary file was left: " << names;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(SaveWin32Test, ReadOnlyFileIsReportedAndKept) {
  ASSERT_TRUE(SetFileAttributesW(Widen(path_).c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(SaveAndReport(path_), "Cannot write file \"" + path_ + "\"|Tavrelin 4.6.0 Final");
  ExpectOldFileAlone();
}

TEST_F(SaveWin32Test, FileHeldOpenWithoutSharingIsReportedAndKept) {
  HANDLE held = CreateFileW(Widen(path_).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::string message = SaveAndReport(path_);
  CloseHandle(held);
  EXPECT_EQ(message, "Cannot write file \"" + path_ + "\"|Tavrelin 4.6.0 Final");
  ExpectOldFileAlone();
}

TEST_F(SaveWin32Test, VanishedFolderIsReported) {
  const std::string gone = Narrow((dir_ / L"已删除" / L"热键.xml").wstring());
  EXPECT_EQ(SaveAndReport(gone), "Cannot create file \"" + gone + "\"|Tavrelin 4.6.0 Final");
  EXPECT_FALSE(fs::exists(dir_ / L"已删除"));
  ExpectOldFileAlone();
}

TEST_F(SaveWin32Test, DiskFullAtTheFlushIsReportedAndKept) {
  SetSaveFaultInjector([](SaveStep step) { return step == SaveStep::kFlush; });
  const std::string message = SaveAndReport(path_);
  SetSaveFaultInjector({});
  EXPECT_EQ(message, "Cannot write file \"" + path_ + "\"|Tavrelin 4.6.0 Final");
  ExpectOldFileAlone();
  WriteFileAtomically(path_, "new bytes");
  EXPECT_EQ(ReadWholeFile(path_), "new bytes");
}

}  // namespace
}  // namespace tav::test
