#include "dialogs/model/SchemeCreation.h"

#include "base/AtomicFile.h"
#include "storage/SchemeFile.h"

namespace tav {

bool ConfirmSchemeOverwrite(Platform& platform, const std::string& path) {
  if (!FileExists(path)) return true;
  const std::string question =
      "热键配制方案“" + FileNameOf(path) + "”已经存在，" + "\r" + "你是否要覆盖该热键配制方案吗？";
  return platform.MessageBox(question, "", mb::kYesNo | mb::kIconQuestion) == mb::kIdYes;
}

bool CreateSchemeFile(Platform& platform, const std::string& path) {
  if (!ConfirmSchemeOverwrite(platform, path)) return false;
  WriteSchemeTemplate(path);
  return true;
}

}  // namespace tav
