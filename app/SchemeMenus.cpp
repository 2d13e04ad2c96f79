#include "app/SchemeMenus.h"

#include "base/Version.h"
#include "storage/SchemeFile.h"

namespace tav {

SchemeMenus::SchemeMenus(Platform& platform, std::string programDirectory, SchemeMenuHost& host)
    : platform_(platform), programDirectory_(std::move(programDirectory)), host_(host) {}

bool SchemeMenus::IsLocked(const std::string& path) const {
  // A file whose password cannot be read counts as protected; a file that
  // cannot be read at all protects nothing.
  const SchemeProtection protection = ReadSchemeLock(path).protection;
  return protection == SchemeProtection::kProtected || protection == SchemeProtection::kDamaged;
}

void SchemeMenus::ListMenus() {
  defaultLocked_ = IsLocked(DefaultSchemePath(programDirectory_));
  users_.clear();
  checked_.reset();
  for (const std::string& name : ListUserSchemes(programDirectory_)) AddSchemeItem(name);
}

void SchemeMenus::AddSchemeItem(const std::string& name) {
  const bool locked = IsLocked(UserSchemePath(programDirectory_, name));
  if (const std::optional<int> position = Find(name)) {
    users_[*position].locked = locked;
    return;
  }
  users_.push_back({name, locked});
}

std::optional<int> SchemeMenus::Find(const std::string& name) const {
  for (size_t i = 0; i < users_.size(); ++i) {
    if (users_[i].name == name) return static_cast<int>(i);
  }
  return std::nullopt;
}

void SchemeMenus::MarkCheckedItems(bool protect) {
  if (!checked_) return;
  if (*checked_ == kDefaultSchemeItem)
    defaultLocked_ = protect;
  else
    users_[*checked_].locked = protect;
}

void SchemeMenus::ReportVanished(const std::string& name) {
  platform_.MessageBox("方案文件“" + name + "”已不存在，已从菜单中移去。", kApplicationTitle,
                       mb::kOk | mb::kIconWarning);
}

void SchemeMenus::Drop(int position) {
  users_.erase(users_.begin() + position);
  if (!checked_) return;
  if (*checked_ == position) {
    checked_.reset();
  } else if (*checked_ > position) {
    --*checked_;
  }
}

bool SchemeMenus::OpenFromMenu(const std::string& hint) {
  if (hint == kDefaultSchemeHint) {
    if (!host_.OpenScheme(DefaultSchemePath(programDirectory_))) return false;
    checked_ = kDefaultSchemeItem;
    return true;
  }
  const std::optional<int> position = Find(hint);
  if (!position) return false;
  if (!host_.OpenScheme(UserSchemePath(programDirectory_, hint))) return false;
  checked_ = position;
  return true;
}

bool SchemeMenus::DeleteFromMenu(int position) {
  if (host_.LoginShowing()) return false;
  if (position < 0 || position >= static_cast<int>(users_.size())) return false;
  const std::string name = users_[position].name;
  const std::string path = UserSchemePath(programDirectory_, name);
  if (users_[position].locked) {
    // A damaged file has no digest a password could match: only the
    // question guards it, as for a file deleted by hand.
    const SchemeLock lock = ReadSchemeLock(path);
    if (lock.protection == SchemeProtection::kProtected &&
        lock.digest != host_.RememberedPasswordDigest() && !host_.CheckPassword(lock.digest)) {
      return false;
    }
  }
  if (platform_.MessageBox("你确定要删除热键配制方案" + name + "吗？", "",
                           mb::kOkCancel | mb::kIconQuestion) != mb::kIdOk) {
    return false;
  }
  const bool wasActive = checked_ == position;
  if (!DeleteUserScheme(programDirectory_, name)) ReportVanished(name);
  Drop(position);
  if (wasActive) OpenFromMenu(kDefaultSchemeHint);
  return true;
}

void SchemeMenus::SayWhenNoSchemeToDelete() {
  if (!users_.empty()) return;
  platform_.MessageBox("除了默认方案外，您还没有其他自定义方案。", kApplicationTitle,
                       mb::kOk | mb::kIconInformation);
}

}  // namespace tav
