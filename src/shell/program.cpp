#include "shell/program.h"

namespace tarvek {

Program::Program(SystemPort& system, SettingsStore& settings, MainWindowView& view, GridPort& grid,
                 PadHost& pad, std::string programFolder)
    : core(system, view, pad, programFolder),
      system_(system),
      settings_(settings),
      view_(view),
      grid_(grid),
      programFolder_(std::move(programFolder)) {}

ListFileContext Program::ListContext() {
  return ListFileContext{grid_, core.table, system_, system_, system_};
}

std::vector<MenuItem> Program::HotkeyMenuItems(const std::string& emptyCaption) const {
  std::vector<MenuItem> items;
  for (int i = 0; i < kTableSlots && !core.table.slots[i].ModifierText.empty(); ++i) {
    const HotkeyEntry& e = core.table.slots[i];
    std::string caption = e.Name;
    if (showHotKeyNameInMenu) caption += "   " + e.ModifierText + "+" + e.KeyText;
    items.push_back({caption, true});
  }
  if (items.empty() || items[0].caption.empty()) {
    if (items.empty()) items.push_back({});
    items[0] = {emptyCaption, false};
  }
  return items;
}

void Program::LoadPhase() {
  showHotKeyNameInMenu = LeadingNumber(settings_.Get(setting::kShowHotKeyNameInMenu)) == 1;
  for (int column = 0; column < 2; ++column) grid_.SetColumnWidth(column, kGridColumnWidths[column]);
  if (TrimBlanks(listPath).empty()) listPath = TrimBlanks(settings_.Get(setting::kFileSave));
  if (listPath.empty()) listPath = programFolder_ + "\\SaveKey.htk";
  HotkeyListFile("get", listPath, ListContext());
  int n = 0;
  for (; n < kTableSlots && !core.table.slots[n].ModifierText.empty(); ++n) {
    grid_.AddRow(GridRowText(core.table.slots[n]));
  }
  core.RegisterBindings();
  view_.SetHotkeyMenu(HotkeyMenuItems("没有设置热键程序"));
  view_.SetFrameCaption("热键信息(共有" + std::to_string(n) + "个热键)");
  grid_.SetColumnWidth(2, grid_.Rows() < 17 ? 4060 : 3820);
}

void Program::InitialisePhase() {
  grid_.SetColumnWidth(3, 0);
  activationHotkeyText = settings_.Get(setting::kHotKeyName);
  core.sound.on = LeadingNumber(settings_.Get(setting::kPlaySound)) == 1;
  core.flags.MouseActivation = LeadingNumber(settings_.Get(setting::kActivateStatus)) == 1;
  if (activationHotkeyText.empty()) activationHotkeyText = kDefaultActivationHotkeyText;
  RegisterActivationHotkey();

  // The keypad mouse controller: ticking its box registers the keypad keys, and a start with
  // it on adds the letter keys under the same ids.
  core.flags.MouseControllerOn = LeadingNumber(settings_.Get(setting::kMouseCtrl)) == 1;
  if (core.flags.MouseControllerOn) {
    static constexpr int kKeypad[8] = {97, 98, 99, 101, 100, 102, 103, 104};
    static constexpr int kLetters[7] = {'A', 'S', 'D', 'W', 'J', 'L', 'K'};
    for (int i = 0; i < 8; ++i) system_.RegisterHotkey(MouseKeyIdBase + 1 + i, 0, kKeypad[i]);
    for (int i = 0; i < 7; ++i) system_.RegisterHotkey(MouseKeyIdBase + 1 + i, 0, kLetters[i]);
  }

  std::string showIcon = settings_.Get(setting::kShowIcon);
  if (showIcon.empty() || LeadingNumber(showIcon) == 1) view_.AddTrayIcon();
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

void Program::RegisterActivationHotkey() {
  system_.RegisterHotkey(ActivationHotkeyId, kModWin, 32);
  grid_.AddRow(activationHotkeyText + "\t显示本软件\t无", 1);
  system_.RegisterHotkey(ForegroundClickHotkeyId, 0, 192);
  if (TrimBlanks(activationHotkeyText).empty()) return;  // a stored blank keeps Win + Space
  ActivationCombo combo = ParseActivationHotkeyText(activationHotkeyText);
  system_.UnregisterHotkey(ActivationHotkeyId);
  system_.RegisterHotkey(ActivationHotkeyId, combo.modifiers, combo.virtualKey);
}

void Program::ShutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  system_.UnregisterHotkey(ActivationHotkeyId);
  core.ReleaseBindings();
  core.actions.ShowHiddenWindowAgain();
  view_.RemoveTrayIcon();
  view_.RestoreWindowProcedures();
}

}  // namespace tarvek
