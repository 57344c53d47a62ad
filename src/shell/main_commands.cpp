#include "shell/main_commands.h"

namespace tarvek {

MainCommands::MainCommands(Program& program, SystemPort& system, MainWindowView& view,
                           GridPort& grid)
    : program_(program), system_(system), view_(view), grid_(grid) {
  // "保存修改 &Y" in the settings dialog enables the button only; the hidden item stays as an
  // add left it, and the next right press on the grid sets the button from it again.
  program_.liveSettings.onSaved = [this] { view_.SetApplyButtonEnabled(true); };
}

void MainCommands::Apply() { program_.ReregisterAllHotkeys(); }

void MainCommands::EnableSave() {
  saveEnabled_ = true;
  view_.SetApplyButtonEnabled(true);
}

void MainCommands::Hide() {
  if (program_.core.flags.MouseActivation) {
    SlideToScreenEdge();
    return;
  }
  view_.Hide();
  program_.core.flags.MainWindowShown = false;
}

void MainCommands::Minimised() {
  view_.Hide();
  program_.core.flags.MainWindowShown = false;
}

void MainCommands::ShowWindow() {
  if (!program_.core.flags.MainWindowShown) view_.Show();
}

void MainCommands::Exit() {
  ProgramFlags& flags = program_.core.flags;
  if (!flags.PadContentSaved) {
    int answer = system_.ShowMessageBox("即拖即存中的内容还没有保存，确信不保存就退出系统吗?",
                                        "Vorda-即拖即存", kMbIconInformation | kMbOkCancel);
    if (answer != kIdOk) {
      view_.ShowPad();
      return;
    }
  }
  int answer = system_.ShowMessageBox("退出后你定义的热键将不能使用，确实要退出本软件吗？",
                                      "退出？", kMbIconInformation | kMbOkCancel);
  view_.Show();
  if (answer == kIdOk) {
    flags.QuitRequested = true;
    view_.Unload();
  }
}

void MainCommands::HideTrayIcon() {
  view_.RemoveTrayIcon();
  hideIconChecked_ = true;
  view_.SetMenuChecked(MenuItemId::kHideIcon, true);
  // Without the icon the activation hotkey of row 1 is the way back.
  system_.ShowMessageBox("请使用" + grid_.Cell(1, 0) + " + " + grid_.Cell(1, 1) + "来击活本程序!",
                         "隐藏", kMbIconInformation | kMbOk);
}

void MainCommands::ShowTrayIcon() {
  view_.AddTrayIcon();
  hideIconChecked_ = false;
  view_.SetMenuChecked(MenuItemId::kHideIcon, false);
}

void MainCommands::ToggleLock() {
  HotkeyTable& table = program_.core.table;
  if (lockNowChecked_) {
    view_.SetTrayRecordPicture(TrayPicture::kNormal);
    view_.RemoveTrayIcon();
    view_.AddTrayIcon();
    // An apply or add while disabled has registered them again: each is freed first, since
    // Windows refuses an id that is registered already and we would mark our own as taken.
    for (int i = 0; i < kTableSlots && !table.slots[i].ModifierText.empty(); ++i) {
      system_.UnregisterHotkey(BindingIdBase + i);
    }
    std::vector<int> refused = program_.core.RegisterBindings();
    // Another program may have taken a combination while they were free.
    for (int row = kFirstBindingRow; row < grid_.Rows(); ++row) grid_.MarkRowHeld(row, false);
    for (int slot : refused) grid_.MarkRowHeld(kFirstBindingRow + slot, true);
  } else {
    // The slots stay filled: only the registrations go, so that they can come back as they were.
    for (int i = 0; i < kTableSlots && !table.slots[i].ModifierText.empty(); ++i) {
      system_.UnregisterHotkey(BindingIdBase + i);
    }
    view_.SetTrayRecordPicture(TrayPicture::kDisabled);
    view_.RemoveTrayIcon();
    view_.AddTrayIcon();
  }
  lockNowChecked_ = !lockNowChecked_;
  view_.SetMenuChecked(MenuItemId::kLockNow, lockNowChecked_);
}

void MainCommands::RunFromHotkeyMenu(int item) {
  // The same road as the binding's hotkey, sound included; it runs also while the bindings
  // are disabled.
  view_.SendHotkeyToSelf(BindingIdBase + item);
  // The binding may have shown a message box in which the list was reloaded: the menu is read
  // only now.
  std::vector<MenuItem>& menu = program_.hotkeyMenu;
  for (int i = 0; i < static_cast<int>(menu.size()); ++i) {
    if (i != item && menu[i].checked) {
      menu[i].checked = false;
      view_.SetHotkeyMenuChecked(i, false);
    }
  }
  if (item >= 0 && item < static_cast<int>(menu.size())) {
    menu[item].checked = true;
    view_.SetHotkeyMenuChecked(item, true);
  }
}

std::optional<std::string> MainCommands::CurrentTarget() const {
  int row = grid_.CurrentRow();
  int slot = row - kFirstBindingRow;  // row 1, the activation hotkey, has no slot
  if (row >= grid_.Rows() || slot < 0 || slot > kLastSlot) return std::nullopt;
  const HotkeyEntry& entry = program_.core.table.slots[slot];
  if (entry.ModifierText.empty()) return std::nullopt;
  return entry.Target;
}

void MainCommands::RunTarget() {
  // Through the shell only: a built-in action's name opens nothing here.
  std::optional<std::string> target = CurrentTarget();
  if (target && !target->empty()) system_.ShellOpen(*target);
}

std::string TargetFolder(const std::string& target) {
  std::size_t slash = target.rfind('\\');
  return slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
}

void MainCommands::FindTarget() {
  std::optional<std::string> target = CurrentTarget();
  if (!target) return;
  std::string folder = TargetFolder(*target);
  if (!folder.empty()) system_.ShellOpen(folder);
}

void MainCommands::ToggleShowPath() {
  grid_.SetColumnWidth(3, showPathChecked_ ? 1 : 5000);
  showPathChecked_ = !showPathChecked_;
  view_.SetMenuChecked(MenuItemId::kShowPath, showPathChecked_);
}

void MainCommands::Redraw() { grid_.Redraw(); }

void MainCommands::EditMenuOpening() {
  // Row 1 is the activation hotkey: it is neither deleted nor run from here.
  bool onBinding = grid_.CurrentRow() >= kFirstBindingRow && grid_.Rows() > kFirstBindingRow;
  for (MenuItemId item : {MenuItemId::kDelete, MenuItemId::kRun, MenuItemId::kFindTarget}) {
    view_.SetMenuEnabled(item, onBinding);
  }
}

void MainCommands::AdvancedMenuOpening() {
  // Without the icon setting no icon was added at start, so it can always be shown by hand.
  view_.SetMenuEnabled(MenuItemId::kShowIconOn, hideIconChecked_ || !program_.liveSettings.Checked(SettingsCheck::kShowIcon));
  view_.SetMenuEnabled(MenuItemId::kUseHotkey, lockNowChecked_);
}

void MainCommands::GridRightPress() {
  int row = grid_.CurrentRow();
  if (grid_.Cell(row, 0).empty() || grid_.Rows() <= kFirstBindingRow) return;
  bool onBinding = row >= kFirstBindingRow;
  for (MenuItemId item : {MenuItemId::kDelete, MenuItemId::kFindTarget, MenuItemId::kRun}) {
    view_.SetMenuEnabled(item, onBinding);
  }
  view_.SetApplyButtonEnabled(saveEnabled_);
  view_.PopupEditMenu();
}

void MainCommands::SlideToScreenEdge() {
  if (sliding_) return;  // the close box, pressed again while the window slides
  sliding_ = true;
  ProgramFlags& flags = program_.core.flags;
  int screen = view_.ScreenWidth();
  int left = view_.WindowLeft();
  while (screen - 100 > left) {
    view_.ProcessPendingMessages();
    if (flags.QuitRequested) {  // the program ended while the window was on its way
      sliding_ = false;
      return;
    }
    left += 100;
    view_.SetWindowLeft(left);
  }
  view_.SetWindowLeft(screen - 80);
  flags.ParkedAtEdge = true;
  sliding_ = false;
}

void MainCommands::FormMouseMove(int xTwips) {
  ProgramFlags& flags = program_.core.flags;
  // The pointer leaving across the left border parks the window, leaving a strip on screen.
  if (!flags.MouseActivation || flags.ParkedAtEdge || xTwips > 0) return;
  view_.SetWindowLeft(view_.ScreenWidth() - 100);
  flags.ParkedAtEdge = true;
}

namespace {

SettingsCheck MirroredBox(MenuItemId item) {
  if (item == MenuItemId::kOpenStart) return SettingsCheck::kStartWithWindows;
  if (item == MenuItemId::kShowInfo) return SettingsCheck::kShowInfo;
  return SettingsCheck::kPlaySound;
}

}  // namespace

void MainCommands::SettingsMenuOpening() {
  const SettingsDialogModel& live = program_.liveSettings;
  openStartChecked_ = live.Checked(SettingsCheck::kStartWithWindows);
  showInfoChecked_ = live.Checked(SettingsCheck::kShowInfo);
  openSoundChecked_ = live.Checked(SettingsCheck::kPlaySound);
  view_.SetMenuChecked(MenuItemId::kOpenStart, openStartChecked_);
  view_.SetMenuChecked(MenuItemId::kShowInfo, showInfoChecked_);
  view_.SetMenuChecked(MenuItemId::kOpenSound, openSoundChecked_);
}

void MainCommands::ToggleSettingsMirror(MenuItemId item) {
  bool* checked = item == MenuItemId::kOpenStart  ? &openStartChecked_
                  : item == MenuItemId::kShowInfo ? &showInfoChecked_
                                                  : &openSoundChecked_;
  *checked = !*checked;
  view_.SetMenuChecked(item, *checked);
  program_.liveSettings.SetChecked(MirroredBox(item), *checked);
}

}  // namespace tarvek
