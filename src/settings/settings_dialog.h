// The settings dialog "软件设置" on screen: a code-built top-level window with standard
// controls that shows SettingsDialogModel and turns clicks into calls on it. Created hidden
// once, at start-up, and shown modally as often as the user asks.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "core/grid.h"
#include "core/ports.h"
#include "settings/settings_dialog_model.h"
#include "win/windows/dialog_kit.h"
#include "win/system/unique_handle.h"

namespace tarvek {

// The controls, for the window itself and for anyone who reads them from outside (tests,
// automation). "取消 &C" has the id the dialog keys send for Esc.
namespace settings_ids {
enum ControlId : int {
  kFrame1Id = 100,  // 软件设置
  kLabel1Id,        // 热键列表存放路径：
  kText1Id,
  kCommand5Id,  // ...
  kCheck1Id,    // 本软件随系统启动; Check2 to Check5 follow
  kCheck2Id,
  kCheck3Id,
  kCheck4Id,
  kCheck5Id,
  kFrame2Id,   // 激活本程序所用热键
  kCombo1Id0,  // first modifier; Combo1(1) and Combo1(2) follow
  kCombo1Id1,
  kCombo1Id2,              // the key
  kLabel2Id,               // the plus signs between the three boxes
  kCommand2Id,             // 保存修改 &Y
  kCommand4Id,             // 保存热键 &K
  kCheck6Id,               // 启用 ~ 键点击前台窗口
  kCommand3Id = IDCANCEL,  // 取消 &C
};
}  // namespace settings_ids

enum class ListFileDialogMode { kOpen, kSave };

// The system's file dialog for list files ("热键文件(*.htk)", default extension "htk"), preset
// with a path. The chosen path, or none when the user cancelled.
std::optional<std::string> ShowListFileDialog(HWND owner, const std::string& preset,
                                              ListFileDialogMode mode);

class SettingsDialog : public win::DialogWindow {
 public:
  // Message boxes of "保存热键 &K" are owned by the dialog; the hotkeys are registered wherever
  // hotkeys registers them (the main window). The model outlives the dialog.
  SettingsDialog(SettingsDialogModel& model, GridPort& grid, HotkeyPort& hotkeys);
  ~SettingsDialog() override;

  // Creates the window hidden, owned by owner, showing what the model holds. From here on the
  // dialog draws every change of the model (it takes the model's onChanged).
  bool Create(HINSTANCE instance, HWND owner);
  // Shows the dialog and returns when it hides itself. True when "保存修改 &Y" closed it.
  // False at once when the dialog is showing already.
  bool ShowModal();

 private:
  void OnCreated() override;
  void OnCommand(int id, int notification) override;
  bool StillModal() const override { return model_.Visible(); }
  void OnModalAbandoned() override { model_.Cancel(); }
  HWND DefaultFocus() const override { return Control(settings_ids::kText1Id); }
  HFONT FontFor(int id) const override;
  void OnFontsMade() override;
  void LayOut() override;
  // Draws what the model holds.
  void Refresh();

  SettingsDialogModel& model_;
  GridPort& grid_;
  HotkeyPort& hotkeys_;
  win::UniqueGdiObject plusFont_;  // Label2's fixed-pitch font, sized to the boxes it spans
  bool refreshing_ = false;        // the text set by Refresh is no user's change
  bool saved_ = false;
};

}  // namespace tarvek
