// The hotkey editor "添加热键" on screen: its control table over the dialog kit, drawing
// EditorModel and turning the user's actions into calls on it. Made on first use, then only
// hidden and shown again, so its lists last as long as the program.
#pragma once

#include <windows.h>

#include "editor/editor_model.h"
#include "win/windows/dialog_kit.h"
#include "win/system/unique_handle.h"

namespace tarvek {

// The controls, for the window itself and for anyone who reads them from outside. "取消 &C"
// has the id the dialog keys send for Esc; no control has IDOK, so Enter presses nothing.
namespace editor_ids {
enum ControlId : int {
  kFrame1Id = 100,  // 添加热键
  kLabel1Id,        // 辅助键：
  kLabel3Id,        // 基本键：
  kCombo1Id0,       // the two modifier boxes and the base-key box
  kCombo1Id1,
  kCombo1Id2,
  kLabel2Id,  // the plus signs between the three boxes
  kLabel4Id,  // 被打开的文件(可以是网址或个人信箱):
  kCombo2Id,  // the target
  kLabel5Id,  // 程序名称（作用）：
  kCombo3Id,  // the name
  kCommand3Id,  // ...
  kCommand1Id,  // 确定 &C
  kCheck1Id,    // the conflict check
  kCheck2Id,    // 允许不使用辅助键
  kCommand4Id,  // 应用 &A
  kCommand5Id,  // 选择程序的小技巧
  kImage1Id,
  kOptionsId,  // 选项..., the launch options
  kCommand2Id = IDCANCEL,  // 取消 &C
};
}  // namespace editor_ids

class EditorDialog : public win::DialogWindow {
 public:
  explicit EditorDialog(EditorModel& model);
  ~EditorDialog() override;

  // Creates the window hidden; from here on it draws every change of the model.
  bool Create(HINSTANCE instance, HWND owner);
  // Shows the editor and returns when it has hidden itself.
  void ShowModal();

 private:
  void OnCreated() override;
  void OnCommand(int id, int notification) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnClose() override { model_.Close(); }
  bool StillModal() const override { return model_.Visible(); }
  HWND DefaultFocus() const override { return Control(editor_ids::kCombo1Id0); }
  HFONT FontFor(int id) const override;
  void OnFontsMade() override;
  void LayOut() override;
  void Refresh();
  void FillList(int id, const std::vector<std::string>& items);
  void ChooseFile();
  void ChooseOptions();
  // The key boxes see their key presses first: the modifier boxes take a modifier held alone.
  static LRESULT CALLBACK KeyBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);

  EditorModel& model_;
  win::UniqueGdiObject plusFont_;
  win::UniqueGdiObject white_;  // the panel's background
  HICON icon_ = nullptr;        // shared, not to be destroyed
  bool refreshing_ = false;     // texts set by Refresh are no user's change
  bool altTaken_ = false;       // a modifier box took Alt: its release must not open the menu
  std::size_t namesShown_ = 0;  // the names in the name box's list
};

}  // namespace tarvek
