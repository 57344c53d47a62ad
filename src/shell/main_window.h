// The main window "LumekVorda2009 v1.0 beta" with its frame and grid, the hidden top-level
// window "Tarvek HotKey" a second copy of the program looks for, and the tray icon.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/program.h"
#include "win/list_view_grid.h"
#include "win/registry.h"
#include "win/unique_handle.h"
#include "win/win_system.h"

namespace tarvek {

class MainWindow : public MainWindowView, public PadHost {
 public:
  MainWindow();
  ~MainWindow() override;

  // Creates the windows and runs the start-up. False when this copy must end at once (another
  // copy is running and was handed over to).
  bool Create(HINSTANCE instance);
  // The message loop; returns the process exit code.
  int Run();

  // MainWindowView
  void ShowNormal() override;
  void Show() override;
  void SetTrayPicture(TrayPicture picture) override;
  void PopupHotkeyMenu() override;
  void PopupSystemMenu() override;
  void RevealFromEdge() override;
  void ShowPad() override;
  void RemoveTrayIcon() override;
  void RestoreWindowProcedures() override;
  void Unload() override;
  void SetFrameCaption(const std::string& caption) override;
  void SetHotkeyMenu(const std::vector<MenuItem>& items) override;
  void AddTrayIcon() override;
  // PadHost
  void ShowPadForAction() override;

 private:
  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK AppWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id);
  void LayOut();
  void ExitCommand();
  void PopupMenu(HMENU menu);
  bool AnotherCopyRunning();

  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HWND appWindow_ = nullptr;  // hidden, titled "Tarvek HotKey"
  HWND frame_ = nullptr;
  HFONT font_ = nullptr;
  win::UniqueKernelHandle instanceMutex_;
  bool anotherCopy_ = false;
  bool mainProcInstalled_ = false;
  bool trayAdded_ = false;
  UINT taskbarCreated_ = 0;
  NOTIFYICONDATAW tray_{};
  win::UniqueIcon trayNormal_;
  win::UniqueIcon trayPressed_;
  win::UniqueMenu hotkeyMenu_;
  win::UniqueMenu systemMenu_;
  std::unique_ptr<win::ListViewGrid> grid_;
  win::WinSystem system_;
  win::RegistrySettings settings_;
  std::unique_ptr<Program> program_;
};

}  // namespace tarvek
