// The main window procedure's decisions: the second-instance message, the tray icon's
// callback, the parked window's mouse move, the end of the Windows session and every hotkey.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/actions.h"
#include "core/hotkey_table.h"
#include "core/ports.h"

namespace tarvek {

struct AbbreviationTable;

namespace wm {
inline constexpr unsigned kQueryEndSession = 0x0011;
inline constexpr unsigned kEndSession = 0x0016;
inline constexpr unsigned kNcMouseMove = 0x00A0;
inline constexpr unsigned kTimer = 0x0113;
inline constexpr unsigned kMouseMove = 0x0200;
inline constexpr unsigned kLButtonDown = 0x0201;
inline constexpr unsigned kLButtonUp = 0x0202;
inline constexpr unsigned kLButtonDblClk = 0x0203;
inline constexpr unsigned kRButtonUp = 0x0205;
inline constexpr unsigned kHotkey = 0x0312;
inline constexpr unsigned kTrayCallback = 2025;
// The main window's timer that holds back the hotkey-list menu after a click on the tray icon.
inline constexpr std::uintptr_t kTrayMenuTimerId = 1;
}  // namespace wm

// Program-wide flags that the windows and the dispatch share.
struct ProgramFlags {
  bool QuitRequested = false;
  bool MainWindowShown = false;  // shown by the activation hotkey and not hidden since
  bool MouseActivation = false;  // activation by the mouse at the screen edge
  bool ParkedAtEdge = false;
  bool PadContentSaved = true;
  bool MouseControllerOn = false;  // the main window's check box "启用鼠标控制器"
  // The import-list dialog chose a list; the main window's import command replaces its
  // bindings with it when the dialog has returned, and lowers the flag.
  bool ImportPending = false;
};

// The tray icon's pictures: normal, while the left button is held on it, while the bindings are
// disabled.
enum class TrayPicture { kNormal, kPressed, kDisabled };

// What the dispatch asks of the main window around it.
class MainView {
 public:
  virtual ~MainView() = default;
  virtual void ShowNormal() = 0;  // restore from minimised and show
  virtual void Show() = 0;
  virtual void SetTrayPicture(TrayPicture picture) = 0;
  virtual void PopupHotkeyMenu() = 0;
  virtual void PopupSystemMenu() = 0;
  // WM_TIMER with wm::kTrayMenuTimerId once the system's double-click time is over, and every
  // such time until stopped.
  virtual void StartTrayMenuTimer() = 0;
  virtual void StopTrayMenuTimer() = 0;
  // Puts the window's left edge at the right screen edge it parked against - window width - 20
  // twips.
  virtual void RevealFromEdge() = 0;
  virtual void ShowPad() = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void RestoreWindowProcedures() = 0;
  virtual void Unload() = 0;
};

// How a switched-on binding reaches us: registered with the system; watched by the key hook
// (it acts only in some programs, and registered it would never reach the others); watched by
// the mouse hook (RegisterHotKey knows no mouse triggers); or not at all, a middle button or
// wheel without the modifier it needs, which counts as refused.
enum class BindingRoad { kRegistered, kKeyHook, kMouseHook, kRefused };
BindingRoad RoadOf(const HotkeyEntry& entry);

class HotkeyCore {
 public:
  HotkeyCore(SystemPort& system, MainView& view, PadHost& pad, std::string programFolder);

  // Handles the message and returns its result, or nothing when the message goes on to the
  // window's previous procedure.
  std::optional<std::intptr_t> MainWindowProc(unsigned message, std::uintptr_t wParam,
                                              std::intptr_t lParam);

  // The binding in slot i runs: sound, then its target. A slot that holds no binding is
  // ignored.
  void RunSlot(int slot);

  // Registers every binding of the table under its id, but those switched off, and gives the
  // slots whose combination the system refused; unregisters them all and empties the slots'
  // modifier texts. A binding that acts only in some programs or on a mouse trigger is not
  // registered: a hook watches it (RoadOf), and the hooks' lists are handed over here too.
  std::vector<int> RegisterBindings();
  void ReleaseBindings();
  // The hooks' lists again from the table, or none (the bindings are disabled by the menu).
  void WatchHookedBindings();
  void StopWatching();

  HotkeyTable table;
  // The running list's abbreviations, watched by the key hook with its bindings; null for none.
  // Set before WatchHookedBindings (or RegisterBindings) hands them over.
  std::shared_ptr<const AbbreviationTable> abbreviations;
  ProgramFlags flags;
  SoundSetting sound;
  unsigned instanceMessage = 0;  // the registered "MYMESSAGE"; 0 until registered
  Rect ForegroundRect;
  ActionRunner actions;
  // While a binding chosen from the hotkey-list menu runs: the window the user worked in before
  // the menu opened (0: none of another program). A text is typed into it, not into this
  // program's window that the menu left in front.
  std::optional<WindowRef> menuWindow;

 private:
  void OnTrayMouse(unsigned mouseMessage);
  std::optional<std::intptr_t> OnHotkey(int id, std::intptr_t lParam);
  std::optional<std::intptr_t> OnQueryEndSession();
  std::optional<std::intptr_t> OnEndSession(bool ending);
  void ClickForegroundWindow();
  // A slot a hook posted: it runs only when it is of the hook's current list.
  struct HookedList;
  void OnHookFired(const HookedList& hooked, BindingRoad road, int slot, unsigned generation);

  SystemPort& system_;
  MainView& view_;
  // A left click on the tray icon whose menu waits for the double-click time to pass.
  bool trayMenuPending_ = false;
  // A double click on the icon, whose release is still to come.
  bool trayDoubleClicked_ = false;
  // A list a hook watches: its generation, and whether it has one at all.
  struct HookedList {
    unsigned generation = 0;
    bool watching = false;
  };
  HookedList keyHook_;
  HookedList mouseHook_;
};

}  // namespace tarvek
