// The settings dialog "软件设置" without its window: the live values of the settings it holds
// while the program runs (the list path, five check boxes, the three activation boxes), the
// enabled state of its two save buttons, and what each of its buttons does. Other parts of the
// program read the settings here and set the check boxes here, as a click on them would.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/grid.h"
#include "core/ports.h"
#include "settings/settings_store.h"

namespace tarvek {

// The check boxes, numbered as their controls Check1 to Check5.
enum class SettingsCheck : int {
  kStartWithWindows = 1,  // Check1 "本软件随系统启动": the Run entry
  kPlaySound,             // Check2 "开启热键声音": PlaySound
  kShowInfo,              // Check3 "运行时显示提示信息": ShowInfo
  kShowIcon,              // Check4 "运行时显示托盘图标": ShowIcon
  kShowHotKeyNameInMenu,  // Check5 "菜单中显示热键名称": ShowHotKeyNameInMenu
  kClickKey,              // Check6 "启用 ~ 键点击前台窗口": ClickKey, ticked unless stored "0"
};
inline constexpr int kSettingsCheckCount = 6;

// Combo1(0) and Combo1(1) hold modifier names, Combo1(2) a key name.
inline constexpr int kActivationBoxCount = 3;

// The list-file dialog behind "..." (save mode); the import dialog shows it in open mode.
inline constexpr std::string_view kListFileFilter = "热键文件(*.htk)|*.HTK";
inline constexpr std::string_view kListFileDefaultExtension = "htk";

// A combination as RegisterHotKey takes it.
struct KeyCombination {
  int modifiers = 0;
  int virtualKey = 0;
  bool operator==(const KeyCombination&) const = default;
};

// How "保存热键 &K" ended. The view puts the focus back where the user has to act next.
enum class SaveHotkeyOutcome {
  kSaved,
  kSameModifierTwice,  // "不能有两个相同的辅助键!"
  kNoModifier,         // "热键中至少需要有一个辅助热键."
  kInUse,              // a binding of the list already has the combination
  kReserved,           // one of the combinations the system keeps for itself
  kHeldByOther,        // another program holds it; the old activation hotkey stays
};

class SettingsDialogModel {
 public:
  // programPath: the program file the start-with-Windows entry names.
  SettingsDialogModel(SettingsStore& settings, std::string programPath);

  // The live values.
  const std::string& ListPath() const { return listPath_; }  // Text1, the active list file
  bool Checked(SettingsCheck box) const;
  const std::string& ActivationBox(int index) const;  // "无" or a modifier name, or a key name
  bool SaveChangesEnabled() const { return saveChangesEnabled_; }  // "保存修改 &Y"
  bool SaveHotkeyEnabled() const { return saveHotkeyEnabled_; }    // "保存热键 &K"
  bool Visible() const { return visible_; }
  // The window title: "软件设置", and the mode beside it while the settings live in the file
  // beside the program.
  std::string Title() const { return settings_.Portable() ? "软件设置 - 便携模式" : "软件设置"; }

  // Changes made as the user makes them. A check box set to another state stores its setting
  // at once and enables "保存修改 &Y"; set to the state it has, nothing happens.
  void SetChecked(SettingsCheck box, bool ticked);
  // A new path text enables "保存修改 &Y"; the same text changes nothing.
  void SetListPath(const std::string& text);
  // An item chosen in activation box index enables "保存热键 &K". False, and nothing changes,
  // when the box does not offer the name.
  bool ChooseActivation(int index, std::string_view name);

  // Start-up: shows the stored activation hotkey ("Ctrl + Alt", Tab, "F5") in the three boxes
  // without enabling "保存热键 &K". Empty or blank text shows Win + Space. A name the boxes do
  // not offer leaves its box as it is.
  void ShowActivationHotkey(std::string_view activationText);
  // The combination registered under the activation hotkey id now, which "保存热键 &K" gives
  // back its registration when the system refuses a new one. None when nothing is registered.
  void SetRegisteredActivation(std::optional<KeyCombination> combination);
  std::optional<KeyCombination> RegisteredActivation() const { return registered_; }

  // Each time the dialog is shown: the start entry and the sound are read again and both save
  // buttons are disabled. The path field keeps the active list path (which an import may have
  // changed since FileSave was read).
  void Activate();
  // "保存修改 &Y": stores the path and hides the dialog.
  void SaveChanges();
  // "取消 &C" and Esc: hides the dialog; the path field goes back to the path it held when the
  // dialog was shown, so that no list is ever saved under a path the user walked away from.
  void Cancel();
  // "...": the path the save-mode list-file dialog returned (preset with ListPath()), or none
  // when it was cancelled.
  void ChoosePath(const std::optional<std::string>& chosen);
  // "保存热键 &K": tests the combination the three boxes show against the bindings in the grid
  // and the system's own combinations, registers it in place of the current activation hotkey,
  // and only then stores it and shows it in grid row 1. Every refusal is one message box and
  // leaves the registry, the grid and the registration as they were.
  SaveHotkeyOutcome SaveHotkey(GridPort& grid, HotkeyPort& hotkeys, DialogPort& dialogs);

  // Told after any change of what the dialog shows. The dialog's window takes this one to
  // draw the change.
  std::function<void()> onChanged;
  // Told when a check box has changed and stored its setting (a setting that takes effect at
  // once follows it here).
  std::function<void(SettingsCheck box, bool ticked)> onCheckChanged;
  // Told when "保存修改 &Y" has stored the path (the main window enables "应用 &Q").
  std::function<void()> onSaved;
  // Told when "保存热键 &K" has registered and stored a new activation text.
  std::function<void(const std::string& activationText)> onActivationSaved;

 private:
  void StoreCheck(SettingsCheck box, bool ticked);
  void Changed();

  SettingsStore& settings_;
  std::string programPath_;
  std::string listPath_;
  std::string pathWhenShown_;  // the active list path when the dialog was last shown
  std::array<bool, kSettingsCheckCount> checks_{};
  std::array<std::string, kActivationBoxCount> activation_;
  bool saveChangesEnabled_ = false;
  bool saveHotkeyEnabled_ = false;
  bool visible_ = false;
  std::optional<KeyCombination> registered_;
};

}  // namespace tarvek
