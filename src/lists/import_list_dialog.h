// The import-list dialog "导入列表" on screen: its control table over the dialog kit, drawing
// ImportListModel and turning the user's actions into calls on it. Made on first use, then only
// hidden.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "lists/import_list_model.h"
#include "win/windows/dialog_kit.h"

namespace tarvek {

// The controls, for the window itself and for anyone who reads them from outside. "确定 &Y" is
// the default button (Enter), "取消 &C" the cancel button (Esc).
namespace import_list_ids {
enum ControlId : int {
  kFrame1Id = 100,  // 列表名称
  kList1Id,
  kCommand3Id,             // 运行时加载 &R
  kCommand4Id,             // *
  kCommand1Id = IDOK,      // 确定 &Y
  kCommand2Id = IDCANCEL,  // 取消 &C
};
}  // namespace import_list_ids

class ImportListDialog : public win::DialogWindow {
 public:
  explicit ImportListDialog(ImportListModel& model);
  ~ImportListDialog() override;

  // Creates the window hidden; from here on it draws every change of the model.
  bool Create(HINSTANCE instance, HWND owner);
  // Reads the names again and shows the dialog; returns when it has hidden itself.
  void ShowModal();

 private:
  void OnCreated() override;
  void OnCommand(int id, int notification) override;
  bool StillModal() const override { return model_.Visible(); }
  void OnModalAbandoned() override { model_.Cancel(); }
  HWND DefaultFocus() const override { return Control(import_list_ids::kList1Id); }
  void Refresh();
  // "*": any list file, picked with the open dialog.
  void ChooseFile();

  ImportListModel& model_;
  bool refreshing_ = false;
  std::vector<NamedList> listsShown_;
};

}  // namespace tarvek
