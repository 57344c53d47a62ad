// The dialog "启动选项" on screen: the launch options of the binding in the hotkey editor. Made
// for each opening from its control table; it draws LaunchOptionsModel and edits it. For a
// binding that types a text, the box of that text stands where the launch's rows are.
#pragma once

#include <windows.h>

#include "editor/launch_options_model.h"
#include "editor/scope_row_dialog.h"
#include "win/windows/dialog_kit.h"

namespace tarvek {

namespace launch_options_ids {
enum ControlId : int {
  kArgumentsLabelId = 300,  // 参数：
  kArgumentsId,
  kStartInLabelId,  // 起始位置：
  kStartInId,
  kBrowseId,       // ...
  kWindowLabelId,  // 窗口：
  kWindowId,
  kIfRunningLabelId,  // 程序已运行时：
  kIfRunningId,
  kAdminId,       // 以管理员身份运行
  kEnabledId,     // 启用此热键
  kTextLabelId,   // 要输入的文本：
  kTextId,        // the text a binding types, several lines
  kScopeLabelId,  // 适用于：
  kScopeId,
  kProgramsId,           // the scope's programs
  kChooseProgramId,      // 选择..., a menu of the programs with windows open
  kScopeNoteId,          // what a program running as administrator in front does to the scope
  kOkId = IDOK,          // 确定, pressed by Enter
  kCancelId = IDCANCEL,  // 取消, pressed by Esc
};
}  // namespace launch_options_ids

class LaunchOptionsDialog : public win::DialogWindow {
 public:
  explicit LaunchOptionsDialog(LaunchOptionsModel& model);
  // Shows the dialog over owner until the user closes it; true when it was closed by "确定",
  // the model then holding what the boxes show.
  bool Run(HINSTANCE instance, HWND owner);

 private:
  void OnCreated() override;
  void OnCommand(int id, int notification) override;
  HWND DefaultFocus() const override;
  void ChooseFolder();
  void TakeBoxes();

  LaunchOptionsModel& model_;
  ScopeRow scopeRow_;
  bool confirmed_ = false;
};

}  // namespace tarvek
