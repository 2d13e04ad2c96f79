// Icons of hotkey targets, found per target without the shell's system
// image list: programs, folders, documents, shortcuts, and the targets that
// have none.
#include "platform/win32/FileIcons.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "platform/win32/WinHandles.h"

namespace tav::test {
namespace {

std::wstring Lower(std::wstring text) {
  CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  const std::wstring lower = Lower(text);
  return lower.size() >= tail.size() &&
         lower.compare(lower.size() - tail.size(), tail.size(), tail) == 0;
}

std::wstring NotepadPath() {
  wchar_t found[MAX_PATH];
  const DWORD length = SearchPathW(nullptr, L"notepad.exe", nullptr, MAX_PATH, found, nullptr);
  return std::wstring(found, length);
}

class FileIconsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + L"图标-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const wchar_t* name : {L"\\说明.tavdoc", L"\\记事本.lnk"})
      DeleteFileW((folder_ + name).c_str());
    RemoveDirectoryW(folder_.c_str());
  }

  std::wstring WriteFile(const wchar_t* name) {
    const std::wstring path = folder_ + name;
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    return path;
  }

  std::wstring MakeShortcut(const wchar_t* name, const std::wstring& target) {
    const std::wstring path = folder_ + name;
    IShellLinkW* link = nullptr;
    EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, reinterpret_cast<void**>(&link))));
    if (!link) return path;
    link->SetPath(target.c_str());
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      EXPECT_TRUE(SUCCEEDED(file->Save(path.c_str(), TRUE)));
      file->Release();
    }
    link->Release();
    return path;
  }

  ComApartment com_;
  std::wstring folder_;
};

TEST_F(FileIconsTest, ProgramsFoldersDocumentsAndShortcutsHaveTheirIcons) {
  const auto program = IconLocationOf(L"notepad.exe");  // found where the shell looks
  ASSERT_TRUE(program);
  EXPECT_TRUE(EndsWith(program->file, L"\\notepad.exe")) << program->file;
  EXPECT_EQ(program->index, 0);

  const auto folder = IconLocationOf(L"%WINDIR%");
  ASSERT_TRUE(folder);
  EXPECT_TRUE(EndsWith(folder->file, L"\\shell32.dll")) << folder->file;
  EXPECT_EQ(folder->index, 3);

  // A type nobody registered shows the generic document.
  const auto document = IconLocationOf(WriteFile(L"\\说明.tavdoc"));
  ASSERT_TRUE(document);
  EXPECT_TRUE(EndsWith(document->file, L"\\shell32.dll")) << document->file;
  EXPECT_EQ(document->index, 0);

  const auto shortcut = IconLocationOf(MakeShortcut(L"\\记事本.lnk", NotepadPath()));
  ASSERT_TRUE(shortcut);
  EXPECT_EQ(Lower(shortcut->file), Lower(NotepadPath()));
}

TEST_F(FileIconsTest, AddressesOperationsAndMissingFilesHaveNone) {
  for (const wchar_t* target :
       {L"", L"http://example.com/a.exe", L"关闭计算机", L"Key_Press:F13", L"PasteLine:notepad.exe",
        L"C:\\no\\such\\folder\\a.exe", L"no-such-program"}) {
    EXPECT_FALSE(IconLocationOf(target)) << target;
  }
}

TEST_F(FileIconsTest, EachLocationIsAddedToTheListOnce) {
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
  ASSERT_NE(images, nullptr);
  TargetIcons icons(images, 16);
  const int program = icons.ImageFor(L"notepad.exe");
  EXPECT_GE(program, 0);
  std::wstring upper = NotepadPath();
  CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
  EXPECT_EQ(icons.ImageFor(upper), program) << "the same file in other letters";
  const int folder = icons.ImageFor(L"%WINDIR%");
  EXPECT_GE(folder, 0);
  EXPECT_NE(folder, program);
  EXPECT_EQ(icons.ImageFor(L"%TEMP%"), folder) << "every folder shares the folder icon";
  EXPECT_EQ(icons.ImageFor(L"关闭计算机"), -1);
  EXPECT_EQ(ImageList_GetImageCount(images), 2);
  ImageList_Destroy(images);
}

}  // namespace
}  // namespace tav::test
