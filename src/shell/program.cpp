#include "shell/program.h"

#include <algorithm>

#include "core/input/abbreviation_matcher.h"
#include "core/input/program_condition.h"
#include "core/validation.h"
#include "settings/list_path.h"

namespace tarvek {

Program::Program(SystemPort& system, SettingsStore& settings, MainWindowView& view, GridPort& grid,
                 PadHost& pad, std::string programFolder, std::string programPath)
    : core(system, view, pad, programFolder),
      liveSettings(settings,
                   programPath.empty() ? programFolder + "\\TarvekHotKey.exe" : programPath),
      editor(grid, system, [this] { ReregisterAllHotkeys(); }),
      mouseController(system),
      saveList(grid, system, programFolder),
      importList(system, settings, liveSettings, core.flags, programFolder),
      system_(system),
      settings_(settings),
      view_(view),
      grid_(grid),
      programFolder_(std::move(programFolder)) {
  // The sound box takes effect at the next sound.
  liveSettings.onCheckChanged = [this](SettingsCheck box, bool ticked) {
    if (box == SettingsCheck::kPlaySound) core.sound.on = ticked;
    // The "~" key is taken or given back at once.
    if (box == SettingsCheck::kClickKey) {
      if (ticked) {
        system_.RegisterHotkey(ForegroundClickHotkeyId, 0, 192);
      } else {
        system_.UnregisterHotkey(ForegroundClickHotkeyId);
      }
    }
  };
  // The editor's options follow the binding they were set for, to whatever combination it has.
  editor.optionsOf = [this](const std::string& modifierText, const std::string& keyText) {
    return options.Get(modifierText, keyText);
  };
  editor.onOptionsApplied = [this](const std::vector<EditorOptionsChange>& changes) {
    for (const EditorOptionsChange& c : changes) {
      if (c.replaces) options.Move(c.fromModifier, c.fromKey, c.modifier, c.key);
      options.Set(c.modifier, c.key, c.options);
      // The rows show them at once: a window closed by its title bar reloads nothing.
      for (int row = kFirstBindingRow; row < grid_.Rows(); ++row) {
        if (grid_.Cell(row, 0) == c.modifier && grid_.Cell(row, 1) == c.key) {
          ShowRowOptions(row, c.options);
        }
      }
    }
  };
  saveList.options = &options;
  saveList.abbreviations = &abbreviations;
  saveList.saveIfActive = [this](const std::string& path) {
    if (!SamePath(TrimBlanks(path), TrimBlanks(ListPath()))) return ActiveListSave::kNotActive;
    return SaveAfterDelete() ? ActiveListSave::kSaved : ActiveListSave::kNotSaved;
  };
}

ListFileContext Program::ListContext() {
  return ListFileContext{grid_, core.table, system_, system_, startMessages_, &activeListForm_};
}

int StartMessages::ShowMessageBox(const std::string& text, const std::string& title,
                                  unsigned flags) {
  // A question cannot wait for its answer.
  if (!holding_ || (flags & 0xF) != kMbOk) return dialogs_.ShowMessageBox(text, title, flags);
  held_.push_back({text, title, flags});
  return kIdOk;
}

void StartMessages::Release() {
  holding_ = false;
  std::vector<Held> held = std::move(held_);
  held_.clear();
  for (const Held& m : held) dialogs_.ShowMessageBox(m.text, m.title, m.flags);
}

bool Program::StartUp(bool anotherCopyRunning) {
  if (anotherCopyRunning) return InitialisePhase(true);
  // What the environment keys hold now, so that a variable deleted later is known as one.
  core.actions.RememberEnvironment();
  startMessages_.Hold();
  LoadPhase();
  return InitialisePhase(false);
}

std::vector<MenuItem> Program::HotkeyMenuItems(const std::string& emptyCaption) const {
  std::vector<MenuItem> items;
  for (int i = 0; i < kTableSlots && !core.table.slots[i].ModifierText.empty(); ++i) {
    const HotkeyEntry& e = core.table.slots[i];
    // A binding switched off is shown, greyed.
    items.push_back({HotkeyMenuCaption(e.Name, e.ModifierText, e.KeyText), e.Options.Enabled, false, i});
  }
  if (items.empty() || items[0].caption.empty()) {
    if (items.empty()) items.push_back({});
    items[0] = {emptyCaption, false};
  }
  return items;
}

std::string Program::HotkeyMenuCaption(const std::string& name, const std::string& modifierText,
                                       const std::string& keyText) const {
  if (!liveSettings.Checked(SettingsCheck::kShowHotKeyNameInMenu)) return name;
  return name + "   " + modifierText + "+" + keyText;
}

void Program::LoadPhase() {
  liveSettings.SetChecked(SettingsCheck::kShowHotKeyNameInMenu,
                           FlagIsOn(settings_.Get(setting::kShowHotKeyNameInMenu)));
  for (int column = 0; column < 2; ++column) grid_.SetColumnWidth(column, kGridColumnWidths[column]);
  if (TrimBlanks(ListPath()).empty()) {
    liveSettings.SetListPath(ResolveStartList(settings_, programFolder_).path);
  }
  activeList.Load(ListPath(), ListContext());
  options.Load(ListPath(), system_, startMessages_);
  abbreviations.Load(ListPath(), system_, startMessages_);
  core.abbreviations = MakeAbbreviationTable(abbreviations.Shared());
  ShowAndRegisterBindings(false);
  ShowHotkeyMenu("没有设置热键程序");
  SetCountCaption(core.table.Used());
  grid_.SetColumnWidth(2, grid_.Rows() < 17 ? 4060 : 3820);
}

std::vector<int> Program::ShowAndRegisterBindings(bool insertAtRow2) {
  options.Fill(core.table);
  int n = 0;
  for (; n < kTableSlots && !core.table.slots[n].ModifierText.empty(); ++n) {
    int row = insertAtRow2 ? std::min(kFirstBindingRow + n, grid_.Rows()) : grid_.Rows();
    const HotkeyEntry& e = core.table.slots[n];
    grid_.AddRowCells({e.ModifierText, e.KeyText, e.Name, e.Target}, row);
    grid_.SetRowSlot(row, n);
    ShowRowOptions(row, e.Options);
  }
  const std::vector<int> refusedBySystem = core.RegisterBindings();
  std::vector<int> refused;
  for (int slot = 0; slot < n; ++slot) {
    const HotkeyEntry& e = core.table.slots[slot];
    // The controller's keys win while it is on; its own registration may have let the
    // binding's through (not every system refuses a combination its window holds already).
    const bool controller = ControllerTakes(e);
    if (controller) system_.UnregisterHotkey(BindingIdBase + slot);
    // A mouse trigger is never registered: among the refused it is only a middle button or
    // wheel without the modifier it needs.
    if (controller ||
        std::find(refusedBySystem.begin(), refusedBySystem.end(), slot) != refusedBySystem.end()) {
      refused.push_back(slot);
    }
  }
  int firstRow = grid_.Rows() - n;  // the bindings are the last n rows
  for (int slot : refused) grid_.MarkRowHeld(firstRow + slot, true);
  return refused;
}

void Program::ShowRowOptions(int row, const LaunchOptions& rowOptions) {
  grid_.MarkRowDisabled(row, !rowOptions.Enabled);
  grid_.SetRowNote(row, ConditionTip(rowOptions));
}

void Program::ShowHotkeyMenu(const std::string& emptyCaption) {
  std::vector<MenuItem> items = HotkeyMenuItems(emptyCaption);
  // The items get new captions; the check mark of the binding run last stays where it was.
  for (std::size_t i = 0; i < items.size() && i < hotkeyMenu.size(); ++i) {
    items[i].checked = hotkeyMenu[i].checked;
  }
  hotkeyMenu = std::move(items);
  view_.SetHotkeyMenu(hotkeyMenu);
}

void Program::SetCountCaption(int n) {
  view_.SetFrameCaption("热键信息(共有" + std::to_string(n) + "个热键)");
}

std::vector<int> Program::ReregisterAllHotkeys() {
  // The list first, on its own; its options only beside a list that was saved.
  bool saved = activeList.Save(ListPath(), ListContext()).saved;
  if (saved) options.Save(system_, system_);
  return ReloadBindings(saved);
}

bool Program::SaveAfterDelete() {
  ListSaveOutcome outcome = activeList.Save(ListPath(), ListContext());
  if (outcome.saved) options.Save(system_, system_);
  if (outcome.merged) ReloadBindings(outcome.saved);
  return outcome.saved;
}

std::vector<int> Program::ReloadBindings(bool fromFile) {
  std::string bytes = SerializeList(GridBindings(grid_), system_);
  core.ReleaseBindings();
  while (grid_.Rows() > kFirstBindingRow) grid_.RemoveRow(grid_.Rows() - 1);
  // When the file could not be written (it keeps its old bindings), or not read back (another
  // program holds it), the list the user sees stays the one registered: an empty table here
  // would empty the grid, and the next save would write that over the file. A file just
  // written holds what the grid shows, so a failed reading of it is nothing to tell.
  if (!fromFile || !ReadListFile(ListPath(), ListContext(), /*tellNotLoaded=*/false).Loaded()) {
    ParseList(bytes, system_, core.table);
  }
  std::vector<int> refused = ShowAndRegisterBindings(true);
  ShowHotkeyMenu("没有设置热键");
  SetCountCaption(core.table.Used());
  grid_.SetColumnWidth(2, grid_.Rows() > 16 ? 3820 : 4060);
  if (!refused.empty()) {
    system_.ShowMessageBox(HeldBindingsText(refused), "热键冲突", kMbIconExclamation);
  }
  return refused;
}

std::string Program::HeldBindingsText(const std::vector<int>& refused) const {
  // Each by its name and its keys, as the grid shows them ("Win + L", or "音量+" alone).
  std::string others, controller, bare;
  for (int slot : refused) {
    const HotkeyEntry& e = core.table.slots[slot];
    std::string keys =
        e.ModifierText == kNoModifier ? e.KeyText : e.ModifierText + " + " + e.KeyText;
    std::string& part = ControllerTakes(e)                      ? controller
                        : RoadOf(e) == BindingRoad::kRefused ? bare
                                                             : others;
    part += "\n" + e.Name + "（" + keys + "）";
  }
  std::string text;
  if (!others.empty()) {
    text = "下列热键已被其他程序占用，按下时不起作用：\n" + others +
           "\n\n它们仍保存在热键列表中。关闭占用它们的程序后，再点“应用”即可使用。";
  }
  if (!controller.empty()) {
    if (!text.empty()) text += "\n\n";
    text += "下列热键是鼠标控制器的按键，鼠标控制器开启时不起作用：\n" + controller +
            "\n\n关闭鼠标控制器后即可使用。";
  }
  if (!bare.empty()) {
    if (!text.empty()) text += "\n\n";
    text += "下列热键没有辅助键，不起作用：\n" + bare +
            "\n\n鼠标中键和滚轮至少需要一个辅助键，单独的点击和转动要留给鼠标下的程序。";
  }
  return text;
}

bool Program::ReplaceAbbreviations(std::vector<Abbreviation> entries) {
  if (!abbreviations.Writable()) {
    const std::string& path = abbreviations.Path();
    system_.ShowMessageBox(
        path.empty() ? std::string("没有载入热键列表，缩写表无法保存。这次的修改没有保存，缩写替换照旧。")
                     : "载入热键列表时无法读取缩写文件：\n" + path +
                           "\n\n为免覆盖其中的缩写，这次的修改没有保存，缩写替换仍按原来的缩写进行。"
                           "请在这个文件可以读取后重新启动程序或导入列表，再修改缩写。",
        "缩写替换", kMbIconExclamation | kMbOk);
    return false;
  }
  // A failed write is told by Replace; the table in memory is the new one all the same, and so
  // is what the hook watches.
  abbreviations.Replace(std::move(entries), system_, system_, system_);
  core.abbreviations = MakeAbbreviationTable(abbreviations.Shared());
  if (!bindingsPaused) core.WatchHookedBindings();
  return true;
}

void Program::ReplaceList() {
  // The old list's hotkeys, table, rows and menu items, in that order.
  core.ReleaseBindings();
  while (grid_.Rows() > kFirstBindingRow) grid_.RemoveRow(kFirstBindingRow);
  if (hotkeyMenu.size() > 1) hotkeyMenu.resize(1);  // item 0 stays, as a menu's first item must
  // The load phase reads the active list path, which now names the imported list. The window
  // procedure stays in place meanwhile: nothing is dispatched until this returns.
  LoadPhase();
  grid_.Redraw();
}

bool Program::InitialisePhase(bool anotherCopyRunning) {
  view_.InstallButtonBehaviour();
  core.flags.PadContentSaved = true;
  view_.SetMenuImages();
  grid_.SetColumnWidth(3, 0);
  if (IsDriveRoot(programFolder_)) {
    system_.ShowMessageBox("本程序不能在根目录下运行，建议将本程序复制到其他目录。", "运行错误",
                           kMbIconInformation | kMbOk);
    core.flags.QuitRequested = true;
    return false;
  }
  activationHotkeyText = settings_.Get(setting::kHotKeyName);
  if (anotherCopyRunning) {
    view_.HandOverToFirstCopy(core.instanceMessage);
    core.flags.QuitRequested = true;
    return false;
  }
  view_.ClaimInstanceTitle();

  // Every control that holds a setting is set as a click would set it, so that its own handling
  // runs (it stores the value again, registers the mouse keys, sets the activation mode). A
  // check box that already shows the stored value is left alone; an option is selected, and so
  // clicked, whatever it showed, which stores the mode also on a first start.
  ActivationOptionClick(FlagIsOn(settings_.Get(setting::kActivateStatus)) ? 1 : 0);
  liveSettings.SetChecked(SettingsCheck::kPlaySound, FlagIsOn(settings_.Get(setting::kPlaySound)));
  bool controller = FlagIsOn(settings_.Get(setting::kMouseCtrl));
  if (controller != core.flags.MouseControllerOn) MouseControllerBoxClick(controller);
  // The list beside the program is this folder's SaveKey.htk, also when the folder was moved
  // or copied since FileSave was written; a list the user chose stays where it is.
  StartList startList = ResolveStartList(settings_, programFolder_);
  liveSettings.SetListPath(startList.path);
  std::string showIcon = settings_.Get(setting::kShowIcon);
  liveSettings.SetChecked(SettingsCheck::kShowIcon, showIcon.empty() || FlagIsOn(showIcon));
  StoreStartList(settings_, startList);
  // Only the copy that goes on running tries its folder, and only after its bindings are taken.
  activeList.WarnIfFolderRefusesFiles(ListPath(), programFolder_, ListContext());
  std::string showInfo = settings_.Get(setting::kShowInfo);
  liveSettings.SetChecked(SettingsCheck::kShowInfo, showInfo.empty() || FlagIsOn(showInfo));
  for (int column = 0; column < 2; ++column) grid_.SetColumnWidth(column, kGridColumnWidths[column]);

  if (activationHotkeyText.empty()) activationHotkeyText = kDefaultActivationHotkeyText;
  // Win + Space first, whatever is stored; the stored combination takes its place below.
  bool activationRegistered = system_.RegisterHotkey(ActivationHotkeyId, kModWin, 32);
  ActivationCombo shown = ParseActivationHotkeyText(activationHotkeyText);
  grid_.AddRowCells({shown.modifierText, shown.keyName, "显示本软件", "无"}, 1);
  liveSettings.SetChecked(SettingsCheck::kClickKey, settings_.Get(setting::kClickKey) != "0");
  if (liveSettings.Checked(SettingsCheck::kClickKey)) {
    system_.RegisterHotkey(ForegroundClickHotkeyId, 0, 192);
  }
  // A start with the controller on adds the letter keys, under ids of their own.
  if (core.flags.MouseControllerOn) mouseController.RegisterLetterKeys();
  view_.AcceptDroppedFiles();
  if (!TrimBlanks(activationHotkeyText).empty()) {  // a stored blank keeps Win + Space
    ActivationCombo combo = ParseActivationHotkeyText(activationHotkeyText);
    system_.UnregisterHotkey(ActivationHotkeyId);
    activationRegistered =
        system_.RegisterHotkey(ActivationHotkeyId, combo.modifiers, combo.virtualKey);
  }
  // In hotkey activation mode the program starts in the background, unless the key that would
  // bring it back is held by the system (Windows keeps Win + Space for the input methods) or
  // by another program: a hidden window could then never be found again.
  hiddenAtStart = activationOption == 0 && activationRegistered;
  if (hiddenAtStart) view_.Hide();
  grid_.MarkRowHeld(1, !activationRegistered);
  liveSettings.ShowActivationHotkey(activationHotkeyText);
  if (activationRegistered) {
    ActivationCombo combo = ParseActivationHotkeyText(
        TrimBlanks(activationHotkeyText).empty() ? kDefaultActivationHotkeyText : activationHotkeyText);
    liveSettings.SetRegisteredActivation(KeyCombination{combo.modifiers, combo.virtualKey});
  }

  // Only this copy runs from here on, so nobody else is saving: what a save cut short by the
  // end of an earlier run left beside the lists goes.
  system_.RemoveLeftoverTemporaries(ListPath());
  system_.RemoveLeftoverTemporaries(programFolder_ + "\\*.htk");

  // The icon first: a message shown at start must not keep the way back from the user. Without
  // an activation hotkey the window itself is that way, and the message speaks of it.
  if (liveSettings.Checked(SettingsCheck::kShowIcon)) view_.AddTrayIcon();
  if (!activationRegistered) view_.Show();
  startMessages_.Release();
  if (liveSettings.Checked(SettingsCheck::kShowInfo)) {
    if (activationRegistered) {
      system_.ShowMessageBox(StartHintText(activationHotkeyText), "Vorda2009",
                             kMbIconExclamation | kMbOk);
    } else {
      system_.ShowMessageBox(ActivationTakenText(activationHotkeyText), "Vorda2009",
                             kMbIconExclamation | kMbOk);
    }
  }
  return true;
}

bool IsDriveRoot(const std::string& folder) {
  bool drive = folder.size() >= 2 && folder[1] == ':';
  return drive && (folder.size() == 2 || (folder.size() == 3 && (folder[2] == '\\' || folder[2] == '/')));
}

namespace {

ActivationCombo StartedCombo(const std::string& activationHotkeyText) {
  return ParseActivationHotkeyText(TrimBlanks(activationHotkeyText).empty() ? kDefaultActivationHotkeyText
                                                                             : activationHotkeyText);
}

}  // namespace

std::string StartHintText(const std::string& activationHotkeyText) {
  ActivationCombo combo = StartedCombo(activationHotkeyText);
  return "程序已经运行,请按" + combo.modifierText + " + " + combo.keyName + "键显示程序";
}

std::string ActivationTakenText(const std::string& activationHotkeyText) {
  ActivationCombo combo = StartedCombo(activationHotkeyText);
  std::string keys = combo.modifierText + " + " + combo.keyName;
  std::string text = "激活本程序所用的热键 " + keys + " 已被系统或其他程序占用，按下它不能显示本程序";
  if (combo.modifiers == kModWin && combo.virtualKey == 32) text += "（Windows 用 Win + Space 切换输入法）";
  return text + "。\n\n请在“软件设置”中另选一个激活热键：菜单 软件设置 → 其他设置...";
}

void Program::ActivationOptionClick(int index) {
  activationOption = index != 0 ? 1 : 0;
  view_.SetActivationOption(activationOption);
  settings_.Set(setting::kActivateStatus, index != 0 ? "1" : "0");
  core.flags.MouseActivation = index != 0;
}

void Program::MouseControllerBoxClick(bool ticked) {
  core.flags.MouseControllerOn = ticked;
  view_.SetMouseControllerBox(ticked);
  if (ticked) {
    SettleControllerKeys(true);  // freed first, so that the controller can take them
    mouseController.RegisterKeypadKeys();
    settings_.Set(setting::kMouseCtrl, "1");
    return;
  }
  mouseController.UnregisterAll();
  SettleControllerKeys(false);
  settings_.Set(setting::kMouseCtrl, "0");
}

bool Program::ControllerTakes(const HotkeyEntry& e) const {
  return core.flags.MouseControllerOn && GivesWayToController(e);
}

bool Program::GivesWayToController(const HotkeyEntry& e) {
  // Only what is registered gives way: a binding switched off or one the key hook watches holds
  // nothing.
  return !e.ModifierText.empty() && e.Options.Enabled && !e.Options.HasCondition() &&
         ControllerHoldsKey(e.Modifiers, e.VirtualKey);
}

void Program::SettleControllerKeys(bool controllerOn) {
  // The rows follow the bindings by the slot each keeps; a row added since the last reload
  // has none and registers nothing yet.
  for (int row = kFirstBindingRow; row < grid_.Rows(); ++row) {
    const int slot = grid_.RowSlot(row);
    if (slot < 0 || slot > kLastSlot || !GivesWayToController(core.table.slots[slot])) continue;
    const HotkeyEntry& e = core.table.slots[slot];
    system_.UnregisterHotkey(BindingIdBase + slot);
    bool held = controllerOn;
    if (!controllerOn && !bindingsPaused) {
      held = !system_.RegisterHotkey(BindingIdBase + slot, e.Modifiers, e.VirtualKey);
    }
    grid_.MarkRowHeld(row, held);
  }
}

ActivationCombo ParseActivationHotkeyText(const std::string& text) {
  ActivationCombo combo;
  std::size_t tab = text.find('\t');
  combo.modifierText = text.substr(0, tab);
  combo.keyName = tab == std::string::npos ? std::string() : text.substr(tab + 1);
  combo.modifiers = ModifierFlagsFromText(combo.modifierText);
  combo.virtualKey = KeyCodeFromName(combo.keyName);
  return combo;
}

void Program::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  view_.RestoreButtonBehaviour();
  system_.UnregisterHotkey(ActivationHotkeyId);
  core.ReleaseBindings();
  core.actions.ShowHiddenWindowAgain();
  view_.RemoveTrayIcon();
  view_.RestoreWindowProcedures();
}

}  // namespace tarvek
