// The main window as the start-up and the commands drive it, recording into the same call list
// as the system.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "recording_system.h"
#include "shell/main_commands.h"
#include "shell/program.h"

namespace tarvek::testing {

class RecordingMainWindow : public RecordingViewOf<MainWindowView> {
 public:
  using RecordingViewOf::RecordingViewOf;

  void HandOverToFirstCopy(unsigned message) override {
    calls_.push_back("View.HandOverToFirstCopy " + std::to_string(message));
  }
  void ClaimInstanceTitle() override { calls_.push_back("View.ClaimInstanceTitle"); }
  void InstallButtonBehaviour() override { calls_.push_back("View.InstallButtonBehaviour"); }
  void RestoreButtonBehaviour() override { calls_.push_back("View.RestoreButtonBehaviour"); }
  void AcceptDroppedFiles() override { calls_.push_back("View.AcceptDroppedFiles"); }
  void SetMenuImages() override { calls_.push_back("View.SetMenuImages"); }

  std::string frameCaption;
  std::vector<MenuItem> menu;
  // The window's place, in twips, as SetWindowLeft leaves it.
  int windowLeft = 3000;
  int screenWidth = 15360;  // 1024 pixels at 96 dots per inch
  unsigned screenDpi = 96;  // of the screen the window parks on
  std::vector<int> lefts;   // every SetWindowLeft, in order
  int pendingMessageRounds = 0;
  std::function<void()> onPendingMessages;  // what arrives while messages are handled
  std::function<void()> onOpenEditor;       // what the user does in the editor
  std::function<void()> onOpenImportList;   // what the user does in the import-list dialog
  // What the user leaves in the dialog "缩写替换" with 确定; nothing: 取消.
  std::function<std::optional<std::vector<Abbreviation>>(const std::vector<Abbreviation>&)>
      onOpenAbbreviations;
  std::string gridToolTip;

  void SetFrameCaption(const std::string& caption) override {
    frameCaption = caption;
    calls_.push_back("View.SetFrameCaption " + caption);
  }
  void SetHotkeyMenu(const std::vector<MenuItem>& items) override {
    menu = items;
    calls_.push_back("View.SetHotkeyMenu " + std::to_string(items.size()));
  }
  void SetHotkeyMenuChecked(int item, bool checked) override {
    if (item >= 0 && item < static_cast<int>(menu.size())) menu[item].checked = checked;
    calls_.push_back("View.HotkeyMenuChecked " + std::to_string(item) + " " + Bit(checked));
  }
  void AddTrayIcon() override {
    trayShown = true;
    calls_.push_back("View.AddTrayIcon");
  }
  void Hide() override { calls_.push_back("View.Hide"); }
  void SetMenuChecked(MenuItemId item, bool checked) override {
    calls_.push_back("View.MenuChecked " + ItemName(item) + " " + Bit(checked));
  }
  void SetMenuEnabled(MenuItemId item, bool enabled) override {
    calls_.push_back("View.MenuEnabled " + ItemName(item) + " " + Bit(enabled));
  }
  void SetMenuText(MenuItemId item, const std::string& text) override {
    calls_.push_back("View.MenuText " + ItemName(item) + " " + text);
  }
  void SetApplyButtonEnabled(bool enabled) override {
    calls_.push_back("View.ApplyEnabled " + Bit(enabled));
  }
  void SetActivationOption(int index) override {
    calls_.push_back("View.ActivationOption " + std::to_string(index));
  }
  void SetMouseControllerBox(bool ticked) override {
    calls_.push_back("View.MouseControllerBox " + Bit(ticked));
  }
  void PopupEditMenu() override { calls_.push_back("View.PopupEditMenu"); }
  void OpenEditor() override {
    calls_.push_back("View.OpenEditor");
    if (onOpenEditor) onOpenEditor();
  }
  void OpenSaveList() override { calls_.push_back("View.OpenSaveList"); }
  void OpenImportList() override {
    calls_.push_back("View.OpenImportList");
    if (onOpenImportList) onOpenImportList();
  }
  std::optional<std::vector<Abbreviation>> OpenAbbreviations(
      const std::vector<Abbreviation>& entries) override {
    calls_.push_back("View.OpenAbbreviations");
    return onOpenAbbreviations ? onOpenAbbreviations(entries) : std::nullopt;
  }
  void SetGridToolTip(const std::string& text) override { gridToolTip = text; }
  void SendHotkeyToSelf(int id) override {
    calls_.push_back("View.SendHotkey " + std::to_string(id));
  }
  void ProcessPendingMessages() override {
    ++pendingMessageRounds;
    if (onPendingMessages) onPendingMessages();
  }
  EdgePlace ParkingPlace() override { return {windowLeft, screenWidth, screenDpi}; }
  void SetWindowLeft(int twips, unsigned dpi) override {
    windowLeft = twips;
    lefts.push_back(twips);
    if (dpi != screenDpi) calls_.push_back("View.SetWindowLeft at DPI " + std::to_string(dpi));
  }

  static std::string Bit(bool on) { return on ? "1" : "0"; }
  static std::string ItemName(MenuItemId item) {
    switch (item) {
      case MenuItemId::kHideIcon:
        return "hideico";
      case MenuItemId::kLockNow:
        return "LockNow";
      case MenuItemId::kDelete:
        return "delH";
      case MenuItemId::kRun:
        return "runfile";
      case MenuItemId::kFindTarget:
        return "findfile";
      case MenuItemId::kShowPath:
        return "reflist";
      case MenuItemId::kUseHotkey:
        return "usehotkey";
      case MenuItemId::kShowIconOn:
        return "showiconon";
      case MenuItemId::kOpenStart:
        return "openstart";
      case MenuItemId::kShowInfo:
        return "showinfot";
      case MenuItemId::kOpenSound:
        return "opensound";
      case MenuItemId::kToggleEnabled:
        return "toggleenabled";
    }
    return "?";
  }
};

// One program with its main window, grid and commands over the recording fakes, all calls in
// one list. The settings are read when the test starts the program up, not before.
struct ShellRig {
  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
  MainCommands commands{program, system, view, grid};
};

}  // namespace tarvek::testing
