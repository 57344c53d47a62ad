// The program's life on its main window: the start-up that loads and registers the list, and
// the shut-down that gives every registration back.
#pragma once

#include <string>
#include <vector>

#include "core/dispatch.h"
#include "core/grid.h"
#include "core/list_file.h"
#include "settings/settings_store.h"

namespace tarvek {

struct MenuItem {
  std::string caption;
  bool enabled = true;
};

// The main window as the start-up and shut-down drive it.
class MainWindowView : public MainView {
 public:
  virtual void SetFrameCaption(const std::string& caption) = 0;
  // Item i stands for table slot i; clicking it runs that binding.
  virtual void SetHotkeyMenu(const std::vector<MenuItem>& items) = 0;
  virtual void AddTrayIcon() = 0;
};

inline constexpr const char* kDefaultActivationHotkeyText = "Win\tSpace";
inline constexpr int kGridColumnWidths[2] = {1400, 800};

class Program {
 public:
  Program(SystemPort& system, SettingsStore& settings, MainWindowView& view, GridPort& grid,
          PadHost& pad, std::string programFolder);

  // Reads the active list file into the table, fills the grid and the hotkey-list menu and
  // registers every binding.
  void LoadPhase();
  // Settings, the activation row and hotkey, the "~" key, the mouse keys, the tray icon.
  void InitialisePhase();
  // Gives back every registration and the tray icon; shows a window the hide action hid.
  void ShutDown();

  // After an add, change or apply: saves the grid to the active list file, drops every
  // binding's registration, reads the file back and rebuilds the rows, registrations, menu and
  // count. Tells the user, in one message, which bindings another program holds. Returns the
  // slots that could not be registered.
  std::vector<int> ReregisterAllHotkeys();

  // The hotkey-list menu for the table as loaded; emptyCaption when there is no binding.
  std::vector<MenuItem> HotkeyMenuItems(const std::string& emptyCaption) const;

  ListFileContext ListContext();

  HotkeyCore core;
  std::string listPath;  // the active list file
  bool showHotKeyNameInMenu = false;
  std::string activationHotkeyText;

 private:
  void RegisterActivationHotkey();
  // Shows the table's bindings as grid rows 2 and up, registers them and marks the refused.
  std::vector<int> ShowAndRegisterBindings(bool insertAtRow2);
  void SetCountCaption(int n);

  SystemPort& system_;
  SettingsStore& settings_;
  MainWindowView& view_;
  GridPort& grid_;
  std::string programFolder_;
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

}  // namespace tarvek
