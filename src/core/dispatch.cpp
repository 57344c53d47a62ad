#include "core/dispatch.h"

#include <memory>
#include <utility>

#include "core/input/key_names.h"
#include "core/input/key_watch.h"
#include "core/input/typed_text.h"
#include "mouse/mouse_controller.h"

namespace tarvek {

HotkeyCore::HotkeyCore(SystemPort& system, MainView& view, PadHost& pad, std::string programFolder)
    : actions(system, pad, programFolder), system_(system), view_(view) {
  sound.programFolder = std::move(programFolder);
}

std::optional<std::intptr_t> HotkeyCore::MainWindowProc(unsigned message, std::uintptr_t wParam,
                                                        std::intptr_t lParam) {
  if (instanceMessage != 0 && message == instanceMessage) {
    // A second copy of the program is starting and hands over to this one.
    view_.ShowNormal();
    return 0;
  }
  if (message == wm::kTrayCallback) {
    OnTrayMouse(static_cast<unsigned>(lParam));
    return std::nullopt;
  }
  if (message == wm::kTimer && wParam == wm::kTrayMenuTimerId) {
    view_.StopTrayMenuTimer();
    if (trayMenuPending_) {
      trayMenuPending_ = false;
      view_.PopupHotkeyMenu();
    }
    return 0;
  }
  // The parked window comes back wherever the pointer touches its strip, border included.
  if ((message == wm::kMouseMove || message == wm::kNcMouseMove) && flags.MouseActivation &&
      flags.ParkedAtEdge) {
    view_.RevealFromEdge();
    flags.ParkedAtEdge = false;
    return std::nullopt;
  }
  if (message == wm::kQueryEndSession) return OnQueryEndSession();
  if (message == wm::kEndSession) return OnEndSession(wParam != 0);
  if (message == wm::kHotkey) return OnHotkey(static_cast<int>(wParam), lParam);
  if (message == kKeyFiredMessage) {
    OnHookFired(keyHook_, BindingRoad::kKeyHook, static_cast<int>(wParam),
                static_cast<unsigned>(lParam));
    return 0;
  }
  if (message == kMouseFiredMessage) {
    OnHookFired(mouseHook_, BindingRoad::kMouseHook, static_cast<int>(wParam),
                static_cast<unsigned>(lParam));
    return 0;
  }
  return std::nullopt;
}

void HotkeyCore::OnTrayMouse(unsigned mouseMessage) {
  switch (mouseMessage) {
    case wm::kLButtonDown:
      view_.SetTrayPicture(TrayPicture::kPressed);
      break;
    case wm::kLButtonUp:
      view_.SetTrayPicture(TrayPicture::kNormal);
      if (trayDoubleClicked_) {  // the end of a double click, which has shown the window
        trayDoubleClicked_ = false;
        break;
      }
      // The menu waits until a second click can no longer come: opened at once, it would take
      // that click, and a double click would never reach us.
      trayMenuPending_ = true;
      view_.StartTrayMenuTimer();
      break;
    case wm::kLButtonDblClk:
      if (trayMenuPending_) {
        trayMenuPending_ = false;
        view_.StopTrayMenuTimer();
      }
      trayDoubleClicked_ = true;
      view_.Show();
      break;
    case wm::kRButtonUp:
      // The file menu instead: the hotkey-list menu must not follow it.
      if (trayMenuPending_) {
        trayMenuPending_ = false;
        view_.StopTrayMenuTimer();
      }
      view_.PopupSystemMenu();
      break;
    default:
      break;
  }
}

std::optional<std::intptr_t> HotkeyCore::OnQueryEndSession() {
  if (!flags.PadContentSaved) {
    int answer = system_.ShowMessageBox("即拖即存中的内容还没有保存，确信不保存就退出系统吗?",
                                    "即拖即存", kMbIconInformation | kMbOkCancel);
    if (answer != kIdOk) {
      view_.ShowPad();
      return 0;  // refuses the log-off or shut-down; everything keeps working
    }
  }
  // Another program or the user may still cancel the end of the session: nothing is given
  // back before Windows says that it really ends.
  return std::nullopt;
}

std::optional<std::intptr_t> HotkeyCore::OnEndSession(bool ending) {
  if (!ending) return 0;  // cancelled: the program goes on as if nothing had happened
  system_.UnregisterHotkey(ActivationHotkeyId);
  ReleaseBindings();
  actions.ShowHiddenWindowAgain();
  view_.RemoveTrayIcon();
  view_.RestoreWindowProcedures();
  flags.QuitRequested = true;
  view_.Unload();
  return 0;
}

std::optional<std::intptr_t> HotkeyCore::OnHotkey(int id, std::intptr_t lParam) {
  if (id == ForegroundClickHotkeyId) {
    ClickForegroundWindow();
    return 0;
  }
  if (DispatchMouseHotkey(id, lParam, flags.MouseControllerOn, system_, sound)) return 0;
  if (id == ActivationHotkeyId) {
    if (!flags.MouseActivation && !flags.MainWindowShown) {
      view_.Show();
      flags.MainWindowShown = true;
      PlaySoundFile(sound.HotkeyWave(), sound, system_);
    }
    return 0;
  }
  if (id >= BindingIdBase && id <= BindingIdBase + kLastSlot) RunSlot(id - BindingIdBase);
  return 0;
}

void HotkeyCore::RunSlot(int slot) {
  if (slot < 0 || slot > kLastSlot) return;
  const HotkeyEntry& entry = table.slots[slot];
  if (entry.ModifierText.empty()) return;  // no binding (left over or beyond the list)
  PlaySoundFile(sound.HotkeyWave(), sound, system_);
  // The target is copied: the action may run a nested message loop that reloads the table.
  std::string target = entry.Target;
  LaunchOptions options = entry.Options;
  if (target == action_name::kTypeText) {
    // Typed on a thread of its own, once the hotkey's keys are let go: a long text never holds
    // this window or the other hotkeys.
    TypingJob job{options.Text, HotkeyKeys(entry.Modifiers, entry.VirtualKey), slot};
    if (menuWindow) {
      job.fromMenu = true;
      job.window = *menuWindow;
    }
    system_.TypeTextInFront(job);
    return;
  }
  actions.RunTarget(target, options);
}

void HotkeyCore::OnHookFired(const HookedList& hooked, BindingRoad road, int slot,
                             unsigned generation) {
  // The hook may have posted it just before the list changed or was put away: a slot of an
  // older list may hold another binding now.
  if (!hooked.watching || generation != hooked.generation) return;
  if (slot < 0 || slot > kLastSlot || RoadOf(table.slots[slot]) != road) return;
  RunSlot(slot);
}

void HotkeyCore::ClickForegroundWindow() {
  ForegroundRect = system_.WindowRect(system_.ForegroundWindow());
  const Rect& r = ForegroundRect;
  system_.SetCursorPos(r.left + 20, r.top + 30);
  system_.MouseEvent(kMouseLeftDown, 0, 0);
  system_.MouseEvent(kMouseLeftUp, 0, 0);
  system_.SetCursorPos(r.left + 20, r.top + 50);
  system_.MouseEvent(kMouseLeftDown, 0, 0);
  system_.MouseEvent(kMouseLeftUp, 0, 0);
  system_.SetCursorPos(r.left + 100, r.top + 170);
}

BindingRoad RoadOf(const HotkeyEntry& entry) {
  if (IsMouseCode(entry.VirtualKey)) {
    const bool lacksModifier = MouseCodeNeedsModifier(entry.VirtualKey) && entry.Modifiers == 0;
    return lacksModifier ? BindingRoad::kRefused : BindingRoad::kMouseHook;
  }
  return entry.Options.HasCondition() ? BindingRoad::kKeyHook : BindingRoad::kRegistered;
}

std::vector<int> HotkeyCore::RegisterBindings() {
  std::vector<int> refused;
  for (int i = 0; i < kTableSlots && !table.slots[i].ModifierText.empty(); ++i) {
    const HotkeyEntry& e = table.slots[i];
    if (!e.Options.Enabled) continue;  // switched off: the combination stays free for others
    switch (RoadOf(e)) {
      case BindingRoad::kRegistered:
        if (!system_.RegisterHotkey(BindingIdBase + i, e.Modifiers, e.VirtualKey)) {
          refused.push_back(i);
        }
        break;
      case BindingRoad::kRefused:
        refused.push_back(i);
        break;
      case BindingRoad::kKeyHook:
      case BindingRoad::kMouseHook:
        break;
    }
  }
  WatchHookedBindings();
  return refused;
}

void HotkeyCore::ReleaseBindings() {
  for (int i = 0; i < kTableSlots && !table.slots[i].ModifierText.empty(); ++i) {
    system_.UnregisterHotkey(BindingIdBase + i);
    table.slots[i].ModifierText.clear();
  }
  StopWatching();
}

void HotkeyCore::WatchHookedBindings() {
  // Not make_shared: built without type information, it calls into a part of the C++ library
  // that brings locks and a threading runtime into the program file (about 30 KB).
  std::shared_ptr<WatchedBindings> keys(new WatchedBindings());
  std::shared_ptr<WatchedBindings> mouse(new WatchedBindings());
  keys->generation = ++keyHook_.generation;
  mouse->generation = ++mouseHook_.generation;
  for (int i = 0; i < kTableSlots && !table.slots[i].ModifierText.empty(); ++i) {
    const HotkeyEntry& e = table.slots[i];
    if (!e.Options.Enabled) continue;
    const BindingRoad road = RoadOf(e);
    if (road == BindingRoad::kKeyHook || road == BindingRoad::kMouseHook) {
      (road == BindingRoad::kKeyHook ? keys : mouse)
          ->bindings.push_back({i, e.Modifiers, e.VirtualKey, e.Options});
    }
  }
  keys->abbreviations = abbreviations;
  // A hook is mentioned only when it has a list, or had one: without a binding or an
  // abbreviation that needs it there is no hook at all, as there never was one.
  if (!keys->Empty()) {
    keyHook_.watching = true;
    system_.WatchKeys(std::move(keys));
  } else if (std::exchange(keyHook_.watching, false)) {
    system_.WatchKeys(nullptr);
  }
  if (!mouse->bindings.empty()) {
    mouseHook_.watching = true;
    system_.WatchMouse(std::move(mouse));
  } else if (std::exchange(mouseHook_.watching, false)) {
    system_.WatchMouse(nullptr);
  }
}

void HotkeyCore::StopWatching() {
  if (std::exchange(keyHook_.watching, false)) system_.WatchKeys(nullptr);
  if (std::exchange(mouseHook_.watching, false)) system_.WatchMouse(nullptr);
}

}  // namespace tarvek
