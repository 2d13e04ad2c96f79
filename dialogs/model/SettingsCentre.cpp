#include "dialogs/model/SettingsCentre.h"

#include <algorithm>

#include "actions/SystemOperations.h"
#include "actions/TextCipher.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"
#include "base/Version.h"
#include "storage/IniFile.h"
#include "storage/SettingsFile.h"

namespace tav {

namespace {

constexpr std::string_view kBlanks = " \t\r\n\v\f";

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// The order of the list: by GB2312 bytes, which is pinyin order for the
// common characters, as a Chinese system's sorted list box shows them.
bool ListedBefore(const std::string& a, const std::string& b) {
  try {
    return Utf8ToCp936(a) < Utf8ToCp936(b);
  } catch (const EncodingError&) {
    return a < b;
  }
}

std::string Digest(const std::string& password) {
  return password.empty() ? std::string() : DigestText(password);
}

}  // namespace

SettingsCentre::SettingsCentre(Platform& platform, std::string programDirectory)
    : platform_(platform), programDirectory_(std::move(programDirectory)) {}

SettingsForm SettingsCentre::Load() {
  const SettingsFile settings(programDirectory_);
  SettingsForm form;
  // Showing stores nothing: a stale value is rewritten only by OK.
  form.autoRun = SystemOperations(platform_).AutoRunStored();
  form.restoreClipboard = settings.ReadRestoreClipboard();
  form.quietInFullScreen = settings.ReadQuietInFullScreen();
  form.categories = settings.ReadCategories();
  std::stable_sort(form.categories.begin(), form.categories.end(), ListedBefore);
  return form;
}

bool SettingsCentre::CanAddCategory(std::string_view text) {
  return !Trim(text).empty();
}

bool SettingsCentre::AddCategory(std::vector<std::string>& categories, std::string_view text) {
  const std::string category(Trim(text));
  if (category.empty()) return false;
  try {
    CheckIniKeyName(category, "0");
    Utf8ToCp936(category);
  } catch (const Error&) {
    platform_.MessageBox("类别“" + category +
                             "”不能保存：类别名称不能含有“=”或换行，不能以“;”开头，"
                             "也不能以“[”开头又含有“]”，并且只能用 GB2312 中的字符。",
                         kApplicationTitle, mb::kOk | mb::kIconWarning);
    return false;
  }
  categories.insert(std::upper_bound(categories.begin(), categories.end(), category, ListedBefore),
                    category);
  return true;
}

SettingsCentre::PasswordCheck SettingsCentre::CheckPasswordChange(const SettingsForm& form) const {
  if (!form.changePassword) return {};
  if (form.newPassword != form.confirmPassword)
    return {std::nullopt, "两次新密码不一致，请重新输入"};
  const std::string stored = SettingsFile(programDirectory_).ReadAccessPasswordDigest();
  if (Digest(form.oldPassword) != stored) return {std::nullopt, "老密码输入不正确，请重新输入"};
  return {Digest(form.confirmPassword), {}};
}

bool SettingsCentre::Confirm(const SettingsForm& form,
                             const std::function<void(bool)>& autoRunMenuCheck) {
  const PasswordCheck password = CheckPasswordChange(form);
  if (!password.refusal.empty()) {
    platform_.MessageBox(password.refusal, "", mb::kOk | mb::kIconInformation);
    return false;
  }
  SettingsFile(programDirectory_)
      .Write({password.digest, form.restoreClipboard, form.categories, form.quietInFullScreen});
  SystemOperations system(platform_);
  system.WriteAutoRun(form.autoRun);
  autoRunMenuCheck(system.ReadAutoRun());
  return true;
}

}  // namespace tav
