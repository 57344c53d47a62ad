// The save-list dialog "保存列表" on screen: its control table over the dialog kit, drawing
// SaveListModel and turning the user's actions into calls on it. Made on first use, then only
// hidden, so the name box keeps the last name.
#pragma once

#include <windows.h>

#include "lists/save_list_model.h"
#include "win/windows/dialog_kit.h"

namespace tarvek {

// The controls, for the window itself and for anyone who reads them from outside. "保存 &Y" is
// the default button (Enter), "取消 &C" the cancel button (Esc).
namespace save_list_ids {
enum ControlId : int {
  kFrame1Id = 100,  // 列表名称
  kList1Id,
  kLabel1Id,  // 列表名称：
  kText1Id,
  kCommand3Id,             // 删除 &D
  kCommand4Id,             // 改名 &R
  kCommand1Id = IDOK,      // 保存 &Y
  kCommand2Id = IDCANCEL,  // 取消 &C
};
}  // namespace save_list_ids

class SaveListDialog : public win::DialogWindow {
 public:
  explicit SaveListDialog(SaveListModel& model);
  ~SaveListDialog() override;

  // Creates the window hidden; from here on it draws every change of the model, and the
  // model's message boxes and rename box are the window's.
  bool Create(HINSTANCE instance, HWND owner);
  // Reads the names again and shows the dialog; returns when it has hidden itself.
  void ShowModal();

 private:
  void OnCommand(int id, int notification) override;
  bool StillModal() const override { return model_.Visible(); }
  void OnModalAbandoned() override { model_.Cancel(); }
  HWND DefaultFocus() const override { return Control(save_list_ids::kText1Id); }
  void Refresh();

  SaveListModel& model_;
  bool refreshing_ = false;  // texts set by Refresh are no user's change
  std::vector<NamedList> listsShown_;
};

}  // namespace tarvek
