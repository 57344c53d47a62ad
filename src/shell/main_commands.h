// The commands of the main window's buttons and menus: apply, hide and show, the tray icon,
// disabling the bindings for a while, running a binding from the hotkey-list menu, and the grid
// commands (add, change and delete through the hotkey editor, run, find target, drops). The
// main window turns clicks into these calls and draws what they decide.
#pragma once

#include <optional>
#include <string>

#include "core/grid.h"
#include "core/ports.h"
#include "shell/program.h"

namespace tarvek {

class MainCommands {
 public:
  MainCommands(Program& program, SystemPort& system, MainWindowView& view, GridPort& grid);

  // "应用 &Q": saves the grid, reloads it and registers every binding again.
  void Apply();
  // "隐藏 &H" and the close box: hides the window, or in mouse activation mode parks it at the
  // right screen edge.
  void Hide();
  // The window was minimised: it is hidden, so that the activation hotkey brings it back.
  void Minimised();
  // "显示界面": shows the window unless the activation hotkey showed it and it was not hidden
  // since.
  void ShowWindow();
  // "退出" and "退出程序(&Q)": asks, then unloads the main window, which ends the program.
  void Exit();

  // "隐藏图标(&H)" and "显示图标(&O)".
  void HideTrayIcon();
  void ShowTrayIcon();
  // "暂时禁用(&L)" and "取消禁用(&U)": unregisters every binding, or registers them again, and
  // adds the icon again with the picture that says which, also one the user hid or switched off.
  void ToggleLock();
  // The same for /pause and /resume: only the icon's picture changes, a hidden icon stays away.
  void ToggleLockKeepingIcon();
  // A click on item i of the hotkey-list menu runs binding i and leaves the check mark on it.
  // inFrontBefore: the window the user worked in before the menu opened, which a text goes to.
  void RunFromHotkeyMenu(int item, WindowRef inFrontBefore = 0);

  // "添加 &A" and "添加热键(&A)": the editor adds bindings.
  void Add();
  // "修改热键(&C)": the editor replaces the binding of the current row.
  void Change();
  // "删除热键(&D)": asks, then deletes the selected bindings, frees their hotkeys and saves.
  void Delete();
  // A file dropped on the grid: the editor adds a binding with the file as its target. The
  // view calls this once per file, one after another. A full list refuses it with a message.
  // False when the list is full: the files after it are not offered (one message is enough).
  bool DropFile(const std::string& path);
  // A left press on the grid: its tool tip shows the selected rows.
  void GridLeftPress();

  // "保存列表(&S)": the save-list dialog.
  void SaveList();
  // "导入列表(&I)": the import-list dialog; when it chose a list, "应用 &Q" is enabled and the
  // running list is replaced by the chosen one.
  void ImportList();
  // "缩写替换(&A)...": the dialog edits a copy of the running list's abbreviations; 确定 saves
  // them and hands them to the key hook, when they changed.
  void EditAbbreviations();
  // The import's second half, once a list has been chosen (ImportPending raised): the same for
  // the dialog and for a list chosen from the command line.
  void FinishImport();

  // "运行程序(&R)" and a double click on a row: opens the current row's target.
  void RunTarget();
  // "查找目标(&F)": opens the folder of the current row's target.
  void FindTarget();
  // "显示路径(&P)": shows or hides the target column.
  void ToggleShowPath();
  // "刷新列表(&W)".
  void Redraw();
  // "停用热键(&T)" / "启用热键(&T)": switches the current row's binding off or on again, saves its
  // options and registers the bindings again.
  void ToggleEnabled();

  // The menus "编辑热键(&E)" and "高级(&O)" are opening: their items' states are set.
  void EditMenuOpening();
  void AdvancedMenuOpening();
  // The menu "软件设置(&P)" is opening: its three items mirror the settings dialog's boxes.
  void SettingsMenuOpening();
  // "开机运行(&R)", "显示提示(&S)", "开启热键声音": the item's check mark flips and the dialog's
  // box follows, storing its setting as a click on it would.
  void ToggleSettingsMirror(MenuItemId item);
  // A right press on the grid: the edit menu pops up over a row.
  void GridRightPress();

  // Mouse activation: parks the window at the right screen edge in steps, letting the messages
  // be handled between them.
  void SlideToScreenEdge();
  // The pointer moved over the window itself, x in twips from its client area's left edge.
  void FormMouseMove(int xTwips);

  bool HideIconChecked() const { return hideIconChecked_; }
  bool LockNowChecked() const { return lockNowChecked_; }
  bool ShowPathChecked() const { return showPathChecked_; }
  // The hidden item "保存修改(&S)", whose enabled state says an add changed the list; the
  // button "应用 &Q" follows it.
  bool SaveEnabled() const { return saveEnabled_; }
  void EnableSave();

 private:
  // The target of the binding the current row shows; nothing on the activation row.
  std::optional<std::string> CurrentTarget() const;
  // After a deletion: one item per remaining binding row, in grid order, each keeping its
  // caption and check mark.
  void ShrinkHotkeyMenu();
  // The item that switches the current binding off or on: its text, and disabled off a binding.
  void ShowToggleEnabledItem(bool onBinding);
  // Whether the edit menu offers a row command for the current binding row (运行 is not
  // offered for a text to type).
  bool Offered(MenuItemId item) const;

  Program& program_;
  SystemPort& system_;
  MainWindowView& view_;
  GridPort& grid_;
  bool hideIconChecked_ = false;
  bool lockNowChecked_ = false;
  bool showPathChecked_ = false;
  bool saveEnabled_ = false;
  bool sliding_ = false;
  bool openStartChecked_ = false, showInfoChecked_ = false, openSoundChecked_ = false;
};

// The folder part of a target, up to and including its last "\"; empty without one.
std::string TargetFolder(const std::string& target);

// The selected rows' texts: cells joined by Tab, rows by CR.
std::string SelectionText(const GridPort& grid);

}  // namespace tarvek
