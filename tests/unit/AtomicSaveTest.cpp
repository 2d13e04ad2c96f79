// Saving never leaves a damaged file: whichever step of a save fails (the
// temporary file's creation, a write, the flush, the replace), the file on
// disk is the old one byte for byte, no temporary file stays behind, and the
// caller gets an error to show. Failures are injected through the save's
// seam, step by step over every kind of file the program saves, and a real
// full disk is used where the system offers one.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "actions/TextCipher.h"
#include "base/AtomicFile.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "storage/SchemeFile.h"
#include "storage/SettingsFile.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

// Fails the save step numbered `failAt` (from 1) of the saves that follow,
// counting every step; 0 fails none. Counts the steps seen and the
// failures injected.
class InjectedFailures {
 public:
  InjectedFailures() {
    SetSaveFaultInjector([this](SaveStep step) {
      steps.push_back(step);
      const bool fail = static_cast<int>(steps.size()) == failAt;
      injected += fail ? 1 : 0;
      return fail;
    });
  }
  ~InjectedFailures() { SetSaveFaultInjector({}); }
  InjectedFailures(const InjectedFailures&) = delete;
  InjectedFailures& operator=(const InjectedFailures&) = delete;

  void FailAt(int step) {
    steps.clear();
    failAt = step;
  }

  std::vector<SaveStep> steps;
  int failAt = 0;
  int injected = 0;
};

class AtomicSaveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tav-save-" + std::to_string(std::random_device()()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
  // Files in the folder other than `name`: temporary files left behind.
  std::vector<std::string> Leftovers(const std::string& name) const {
    std::vector<std::string> others;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      if (entry.path().filename() != name) others.push_back(entry.path().filename().string());
    }
    return others;
  }

  fs::path dir_;
};

std::string FileBytes(const std::string& path) {
  return FileExists(path) ? ReadWholeFile(path) : std::string("(none)");
}

TEST_F(AtomicSaveTest, EachFailingStepLeavesTheOldFileAndReports) {
  const std::string path = PathOf("a.tsc");
  const std::string big(3 * 4096 + 100, 'x');  // four write steps
  const struct {
    int failAt;
    SaveStep step;
    const char* message;
  } cases[] = {
      {1, SaveStep::kCreate, "Cannot create file"}, {2, SaveStep::kWrite, "Cannot write file"},
      {4, SaveStep::kWrite, "Cannot write file"},   {5, SaveStep::kWrite, "Cannot write file"},
      {6, SaveStep::kFlush, "Cannot write file"},   {7, SaveStep::kReplace, "Cannot write file"},
  };
  InjectedFailures failures;
  for (const auto& c : cases) {
    WriteFileAtomically(path, "old");
    failures.FailAt(c.failAt);
    try {
      WriteFileAtomically(path, big);
      ADD_FAILURE() << "step " << c.failAt << " failed silently";
    } catch (const FileError& error) {
      EXPECT_EQ(std::string(error.what()), std::string(c.message) + " \"" + path + "\"");
    }
    EXPECT_EQ(failures.steps.at(c.failAt - 1), c.step);
    EXPECT_EQ(FileBytes(path), "old") << c.failAt;
    EXPECT_TRUE(Leftovers("a.tsc").empty()) << c.failAt;
  }
  failures.FailAt(0);
  WriteFileAtomically(path, big);
  EXPECT_EQ(failures.steps,
            (std::vector<SaveStep>{SaveStep::kCreate, SaveStep::kWrite, SaveStep::kWrite,
                                   SaveStep::kWrite, SaveStep::kWrite, SaveStep::kFlush,
                                   SaveStep::kReplace}));
  EXPECT_EQ(FileBytes(path), big);
}

// A full disk takes the buffered bytes at the flush, not at the write: the
// temporary file here is the system's always-full device.
TEST_F(AtomicSaveTest, DiskFullOnlyAtTheFlushLeavesTheOldFile) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string path = PathOf("set.ini");
  WriteFileAtomically(path, "old");
  fs::create_symlink("/dev/full", path + ".tmp~");
  EXPECT_THROW(WriteFileAtomically(path, "new"), FileError);
  EXPECT_EQ(FileBytes(path), "old");
  EXPECT_FALSE(fs::is_symlink(path));
  EXPECT_TRUE(Leftovers("set.ini").empty());
}

TEST_F(AtomicSaveTest, VanishedFolderIsReportedAndCreatesNothing) {
  const std::string path = PathOf("gone/hotkey.xml");
  EXPECT_THROW(WriteFileAtomically(path, "new"), FileError);
  EXPECT_FALSE(fs::exists(dir_ / "gone"));
}

// --- The walk: every step of every kind of save fails in turn -------------

// One kind of save: versions 0, 1 and 2 of a file, each saved the way the
// program saves it.
struct SaveKind {
  const char* name;
  std::string file;
  std::function<void(const std::string& path, int version)> save;
};

std::string LongText(const char* stem, int entry, int version) {
  return std::string(stem) + "第" + std::to_string(entry) + "项，版本" + std::to_string(version) +
         " C:\\Program Files\\工具\\很长的程序名称" + std::string(40, 'a' + entry % 26);
}

SchemeDocument SchemeOf100Entries(const std::string& templatePath, int version) {
  SchemeDocument scheme;
  scheme.Load(templatePath);
  for (int i = 0; i < 100; ++i) {
    scheme.AppendEntry({"6+" + std::to_string(65 + i % 26), LongText("程序", i, version),
                        LongText("提示", i, version), i % 3 ? "常用" : "工作"});
  }
  return scheme;
}

// A scheme protected anew: every text encrypted under a new password.
SchemeDocument Reencrypted(const std::string& templatePath, int version) {
  SchemeDocument scheme = SchemeOf100Entries(templatePath, version);
  const std::string password = "密码" + std::to_string(version);
  scheme.SetPassword(DigestText(password));
  for (int i = 0; i < scheme.EntryCount(); ++i) {
    const SchemeEntry entry = scheme.Entry(i);
    scheme.SetEntryText(i, EntryField::kHotkey, EncryptText(password, entry.hotkey));
    scheme.SetEntryText(i, EntryField::kAction, EncryptText(password, entry.action));
    scheme.SetEntryText(i, EntryField::kHint, EncryptText(password, entry.hint));
    scheme.SetEntryText(i, EntryField::kSort, EncryptText(password, entry.sort));
  }
  return scheme;
}

// The documents are built once; only their saves are walked.
std::vector<SaveKind> SaveKinds(const fs::path& scratch) {
  const std::string templatePath = (scratch / "template.xml").string();
  WriteSchemeTemplate(templatePath);
  auto plain = std::make_shared<std::vector<SchemeDocument>>();
  auto protectedSchemes = std::make_shared<std::vector<SchemeDocument>>();
  for (int version = 0; version <= 2; ++version) {
    plain->push_back(SchemeOf100Entries(templatePath, version));
    protectedSchemes->push_back(Reencrypted(templatePath, version));
  }
  return {
      {"scheme of 100 entries", "hotkey.xml",
       [plain](const std::string& path, int version) { (*plain)[version].Save(path); }},
      {"protected re-encryption", "protected.xml",
       [protectedSchemes](const std::string& path, int version) {
         (*protectedSchemes)[version].Save(path);
       }},
      {"set.ini", "set.ini",
       [](const std::string& path, int version) {
         std::vector<std::string> categories;
         for (int i = 0; i < 400; ++i)
           categories.push_back("类别" + std::to_string(i) + "-" + std::to_string(version));
         WriteCategories(path.substr(0, path.size() - std::string("set.ini").size()), categories);
       }},
      {"script", "macro.tsc",
       [](const std::string& path, int version) {
         std::string script;
         for (int i = 0; i < 600; ++i)
           script += "PasteLine:第" + std::to_string(i) + "行 " + std::to_string(version) +
                     "\r\nKey_Press:Enter\r\nDelay_ms~:50\r\n";
         WriteFileAtomically(path, Utf8ToCp936(script));
       }},
  };
}

// For each kind: a save of version 1 fails at step N, then a save of
// version 2 fails at step M, for every N and M; the file stays at version 0
// throughout, byte for byte. Then a save that fails nowhere gives version 2.
TEST_F(AtomicSaveTest, InjectedFailuresAtEveryStepOfEverySaveLoseNothing) {
  fs::create_directories(dir_ / "scratch");
  fs::create_directories(dir_ / "expected");
  int total = 0;
  for (const SaveKind& kind : SaveKinds(dir_ / "scratch")) {
    fs::create_directories(dir_ / "walk");
    const std::string path = (dir_ / "walk" / kind.file).string();
    // What versions 0 and 2 look like when nothing fails.
    std::vector<std::string> expected;
    for (int version : {0, 2}) {
      const std::string reference = (dir_ / "expected" / kind.file).string();
      fs::remove(reference);
      kind.save(reference, version);
      expected.push_back(ReadWholeFile(reference));
    }
    InjectedFailures failures;
    failures.FailAt(0);
    kind.save(path, 1);
    const int steps = static_cast<int>(failures.steps.size());
    ASSERT_GE(steps, 5) << kind.name << ": too few steps to walk";

    const auto failedSaveKeepsVersion0 = [&](int version, int failAt) {
      failures.FailAt(failAt);
      try {
        kind.save(path, version);
        ADD_FAILURE() << kind.name << ": step " << failAt << " failed silently";
      } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find(kind.file), std::string::npos)
            << "[" << error.what() << "]";
      }
      EXPECT_TRUE(ReadWholeFile(path) == expected[0])
          << kind.name << ": changed at step " << failAt;
      EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "walk"), fs::directory_iterator()), 1)
          << kind.name << ": temporary file left at step " << failAt;
    };
    const int before = failures.injected;
    for (int n = 1; n <= steps; ++n) {
      for (int m = 1; m <= steps; ++m) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << expected[0];
        failedSaveKeepsVersion0(1, n);
        failedSaveKeepsVersion0(2, m);
      }
      // After failed saves, one that fails nowhere saves the new version.
      failures.FailAt(0);
      kind.save(path, 2);
      ASSERT_TRUE(ReadWholeFile(path) == expected[1]) << kind.name << ": new version not saved";
    }
    const int injected = failures.injected - before;
    std::printf("%s: %d steps, %d failures injected\n", kind.name, steps, injected);
    total += injected;
    fs::remove_all(dir_ / "walk");
  }
  std::printf("injected failures in all: %d\n", total);
  EXPECT_GE(total, 1000);
}

}  // namespace
}  // namespace tav
