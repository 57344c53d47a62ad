// The main window "LumekVorda2009 v1.0 beta" with its frames, grid, buttons, options and menu
// bar. It owns the tray icon (tray_icon_window.h) and the single-copy lock with the hand-over
// (single_copy_window.h). main_window.cpp builds and lays out the window and answers its
// messages; main_menu_window.cpp holds the menus, their shortcuts and the routing of every
// command.
#pragma once

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "abbreviations/abbreviations_dialog.h"
#include "editor/editor_dialog.h"
#include "help/about_window.h"
#include "help/help_window.h"
#include "lists/import_list_dialog.h"
#include "lists/save_list_dialog.h"
#include "pad/pad_session.h"
#include "pad/pad_window.h"
#include "settings/settings_dialog.h"
#include "shell/command_actions.h"
#include "shell/main_commands.h"
#include "shell/main_ids.h"
#include "shell/program.h"
#include "shell/single_copy_window.h"
#include "shell/tray_icon_window.h"
#include "win/windows/list_view_grid.h"
#include "win/system/registry.h"
#include "win/system/unique_handle.h"
#include "win/system/win_system.h"

namespace tarvek {


class MainWindow : public MainWindowView, public PadHost, public CommandHost {
 public:
  MainWindow();
  ~MainWindow() override;

  // Creates the windows and runs the start-up. False when this copy must end at once (another
  // copy is running and was handed over to); ExitCode then says how it ends. A switch from the
  // command line goes to the copy that runs, or is carried out by this one once it has started.
  bool Create(HINSTANCE instance, const CommandRequest& request = {});
  // The message loop; returns the process exit code.
  int Run();
  int ExitCode() const { return exitCode_; }

  // CommandHost
  bool DialogOpen() override;
  void Later(std::function<void()> job) override;

  // MainView
  void ShowNormal() override;
  void Show() override;
  void SetTrayPicture(TrayPicture picture) override;
  void PopupHotkeyMenu() override;
  void PopupSystemMenu() override;
  void StartTrayMenuTimer() override;
  void StopTrayMenuTimer() override;
  void RevealFromEdge() override;
  void ShowPad() override;
  void RemoveTrayIcon() override;
  void RestoreWindowProcedures() override;
  void Unload() override;
  // MainWindowView
  void SetFrameCaption(const std::string& caption) override;
  void SetHotkeyMenu(const std::vector<MenuItem>& items) override;
  void SetHotkeyMenuChecked(int item, bool checked) override;
  void AddTrayIcon() override;
  void Hide() override;
  void SetMenuChecked(MenuItemId item, bool checked) override;
  void SetMenuEnabled(MenuItemId item, bool enabled) override;
  void SetMenuText(MenuItemId item, const std::string& text) override;
  void SetApplyButtonEnabled(bool enabled) override;
  void SetActivationOption(int index) override;
  void SetMouseControllerBox(bool ticked) override;
  void PopupEditMenu() override;
  void SendHotkeyToSelf(int id) override;
  void ProcessPendingMessages() override;
  EdgePlace ParkingPlace() override;
  void SetWindowLeft(int twips, unsigned dpi) override;
  void OpenEditor() override;
  void OpenSaveList() override;
  void OpenImportList() override;
  std::optional<std::vector<Abbreviation>> OpenAbbreviations(
      const std::vector<Abbreviation>& entries) override;
  void SetGridToolTip(const std::string& text) override;
  // PadHost
  void ShowPadForAction() override;

  void HandOverToFirstCopy(unsigned instanceMessage) override;
  void ClaimInstanceTitle() override;
  void InstallButtonBehaviour() override;
  void RestoreButtonBehaviour() override;
  void AcceptDroppedFiles() override;
  void SetMenuImages() override;
  // "其他设置...": the settings dialog, made on its first opening.
  void OpenSettingsDialog();
  // Files dropped on the grid, one after another.
  void DropFiles(HDROP drop);
  // "帮助 &?": the help window, made anew for each opening.
  void OpenHelp();
  // "关于": the about box, made on its first opening.
  void OpenAbout();
  // The drag-and-save pad, made on first use and anew after its close box destroyed it.
  PadWindow& Pad();

 private:
  static LRESULT CALLBACK ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  std::optional<LRESULT> OnGridNotify(const NMHDR& header);
  void CreateControls();
  // The window's controls, the grid's list control among them, made before the window is
  // first shown.
  void EnsureControls();
  // Dropped files reach the program through the grid's list control, once it is made.
  void AcceptDropsOnGrid();
  // Windows is told, on this window (the one that answers WM_QUERYENDSESSION), why the session
  // should not end while the pad holds unsaved text; and told no more once it does not.
  void FollowPadSaved(bool saved);
  // The message font at the window's DPI, on the grid and every control.
  void SetControlFont();
  void SubclassButtons(bool on);
  void AddToolTip(HWND control, const wchar_t* text);
  void LayOut();
  // main_command_line_window.cpp: a switch before the start (false: this copy ends now, with
  // exitCode_), a switch once started, and the running copy's side of it.
  bool SwitchBeforeStart(const CommandRequest& request);
  void SwitchAfterStart(const CommandRequest& request);
  int HandToRunningCopy(const CommandRequest& request);
  LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* data);
  void RunLaterJobs();
  // The right screen edge the window parks against, for where it is now.
  ScreenEdge ParkingEdgeNow();
  // One message of the loop: shortcuts, then the dialog keys, then the window.
  void Dispatch(MSG& message);

  // main_menu_window.cpp
  void CreateMenuBar();
  bool TranslateShortcut(MSG& message);
  void OnCommand(int id);
  void OnMenuOpening(HMENU menu);
  void PopupMenu(HMENU menu);
  // The pictures start-up asked for, given to the menus before one is first shown.
  void EnsureMenuImages();
  // The pictures again at the window's new DPI.
  void ReloadMenuImages();

  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HWND toolTip_ = nullptr;
  win::UniqueGdiObject font_;
  SingleCopy singleCopy_;
  bool anotherCopy_ = false;
  bool buttonsSubclassed_ = false;
  bool controlsCreated_ = false;
  // What the controls show, kept while they are not made yet.
  std::string frameCaption_ = "热键信息";
  bool applyEnabled_ = false;
  int activationOption_ = 0;
  bool mouseControllerBox_ = false;
  bool started_ = false;  // start-up is over
  bool acceptsDrops_ = false;  // start-up asked for dropped files
  bool gridSubclassed_ = false;
  bool mainProcInstalled_ = false;
  TrayIcon tray_;
  win::UniqueMenu hotkeyMenu_;
  WindowRef windowBeforeMenu_ = 0;  // the user's window when the hotkey-list menu opened
  win::UniqueMenu menuBar_;  // taken off the window before it is destroyed
  win::UniqueAccelerators shortcuts_;
  std::unique_ptr<win::ListViewGrid> grid_;
  win::WinSystem system_;
  win::RegistrySettings registrySettings_;
  // TarvekHotKey.ini beside the program, when it was there at start (portable mode).
  std::unique_ptr<SettingsStore> portableSettings_;
  std::unique_ptr<Program> program_;
  std::unique_ptr<SettingsDialog> settingsDialog_;
  std::unique_ptr<EditorDialog> editorDialog_;
  std::unique_ptr<HelpWindow> helpWindow_;  // only while it is open
  std::unique_ptr<AboutWindow> aboutWindow_;
  std::unique_ptr<SaveListDialog> saveListDialog_;
  std::unique_ptr<ImportListDialog> importListDialog_;
  std::unique_ptr<AbbreviationsDialog> abbreviationsDialog_;  // only while it is open
  std::unique_ptr<PadWindow> pad_;
  ShutdownReasonDecision shutdownReason_;
  bool menuImagesPending_ = false;  // asked for, not loaded yet
  std::vector<win::UniqueGdiObject> menuImages_;  // outlive the menus that show them
  HBITMAP ranImage_ = nullptr;                    // one of menuImages_
  std::unique_ptr<MainCommands> commands_;
  std::unique_ptr<CommandActions> commandActions_;
  std::vector<std::function<void()>> laterJobs_;
  int exitCode_ = 0;
};

}  // namespace tarvek
