// The dialogs "添加缩写" and "修改缩写" on screen: the boxes of one entry of the table the dialog
// "缩写替换" edits. 确定 puts the entry into that table, or says why not and stays open.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

#include "abbreviations/abbreviations_model.h"
#include "editor/scope_row_dialog.h"
#include "win/windows/dialog_kit.h"

namespace tarvek {

namespace abbreviation_edit_ids {
enum ControlId : int {
  kAbbreviationLabelId = 400,  // 缩写：
  kAbbreviationId,
  kTextLabelId,   // 替换为：
  kTextId,        // several lines
  kImmediateId,   // 立即替换（不等结束符）
  kInWordId,      // 词中也替换
  kScopeLabelId,  // 适用于：
  kScopeId,
  kProgramsId,
  kChooseProgramId,      // 选择...
  kOkId = IDOK,          // 确定, pressed by Enter (but in the text, where Enter is a new line)
  kCancelId = IDCANCEL,  // 取消, pressed by Esc
};
}  // namespace abbreviation_edit_ids

class AbbreviationEditDialog : public win::DialogWindow {
 public:
  // editing: the row of the table the dialog changes; none: it adds one.
  AbbreviationEditDialog(AbbreviationsModel& table, std::optional<std::size_t> editing);
  // Shows the dialog over owner until the user closes it: the row the entry is at in the table
  // when it was closed with 确定, none when cancelled.
  std::optional<std::size_t> Run(HINSTANCE instance, HWND owner);

 private:
  void OnCreated() override;
  void OnCommand(int id, int notification) override;
  HWND DefaultFocus() const override;
  void Confirm();

  AbbreviationsModel& table_;
  std::optional<std::size_t> editing_;
  ScopeRow scopeRow_;
  std::optional<std::size_t> row_;
};

}  // namespace tarvek
