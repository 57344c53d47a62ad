#include "shell/main_commands.h"

#include <algorithm>

#include "core/actions.h"
#include "core/validation.h"

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
  if (!program_.ActivationRegistered()) {
    // The icon would be the only way back to a hidden window.
    system_.ShowMessageBox("激活本程序所用的热键 " + grid_.Cell(1, 0) + " + " + grid_.Cell(1, 1) +
                               " 没有生效（已被系统或其他程序占用），隐藏图标后将无法再显示本程序。\n\n"
                               "请先在“软件设置”中另选一个激活热键。",
                           "隐藏", kMbIconError | kMbOk);
    return;
  }
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
  ToggleLockKeepingIcon();
  // The disabled picture is how a user who hid the icon learns that every binding is off, and
  // the icon's menu is how they turn them on again: the menus bring the icon back either way.
  ShowTrayIcon();
}

void MainCommands::ToggleLockKeepingIcon() {
  const HotkeyTable& table = program_.core.table;
  // The registrations follow the grid's rows by the slot each row keeps: a binding deleted
  // since the last reload stays free. The slots stay filled, so that the bindings can come
  // back as they were.
  // Only the icon's picture changes here: a script does not bring back an icon the user hid,
  // or never asked for (it shows the picture when it comes back).
  if (lockNowChecked_) {
    view_.SetTrayPicture(TrayPicture::kNormal);
    for (int row = kFirstBindingRow; row < grid_.Rows(); ++row) {
      int slot = grid_.RowSlot(row);
      bool held = false;
      if (slot >= 0 && slot <= kLastSlot && !table.slots[slot].ModifierText.empty() &&
          table.slots[slot].Options.Enabled) {
        const HotkeyEntry& e = table.slots[slot];
        const BindingRoad road = RoadOf(e);
        if (road == BindingRoad::kRegistered) {
          // An apply or add while disabled has registered it again: it is freed first, since
          // Windows refuses an id that is registered already and we would mark our own as taken.
          system_.UnregisterHotkey(BindingIdBase + slot);
          // Another program may have taken a combination while they were free; the mouse
          // controller keeps its keys while it is on.
          held = program_.ControllerTakes(e) ||
                 !system_.RegisterHotkey(BindingIdBase + slot, e.Modifiers, e.VirtualKey);
        }
        held = held || road == BindingRoad::kRefused;  // as the registration marked it
      }
      grid_.MarkRowHeld(row, held);
    }
    program_.core.WatchHookedBindings();  // the hooks watch the bindings registration can't
  } else {
    for (int row = kFirstBindingRow; row < grid_.Rows(); ++row) {
      int slot = grid_.RowSlot(row);
      if (slot >= 0) system_.UnregisterHotkey(BindingIdBase + slot);
    }
    program_.core.StopWatching();
    view_.SetTrayPicture(TrayPicture::kDisabled);
  }
  lockNowChecked_ = !lockNowChecked_;
  program_.bindingsPaused = lockNowChecked_;
  view_.SetMenuChecked(MenuItemId::kLockNow, lockNowChecked_);
}

void MainCommands::RunFromHotkeyMenu(int item, WindowRef inFrontBefore) {
  std::vector<MenuItem>& menu = program_.hotkeyMenu;
  if (item < 0 || item >= static_cast<int>(menu.size()) || menu[item].slot < 0) return;
  // The same road as the binding's hotkey, sound included; it runs also while the bindings
  // are disabled.
  program_.core.menuWindow = inFrontBefore;
  view_.SendHotkeyToSelf(BindingIdBase + menu[item].slot);
  program_.core.menuWindow.reset();
  // The binding may have shown a message box in which the list was reloaded: the menu is read
  // only now.
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
  // Row 1, the activation hotkey, has no slot.
  if (row < kFirstBindingRow || row >= grid_.Rows()) return std::nullopt;
  int slot = grid_.RowSlot(row);
  if (slot < 0 || slot > kLastSlot) return std::nullopt;
  const HotkeyEntry& entry = program_.core.table.slots[slot];
  if (entry.ModifierText.empty()) return std::nullopt;
  return entry.Target;
}

void MainCommands::Add() {
  program_.editor.handOver.EditorChangeMode = false;
  EnableSave();
  view_.OpenEditor();
  program_.editor.ResetAppliedCount();
}

void MainCommands::Change() {
  int row = grid_.CurrentRow();
  if (row == 1) {
    // The activation hotkey is changed in the settings dialog.
    system_.ShowMessageBox("不能修改此热键，请在软件设置里修改", "修改", kMbIconError | kMbOk);
    view_.Show();
    return;
  }
  if (row < kFirstBindingRow || row >= grid_.Rows()) return;
  program_.editor.FillFromRow(row);  // hands the row over in change mode
  view_.OpenEditor();
}

void MainCommands::Delete() {
  if (grid_.CurrentRow() == 1) {
    system_.ShowMessageBox("此热件用来调用本程序，不能删此热键。", "删除", kMbIconError | kMbOk);
    view_.Show();
    return;
  }
  int answer = system_.ShowMessageBox("确实要删除你选择的热键吗?", "删除热键",
                                      kMbIconInformation | kMbOkCancel);
  if (answer != kIdOk) return;
  view_.Show();
  // The activation row is never deleted, even when the selection reaches it.
  std::vector<int> rows = grid_.SelectedRows();
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  int removed = 0;
  for (int selected : rows) {
    int row = selected - removed;  // the rows below a removed one move up
    if (row < kFirstBindingRow || row >= grid_.Rows()) continue;
    int slot = grid_.RowSlot(row);
    program_.options.Remove(grid_.Cell(row, 0), grid_.Cell(row, 1));  // its options go with it
    grid_.RemoveRow(row);
    ++removed;
    // The table keeps its slots until the next reload, so the other bindings keep their ids.
    if (slot >= 0) system_.UnregisterHotkey(BindingIdBase + slot);
  }
  ShrinkHotkeyMenu();
  program_.SetCountCaption(grid_.Rows() - kFirstBindingRow);
  program_.SaveAfterDelete();
}

void MainCommands::ShrinkHotkeyMenu() {
  std::vector<MenuItem> items;
  const std::vector<MenuItem>& old = program_.hotkeyMenu;
  for (int row = kFirstBindingRow; row < grid_.Rows(); ++row) {
    int slot = grid_.RowSlot(row);
    auto kept = std::find_if(old.begin(), old.end(),
                             [slot](const MenuItem& item) { return slot >= 0 && item.slot == slot; });
    if (kept != old.end()) {
      items.push_back(*kept);
    } else {
      items.push_back({program_.HotkeyMenuCaption(grid_.Cell(row, 2), grid_.Cell(row, 0),
                                                  grid_.Cell(row, 1)),
                       !grid_.RowDisabled(row), false, slot});
    }
  }
  if (items.empty()) items.push_back({"没有设置热键", false, false, -1});
  program_.hotkeyMenu = items;
  view_.SetHotkeyMenu(items);
}

bool MainCommands::DropFile(const std::string& path) {
  // A drop always adds, whatever the last change left; into a full list it is refused at once,
  // leaving the editor's boxes as they were.
  if (!RoomForBindings(grid_, 1, system_)) return false;
  program_.editor.handOver.EditorChangeMode = false;
  program_.editor.SetTargetForDrop(path);
  view_.Show();
  view_.OpenEditor();
  return true;
}

void MainCommands::SaveList() { view_.OpenSaveList(); }

void MainCommands::ImportList() {
  view_.OpenImportList();
  FinishImport();
}

void MainCommands::EditAbbreviations() {
  std::optional<std::vector<Abbreviation>> edited =
      view_.OpenAbbreviations(program_.abbreviations.Entries());
  // Nothing is saved when the program is ending meanwhile, nor when nothing changed: a file
  // written by hand keeps its own layout until the table really changes.
  if (!edited || program_.core.flags.QuitRequested || *edited == program_.abbreviations.Entries()) {
    return;
  }
  program_.ReplaceAbbreviations(std::move(*edited));
}

void MainCommands::FinishImport() {
  ProgramFlags& flags = program_.core.flags;
  if (!flags.ImportPending) return;  // cancelled: nothing changes
  flags.ImportPending = false;
  if (flags.QuitRequested) return;
  view_.SetApplyButtonEnabled(true);
  program_.ReplaceList();
}

std::string SelectionText(const GridPort& grid) {
  std::string text;
  bool first = true;
  for (int row : grid.SelectedRows()) {
    if (!first) text += '\r';
    first = false;
    for (int column = 0; column < kGridColumns; ++column) {
      if (column > 0) text += '\t';
      text += grid.Cell(row, column);
    }
  }
  return text;
}

void MainCommands::GridLeftPress() {
  // One row reads "Ctrl + Alt+C<Tab>name<Tab>target": its keys joined as one.
  std::string text = SelectionText(grid_);
  std::size_t tab = text.find('\t');
  if (tab != std::string::npos) text[tab] = '+';  // one character for one
  view_.SetGridToolTip(text);
}

void MainCommands::RunTarget() {
  // Through the shell only: a built-in action's name opens nothing here. The shell asks for
  // consent itself when the program needs administrator rights, over the main window in front.
  // Nothing for a text to type: see Offered.
  std::optional<std::string> target = CurrentTarget();
  if (target && !target->empty() && *target != action_name::kTypeText) {
    ShellOpenInBackground(system_, *target, system_.ConsentOwner());
  }
}

std::string TargetFolder(const std::string& target) {
  std::size_t slash = target.rfind('\\');
  return slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
}

void MainCommands::FindTarget() {
  std::optional<std::string> target = CurrentTarget();
  if (!target) return;
  std::string folder = TargetFolder(*target);
  if (!folder.empty()) ShellOpenInBackground(system_, folder);
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
    view_.SetMenuEnabled(item, onBinding && Offered(item));
  }
  ShowToggleEnabledItem(onBinding);
}

bool MainCommands::Offered(MenuItemId item) const {
  // A text typed from here would go into this program's own window.
  return item != MenuItemId::kRun || grid_.Cell(grid_.CurrentRow(), 3) != action_name::kTypeText;
}

void MainCommands::ShowToggleEnabledItem(bool onBinding) {
  int row = grid_.CurrentRow();
  bool off = onBinding && !program_.options.Get(grid_.Cell(row, 0), grid_.Cell(row, 1)).Enabled;
  view_.SetMenuText(MenuItemId::kToggleEnabled, off ? "启用热键(&T)" : "停用热键(&T)");
  view_.SetMenuEnabled(MenuItemId::kToggleEnabled, onBinding);
}

void MainCommands::ToggleEnabled() {
  int row = grid_.CurrentRow();
  if (row < kFirstBindingRow || row >= grid_.Rows()) return;  // never the activation hotkey
  const std::string modifierText = grid_.Cell(row, 0), keyText = grid_.Cell(row, 1);
  LaunchOptions options = program_.options.Get(modifierText, keyText);
  options.Enabled = !options.Enabled;
  program_.options.Set(modifierText, keyText, options);
  // Saved now, whatever becomes of the list's save, which the registering again comes with.
  program_.options.Save(system_, system_);
  program_.ReregisterAllHotkeys();
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
    view_.SetMenuEnabled(item, onBinding && Offered(item));
  }
  ShowToggleEnabledItem(onBinding);
  view_.SetApplyButtonEnabled(saveEnabled_);
  view_.PopupEditMenu();
}

void MainCommands::SlideToScreenEdge() {
  if (sliding_) return;  // the close box, pressed again while the window slides
  sliding_ = true;
  ProgramFlags& flags = program_.core.flags;
  // Counted at the DPI of the screen it parks on, wherever it starts from.
  const EdgePlace place = view_.ParkingPlace();
  const int screen = place.screenRight;
  int left = place.windowLeft;
  while (screen - 100 > left) {
    view_.ProcessPendingMessages();
    if (flags.QuitRequested) {  // the program ended while the window was on its way
      sliding_ = false;
      return;
    }
    left += 100;
    view_.SetWindowLeft(left, place.dpi);
  }
  view_.SetWindowLeft(screen - 80, place.dpi);
  flags.ParkedAtEdge = true;
  sliding_ = false;
}

void MainCommands::FormMouseMove(int xTwips) {
  ProgramFlags& flags = program_.core.flags;
  // The pointer leaving across the left border parks the window, leaving a strip on screen.
  if (!flags.MouseActivation || flags.ParkedAtEdge || xTwips > 0) return;
  const EdgePlace place = view_.ParkingPlace();
  view_.SetWindowLeft(place.screenRight - 100, place.dpi);
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
