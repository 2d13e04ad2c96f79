// The script editor window: a Scintilla text control coloured by the script
// scanner, a menu bar and toolbar of file and edit commands, and three tabs
// of insertion aids that write well-formed script lines at the caret. One
// instance lives for the whole run, hidden between uses; the hotkey editor
// shows it modally. What it decides lives in ScriptEditorModel.
#pragma once

#include "platform/win32/WinApi.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/ScriptEditorModel.h"
#include "editor/ScriptScanner.h"
#include "platform/Platform.h"
#include "platform/win32/Layout.h"
#include "platform/win32/WinHandles.h"
#include "platform/win32/Window.h"

namespace tav {

class ScriptEditorWindow : public Window, private ScriptEditorView {
 public:
  // `programDir` ends in a backslash; scripts are kept in its "Script\".
  // Errors of the event handlers are reported through `platform`.
  ScriptEditorWindow(Platform& platform, std::string programDir);
  ~ScriptEditorWindow() override;

  // What the window asks of the rest of the program. Unset hooks do nothing.
  struct Hooks {
    // Shows the operation chooser with the script editor as insertion target.
    std::function<void()> showWizard;
    std::function<void()> showHelp;   // help topic "ScriptEditor.htm"
    std::function<void()> showAbout;  // the about box, modally
    // Close hands the current file name to the hotkey editor's target field.
    std::function<void(const std::string&)> scriptClosed;
  };
  Hooks hooks;

  // The dialogs the window opens; tests replace them. Each answers nullopt
  // on Cancel.
  struct Choosers {
    std::function<std::optional<std::string>(const std::string& initialDir)> openScript;
    std::function<std::optional<std::string>(const std::string& initialDir,
                                             const std::string& suggested)>
        saveScript;
    std::function<std::optional<std::string>()> anyFile;
    std::function<std::optional<std::string>()> folder;
    std::function<int(const std::string& text, const std::string& caption, unsigned style)> message;
  };
  Choosers choosers;

  // Operations other windows call.
  void NewScript();
  bool OpenScriptFile(const std::string& path);
  void NewScriptAt(const std::string& path);
  void InsertAtCaret(const std::string& text);
  // Shows the window modally over `owner` until it closes.
  void ShowModalOver(HWND owner);

  // Command handlers.
  void OpenScript();
  void SaveScript();
  void SaveScriptAs();
  void CutToClipboard();
  void CopyToClipboard();
  void PasteFromClipboard();
  void UndoEdit();
  void RedoEdit();
  void OnExitItem();
  void InsertOpenFile();
  void InsertOpenFolder();
  void ShowWizard();
  void InsertCutMacro();
  void InsertCopyMacro();
  void InsertPasteMacro();
  void InsertComment();
  void InsertKeyCommand();
  void InsertMouseCommand();
  void InsertDelay();
  void OpenHelp();
  void ShowAbout();

  // Runs the close query and, when it allows, Close; false keeps it open.
  bool CloseWindow();
  // Re-evaluates the enabled states of Cut, Copy, Paste, Undo and Redo.
  void UpdateActions();
  // Shows tab 0, 1 or 2 of the insertion aids.
  void SelectAidsTab(int index);

  // For tests and the window's own use.
  HWND Editor() const { return editor_; }
  HWND Control(int id) const { return GetDlgItem(hwnd(), id); }
  const ScriptEditorModel& Model() const { return model_; }
  HACCEL Accelerators() const { return accelerators_; }
  ScriptHighlighter& Highlighter() { return highlighter_; }
  std::string Caption() const;
  bool CommandEnabled(int id) const;
  // The whole text as UTF-8, lines ended by CR LF.
  std::string EditorText() const;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // ScriptEditorView.
  bool TextIsEmpty() override;
  std::vector<std::string> Lines() override;
  void SetLines(const std::vector<std::string>& lines) override;
  void ClearAll() override;
  void ReplaceSelection(const std::string& text) override;
  int ShowMessage(const std::string& text, const std::string& caption, unsigned style) override;
  void ShowCaption(const std::string& caption) override;
  void EnableSave(bool enabled) override;
  std::optional<std::string> ChooseScriptToOpen(const std::string& initialDir) override;
  std::optional<std::string> ChooseScriptToSave(const std::string& initialDir,
                                                const std::string& suggestedName) override;

  void OnCreate();
  void CreateToolbar();
  void CreateAids();
  void ConfigureEditor();
  void ApplyAttributes();
  void EnableCommand(int id, bool enabled);
  void OnCommand(int id, int code);
  // Bookmarks, selection modes, bracket matching and context help.
  bool EditorKeyCommand(int id);
  void IndentSelectedLines(bool indent);
  LRESULT OnNotify(NMHDR& header);
  void StyleNeeded(intptr_t endPosition);
  void InsertChecked(const Insertion& insertion);
  intptr_t Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

  Platform& platform_;
  std::string programDir_;
  ScriptEditorModel model_;
  ScriptHighlighter highlighter_;
  HWND editor_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND tabs_ = nullptr;
  HWND tooltips_ = nullptr;
  HACCEL accelerators_ = nullptr;
  Layout layout_;
  bool trackChanges_ = true;
  bool closing_ = false;
  bool modalRunning_ = false;
  std::vector<char> lineBuffer_;
  std::vector<std::wstring> tipTexts_;
};

}  // namespace tav
