// What the settings centre ("设置中心") decides, apart from its controls:
// the values it shows, the categories it accepts, and what OK stores. The
// dialog copies its controls into a SettingsForm and back; nothing is stored
// before OK, so Cancel has nothing to undo.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"

namespace tav {

struct SettingsForm {
  bool autoRun = false;                 // "开机自动运行"
  bool restoreClipboard = false;        // "粘贴后恢复剪贴板"
  bool quietInFullScreen = false;       // "全屏程序运行时暂停热键"
  bool changePassword = false;          // "修改口令"
  std::string oldPassword;              // "旧口令"
  std::string newPassword;              // "新口令"
  std::string confirmPassword;          // "确定新口令"
  std::vector<std::string> categories;  // the list, in its order
};

class SettingsCentre {
 public:
  SettingsCentre(Platform& platform, std::string programDirectory);

  // The values of a fresh opening: start at log-on as the registry says,
  // the password change off with empty fields, the stored categories sorted.
  // Reads only: nothing is written, a stale Run value included.
  SettingsForm Load();

  // Whether "<<添加" is enabled for the edit's text: it is not blank.
  static bool CanAddCategory(std::string_view text);

  // Adds the text, trimmed of blanks, at its sorted place (a repeated text is
  // listed again). A text that cannot be stored as a category is refused
  // with a message, and false is returned.
  bool AddCategory(std::vector<std::string>& categories, std::string_view text);

  // OK. Checks the password change; on a mismatch shows its message and
  // returns false with nothing stored (the dialog stays open). Otherwise
  // writes set.ini once (the password digest when it changes, the clipboard
  // and full-screen settings, the categories), then start at log-on, hands the read-back
  // start-at-log-on state to `autoRunMenuCheck` for the main menu's check
  // mark, and returns true. A failed save throws and stores nothing.
  bool Confirm(const SettingsForm& form, const std::function<void(bool)>& autoRunMenuCheck);

 private:
  // The digest to store, nullopt when the password is not changed, or a
  // message for the user when the change is refused.
  struct PasswordCheck {
    std::optional<std::string> digest;
    std::string refusal;
  };
  PasswordCheck CheckPasswordChange(const SettingsForm& form) const;

  Platform& platform_;
  std::string programDirectory_;
};

}  // namespace tav
