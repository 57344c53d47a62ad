#include "settings/settings_dialog_model.h"

#include <algorithm>

#include "core/files/active_list.h"
#include "core/hotkey_table.h"
#include "core/files/list_file.h"
#include "core/validation.h"
#include "settings/list_path.h"

namespace tarvek {

namespace {

int CheckIndex(SettingsCheck box) { return static_cast<int>(box) - 1; }

bool Offers(int index, std::string_view name) {
  auto has = [name](const auto& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  return index == kActivationBoxCount - 1 ? has(KeyboardKeyNames()) : has(ModifierNames());
}

}  // namespace

SettingsDialogModel::SettingsDialogModel(SettingsStore& settings, std::string programPath)
    : settings_(settings),
      programPath_(std::move(programPath)),
      activation_{std::string(kNoModifier), std::string(kNoModifier), "A"} {
  checks_[CheckIndex(SettingsCheck::kClickKey)] = true;  // "~" is taken unless the user gives it back
}

bool SettingsDialogModel::Checked(SettingsCheck box) const {
  int i = CheckIndex(box);
  return i >= 0 && i < kSettingsCheckCount && checks_[i];
}

const std::string& SettingsDialogModel::ActivationBox(int index) const {
  return activation_.at(static_cast<std::size_t>(index));
}

void SettingsDialogModel::Changed() {
  if (onChanged) onChanged();
}

void SettingsDialogModel::SetChecked(SettingsCheck box, bool ticked) {
  int i = CheckIndex(box);
  if (i < 0 || i >= kSettingsCheckCount || checks_[i] == ticked) return;
  checks_[i] = ticked;
  StoreCheck(box, ticked);
  saveChangesEnabled_ = true;
  Changed();
  if (onCheckChanged) onCheckChanged(box, ticked);
}

void SettingsDialogModel::StoreCheck(SettingsCheck box, bool ticked) {
  // A failed write is not reported: the box keeps the user's choice for this run.
  const std::string flag = ticked ? "1" : "0";
  switch (box) {
    case SettingsCheck::kStartWithWindows:
      settings_.SetRunEntry(RunEntryValue(ticked, programPath_));
      break;
    case SettingsCheck::kPlaySound:
      settings_.Set(setting::kPlaySound, flag);
      break;
    case SettingsCheck::kShowInfo:
      settings_.Set(setting::kShowInfo, flag);
      break;
    case SettingsCheck::kShowIcon:
      settings_.Set(setting::kShowIcon, flag);
      break;
    case SettingsCheck::kShowHotKeyNameInMenu:
      settings_.Set(setting::kShowHotKeyNameInMenu, flag);
      break;
    case SettingsCheck::kClickKey:
      settings_.Set(setting::kClickKey, flag);
      break;
  }
}

void SettingsDialogModel::SetListPath(const std::string& text) {
  if (text == listPath_) return;
  listPath_ = text;
  saveChangesEnabled_ = true;
  Changed();
}

bool SettingsDialogModel::ChooseActivation(int index, std::string_view name) {
  if (index < 0 || index >= kActivationBoxCount || !Offers(index, name)) return false;
  activation_[index] = std::string(name);
  saveHotkeyEnabled_ = true;
  Changed();
  return true;
}

void SettingsDialogModel::ShowActivationHotkey(std::string_view activationText) {
  std::array<std::string, kActivationBoxCount> shown{"Win", std::string(kNoModifier), "Space"};
  if (!TrimBlanks(activationText).empty()) {
    std::size_t tab = activationText.find('\t');
    std::string_view modifiers = activationText.substr(0, tab);
    shown[2] = tab == std::string_view::npos ? "" : std::string(activationText.substr(tab + 1));
    // "Ctrl + Alt" names two boxes, "Win" one. The blanks around the plus are not part of
    // either name.
    std::size_t plus = modifiers.find('+');
    shown[0] = TrimBlanks(modifiers.substr(0, plus));
    if (plus != std::string_view::npos) shown[1] = TrimBlanks(modifiers.substr(plus + 1));
  }
  for (int i = 0; i < kActivationBoxCount; ++i) {
    if (Offers(i, shown[i])) activation_[i] = shown[i];
  }
  Changed();
}

void SettingsDialogModel::SetRegisteredActivation(std::optional<KeyCombination> combination) {
  registered_ = combination;
}

void SettingsDialogModel::Activate() {
  visible_ = true;
  SetChecked(SettingsCheck::kStartWithWindows, RunEntryIsOn(settings_.GetRunEntry()));
  SetChecked(SettingsCheck::kPlaySound, FlagIsOn(settings_.Get(setting::kPlaySound)));
  // The field keeps the active list path: after an import it names the imported list, not the
  // stored one, and reading FileSave here would switch the running program back to the start
  // list behind the grid's back, so that the next save wrote the imported bindings over it.
  pathWhenShown_ = listPath_;
  saveChangesEnabled_ = false;
  saveHotkeyEnabled_ = false;
  Changed();
}

void SettingsDialogModel::SaveChanges() {
  StoreChosenListPath(settings_, listPath_, FolderOfPath(programPath_));
  visible_ = false;
  Changed();
  if (onSaved) onSaved();
}

void SettingsDialogModel::Cancel() {
  // The path field is the active list path for every list command; a path typed or chosen and
  // then cancelled must not stay active. The path it held when shown is still the active one.
  if (visible_) listPath_ = pathWhenShown_;
  visible_ = false;
  Changed();
}

void SettingsDialogModel::ChoosePath(const std::optional<std::string>& chosen) {
  if (chosen && !chosen->empty()) SetListPath(*chosen);
}

SaveHotkeyOutcome SettingsDialogModel::SaveHotkey(GridPort& grid, HotkeyPort& hotkeys,
                                                  DialogPort& dialogs) {
  // Disabled until an activation box is chosen again, whatever the outcome.
  saveHotkeyEnabled_ = false;
  Changed();
  auto refuse = [&dialogs](SaveHotkeyOutcome outcome, const char* text, const char* title) {
    dialogs.ShowMessageBox(text, title, kMbIconError);
    return outcome;
  };

  const std::string& m1 = activation_[0];
  const std::string& m2 = activation_[1];
  const std::string& key = activation_[2];
  if (m1 == m2 && m1 != kNoModifier) {
    return refuse(SaveHotkeyOutcome::kSameModifierTwice, "不能有两个相同的辅助键!", "错误!");
  }
  if (m1 == kNoModifier && m2 == kNoModifier) {
    return refuse(SaveHotkeyOutcome::kNoModifier, "热键中至少需要有一个辅助热键.", "热键错误");
  }
  const std::string modifierText = ModifierTextOf(m1, m2);
  // Against the bindings only: row 1 is the activation hotkey itself, which may be saved
  // again. Compared by what is registered, so "Alt + Ctrl" meets "Ctrl + Alt".
  for (int row = kFirstBindingRow; row < grid.Rows(); ++row) {
    if (SameCombination(grid.Cell(row, 0), grid.Cell(row, 1), modifierText, key)) {
      return refuse(SaveHotkeyOutcome::kInUse, "此热键已经被使用，不能重复定义.", "定义热键错误!");
    }
  }
  if (IsReservedCombo(HotkeyText(m1, m2, key))) {
    return refuse(SaveHotkeyOutcome::kReserved, "此热键已经被系统使用，不能定义.", "定义热键错误!");
  }

  // The new combination goes under the same id as the old one, so the old one has to go
  // first. When the system refuses the new one, the old one comes back and nothing is stored.
  const KeyCombination wanted{ModifierFlagsFromText(modifierText), KeyCodeFromName(key)};
  hotkeys.UnregisterHotkey(ActivationHotkeyId);
  if (!hotkeys.RegisterHotkey(ActivationHotkeyId, wanted.modifiers, wanted.virtualKey)) {
    if (registered_ && !hotkeys.RegisterHotkey(ActivationHotkeyId, registered_->modifiers,
                                               registered_->virtualKey)) {
      // Taken by someone else in the meantime: the program now has no activation hotkey.
      registered_.reset();
      grid.MarkRowHeld(1, true);
    }
    return refuse(SaveHotkeyOutcome::kHeldByOther, "此热键已被其他程序占用，请换一个热键。",
                  "定义热键错误!");
  }
  registered_ = wanted;

  const std::string activationText = modifierText + "\t" + key;
  settings_.Set(setting::kHotKeyName, activationText);
  if (grid.Rows() > 1) grid.RemoveRow(1);
  grid.AddRowCells({modifierText, key, "显示本软件", "无"}, 1);
  grid.MarkRowHeld(1, false);
  if (onActivationSaved) onActivationSaved(activationText);
  return SaveHotkeyOutcome::kSaved;
}

}  // namespace tarvek
