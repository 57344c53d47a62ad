// The dialog "缩写替换" on screen: the table of abbreviations as a list whose rows are drawn
// from AbbreviationsModel as they come into view (ten thousand entries open at once), and the
// buttons that add, change and delete entries through "添加缩写" / "修改缩写". Made for each
// opening over a copy of the running table; only 确定 hands the copy back.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "abbreviations/abbreviations_model.h"
#include "win/windows/dialog_kit.h"

namespace tarvek {

namespace abbreviations_ids {
enum ControlId : int {
  kListId = 500,         // the table: 缩写, 替换为, 适用于
  kAddId,                // 添加
  kChangeId,             // 修改, and a double click or Enter on a row
  kDeleteId,             // 删除, and the Delete key in the list
  kOkId = IDOK,          // 确定
  kCancelId = IDCANCEL,  // 取消, pressed by Esc
};
}  // namespace abbreviations_ids

class AbbreviationsDialog : public win::DialogWindow {
 public:
  explicit AbbreviationsDialog(std::vector<Abbreviation> entries);
  // Shows the dialog over owner until the user closes it (the common controls must be loaded):
  // the entries it holds when it was closed with 确定, none when cancelled.
  std::optional<std::vector<Abbreviation>> Run(HINSTANCE instance, HWND owner);

 private:
  void OnCreated() override;
  void OnCommand(int id, int notification) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void LayOut() override;
  HWND DefaultFocus() const override { return Control(abbreviations_ids::kListId); }
  std::optional<LRESULT> OnListNotify(NMHDR* header);
  std::optional<std::size_t> Current() const;
  // The list again from the model, the row selected and in view.
  void ShowRows(std::optional<std::size_t> select);
  void ShowButtons();
  void Edit(std::optional<std::size_t> row);
  void Delete();

  AbbreviationsModel model_;
  bool confirmed_ = false;
  bool columnsMade_ = false;
  std::wstring cell_;  // the text of the cell the list last asked for
};

}  // namespace tarvek
