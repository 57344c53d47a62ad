// The program's life on its main window: the start-up that loads and registers the list, and
// the shut-down that gives every registration back.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/files/active_abbreviations.h"
#include "core/files/active_list.h"
#include "core/files/active_options.h"
#include "core/dispatch.h"
#include "core/grid.h"
#include "core/files/list_file.h"
#include "editor/editor_model.h"
#include "mouse/mouse_controller.h"
#include "lists/import_list_model.h"
#include "lists/save_list_model.h"
#include "settings/settings_dialog_model.h"
#include "settings/settings_store.h"
#include "shell/screen_edge.h"

namespace tarvek {

struct MenuItem {
  std::string caption;
  bool enabled = true;
  bool checked = false;
  int slot = -1;  // the table slot the item runs; -1 for none
};

// Menu-bar items whose check mark or enabled state the commands change.
enum class MenuItemId {
  kHideIcon,     // 文件: 隐藏图标(&H)
  kLockNow,      // 文件: 暂时禁用(&L)
  kDelete,       // 编辑热键: 删除热键(&D)
  kRun,          // 编辑热键: 运行程序(&R)
  kFindTarget,   // 编辑热键: 查找目标(&F)
  kShowPath,     // 编辑热键: 显示路径(&P)
  kUseHotkey,    // 高级: 取消禁用(&U)
  kShowIconOn,   // 高级: 显示图标(&O)
  kOpenStart,    // 软件设置: 开机运行(&R)
  kShowInfo,     // 软件设置: 显示提示(&S)
  kOpenSound,    // 软件设置: 开启热键声音
  kToggleEnabled,  // 编辑热键: 停用热键(&T) / 启用热键(&T)
};

// The main window as the start-up, the shut-down and the commands drive it.
class MainWindowView : public MainView {
 public:
  virtual void SetFrameCaption(const std::string& caption) = 0;
  // Item i stands for table slot i; clicking it runs that binding.
  virtual void SetHotkeyMenu(const std::vector<MenuItem>& items) = 0;
  virtual void SetHotkeyMenuChecked(int item, bool checked) = 0;
  // Adds the tray icon with the picture its record holds (the normal one until told otherwise).
  virtual void AddTrayIcon() = 0;
  virtual void Hide() = 0;
  virtual void SetMenuChecked(MenuItemId item, bool checked) = 0;
  virtual void SetMenuEnabled(MenuItemId item, bool enabled) = 0;
  virtual void SetMenuText(MenuItemId item, const std::string& text) = 0;
  virtual void SetApplyButtonEnabled(bool enabled) = 0;  // "应用 &Q"
  virtual void SetActivationOption(int index) = 0;      // selects one of the two options
  virtual void SetMouseControllerBox(bool ticked) = 0;  // "启用鼠标控制器"
  virtual void PopupEditMenu() = 0;                     // "编辑热键(&E)" at the pointer
  // Shows the hotkey editor "热键设置" modally; returns when it has hidden itself.
  virtual void OpenEditor() = 0;
  // Show the save-list dialog "保存列表" and the import-list dialog "导入列表" modally; each
  // returns when its dialog has hidden itself.
  virtual void OpenSaveList() = 0;
  virtual void OpenImportList() = 0;
  // Shows the dialog "缩写替换" modally over these entries; what it holds when the user closed
  // it with 确定, nothing when cancelled.
  virtual std::optional<std::vector<Abbreviation>> OpenAbbreviations(
      const std::vector<Abbreviation>& entries) = 0;
  virtual void SetGridToolTip(const std::string& text) = 0;
  // WM_HOTKEY with this id, sent to the main window itself.
  virtual void SendHotkeyToSelf(int id) = 0;
  // Lets the messages that are waiting be handled, as a long loop of the user-interface
  // thread must.
  virtual void ProcessPendingMessages() = 0;
  // The window's left edge and the right screen edge it parks against (ParkingEdge), in twips
  // at the DPI of that edge's screen.
  virtual EdgePlace ParkingPlace() = 0;
  // Puts the window's left edge at the place, in twips at the DPI ParkingPlace gave.
  virtual void SetWindowLeft(int twips, unsigned dpi) = 0;

  // Start-up and shut-down.
  // A second copy: clears its own title, finds the first copy's window "Tarvek HotKey" and
  // sends it the registered message, so that the first copy shows itself.
  virtual void HandOverToFirstCopy(unsigned instanceMessage) = 0;
  // The first copy takes the title "Tarvek HotKey", by which later copies find it.
  virtual void ClaimInstanceTitle() = 0;
  // The command buttons never take the focus and show the button cursor; and back.
  virtual void InstallButtonBehaviour() = 0;
  virtual void RestoreButtonBehaviour() = 0;
  // The file and edit menus' items get their pictures.
  virtual void SetMenuImages() = 0;
  // Files dropped on the grid reach the program; dropped elsewhere they are refused.
  virtual void AcceptDroppedFiles() = 0;
};

inline constexpr const char* kDefaultActivationHotkeyText = "Win\tSpace";

// Message boxes that tell something and ask nothing wait while the start-up runs: shown at
// once, they would come before the window a second copy hands over to, and before the tray
// icon. Held ones are shown, in order, by Release.
class StartMessages : public DialogPort {
 public:
  explicit StartMessages(DialogPort& dialogs) : dialogs_(dialogs) {}
  int ShowMessageBox(const std::string& text, const std::string& title, unsigned flags) override;
  void Hold() { holding_ = true; }
  void Release();

 private:
  struct Held {
    std::string text, title;
    unsigned flags;
  };
  DialogPort& dialogs_;
  bool holding_ = false;
  std::vector<Held> held_;
};
inline constexpr int kGridColumnWidths[2] = {1400, 800};

class Program {
 public:
  // programPath: the program file the start-with-Windows entry names (by default the
  // program's usual name in programFolder).
  Program(SystemPort& system, SettingsStore& settings, MainWindowView& view, GridPort& grid,
          PadHost& pad, std::string programFolder, std::string programPath = {});

  // Reads the active list file into the table, fills the grid and the hotkey-list menu and
  // registers every binding.
  void LoadPhase();
  // Refuses a drive's root folder and hands over to a copy that already runs (false: this copy
  // ends now, and QuitRequested is set); otherwise applies the stored settings, registers the
  // activation hotkey, the "~" key and the mouse keys, shows the start-up hint and the tray
  // icon. In hotkey activation mode the window is hidden.
  bool InitialisePhase(bool anotherCopyRunning = false);
  // The whole start as the main window runs it. A copy started while another runs hands over
  // before it loads anything: it registers nothing and says nothing. Otherwise what the load
  // has to say is shown once the start is complete, after the tray icon. False: this copy
  // ends now.
  bool StartUp(bool anotherCopyRunning);
  // The activation hotkey is registered now: without it the tray icon is the only way back.
  bool ActivationRegistered() const { return liveSettings.RegisteredActivation().has_value(); }
  // Gives back every registration and the tray icon; shows a window the hide action hid.
  void ShutDown();

  // After an add, change or apply: saves the grid to the active list file (asking first while
  // that list is not loaded), drops every binding's registration, reads the file back and
  // rebuilds the rows, registrations, menu and count. Tells the user, in one message, which
  // bindings another program holds. Returns the slots that could not be registered.
  std::vector<int> ReregisterAllHotkeys();
  // After a delete, and a save under the active list's name in 保存列表: saves the grid to the
  // active list file. When the list was loaded only now, the merged list is shown and
  // registered anew. False when nothing was saved.
  bool SaveAfterDelete();

  // The import command's second half, once the import-list dialog has set the active list
  // path: every binding of the old list is freed, its rows and menu items go, and the load
  // phase runs again on the new path, registering the new list's bindings.
  void ReplaceList();

  // 确定 in the dialog "缩写替换": the entries become the table, are written beside the list and
  // are what the key hook watches from now on (once the bindings are no longer paused, if they
  // are). A file that could not be read at start is never written over: the user is told, and
  // the file and the table stay as they were (false).
  bool ReplaceAbbreviations(std::vector<Abbreviation> entries);

  // The hotkey-list menu for the table as loaded; emptyCaption when there is no binding.
  std::vector<MenuItem> HotkeyMenuItems(const std::string& emptyCaption) const;
  // A binding's item in the hotkey-list menu: its name, and its keys when the settings say so.
  std::string HotkeyMenuCaption(const std::string& name, const std::string& modifierText,
                                const std::string& keyText) const;
  // "热键信息(共有" n "个热键)" over the grid.
  void SetCountCaption(int n);

  // A click on activation option 0 ("使用热键方式激活") or 1 ("使用鼠标方式激活"); start-up
  // selecting the stored option runs the same.
  void ActivationOptionClick(int index);
  // The check box "启用鼠标控制器" changing to ticked or not, by a click or by start-up. Switched
  // on, the controller's keys win: a binding on one of its keypad keys alone gives up its
  // registration and its row is marked held; switched off, the binding is registered again.
  void MouseControllerBoxClick(bool ticked);
  // Whether the controller, on now, holds the binding's combination.
  bool ControllerTakes(const HotkeyEntry& entry) const;
  // "暂时禁用(&L)" in effect: the bindings' registrations are given back until it ends.
  bool bindingsPaused = false;

  ListFileContext ListContext();

  HotkeyCore core;
  // The settings as they live while the program runs: the settings dialog's fields.
  SettingsDialogModel liveSettings;
  const std::string& ListPath() const { return liveSettings.ListPath(); }  // the active list
  // Whether the active list was loaded, and what guards its file until it is.
  ActiveList activeList;
  // The launch options of the active list, from the file beside it.
  ActiveOptions options;
  // The abbreviations of the active list, from the file beside it.
  ActiveAbbreviations abbreviations;
  bool hiddenAtStart = false;   // start-up left the window hidden (hotkey activation mode)
  std::string activationHotkeyText;
  int activationOption = 0;         // the selected option; 0 until start-up selects another
  std::vector<MenuItem> hotkeyMenu;  // what the hotkey-list menu shows
  // The hotkey editor's state, which lasts from one opening to the next.
  EditorModel editor;
  // The keypad mouse controller's registrations.
  MouseController mouseController;
  // The named lists' dialogs, kept from one opening to the next (the name box keeps its name).
  SaveListModel saveList;
  ImportListModel importList;

 private:
  void ShowHotkeyMenu(const std::string& emptyCaption);
  // What a row shows of its binding's options: grey when switched off, and where it acts in
  // its tool tip.
  void ShowRowOptions(int row, const LaunchOptions& options);
  // Shows the table's bindings as grid rows 2 and up, registers them and marks the refused.
  std::vector<int> ShowAndRegisterBindings(bool insertAtRow2);
  // Drops every binding's registration and row, reads the active list file back (or, when
  // fromFile is false or it cannot be read, takes what the grid showed), and rebuilds the rows,
  // registrations, menu and count.
  std::vector<int> ReloadBindings(bool fromFile);
  // The controller's keypad keys, taken from the bindings on them (on) or given back (off).
  void SettleControllerKeys(bool controllerOn);
  static bool GivesWayToController(const HotkeyEntry& entry);
  // The message naming the bindings that could not be registered, and who holds them.
  std::string HeldBindingsText(const std::vector<int>& refused) const;

  SystemPort& system_;
  StartMessages startMessages_{system_};
  SettingsStore& settings_;
  MainWindowView& view_;
  GridPort& grid_;
  std::string programFolder_;
  ActiveListForm activeListForm_;  // how the active list was read, for its next save
  bool shutDown_ = false;
};

// Splits "modifier text<Tab>key name" and gives the flags and key code it registers with.
struct ActivationCombo {
  std::string modifierText;
  std::string keyName;
  int modifiers = 0;
  int virtualKey = 0;
};
ActivationCombo ParseActivationHotkeyText(const std::string& text);

// The root folder of a drive ("C:" or "C:\\" as the folder of the program file).
bool IsDriveRoot(const std::string& folder);

// The hint shown at start: how to bring the window back.
std::string StartHintText(const std::string& activationHotkeyText);
// Said at start instead of the hint when the activation hotkey could not be registered.
std::string ActivationTakenText(const std::string& activationHotkeyText);

}  // namespace tarvek
