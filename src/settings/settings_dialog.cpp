#include "settings/settings_dialog.h"

#include <commdlg.h>

#include "core/hotkey_table.h"
#include "win/windows/common_controls.h"
#include "win/input/key_box.h"
#include "win/system/strings.h"

namespace tarvek {

using namespace settings_ids;

namespace {

// The client area is 5400 × 4560 twips.
constexpr win::WindowLayout kWindow{L"TarvekHotKeySettings", L"软件设置", 5400, 4560};

// The activation row: three boxes of one width, and between them Label2, whose twelve
// characters ("+", ten blanks, "+") are set in a fixed-pitch font one cell wide each, so that
// the middle box covers the blanks and a plus sign shows on either side of it.
constexpr int kComboTop = 3120, kComboWidth = 1140, kComboDropHeight = 3600;
constexpr int kPlusCell = 120, kPlusGap = 30;
constexpr int kCombo0Left = 810;
constexpr int kLabel2Left = kCombo0Left + kComboWidth + kPlusGap;
constexpr int kLabel2Width = 12 * kPlusCell;
constexpr int kCombo1Left = kLabel2Left + kPlusCell + kPlusGap;
constexpr int kCombo2Left = kLabel2Left + kLabel2Width + kPlusGap;
static_assert(10 * kPlusCell - 2 * kPlusGap == kComboWidth, "the middle box fills the blanks");

constexpr int kCheckTop = 1050, kCheckStep = 330;

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kCombo = CBS_DROPDOWNLIST | WS_VSCROLL | kTab;
constexpr DWORD kCheck = BS_CHECKBOX | kTab;  // the model ticks them, not the button itself

// In creation order: the order of the tab stops, with each label before what it names (the
// name screen readers give the field), Label2 under the middle box and the frames under all.
constexpr win::ControlLayout kControls[] = {
    {kLabel1Id, L"STATIC", L"热键列表存放路径：", SS_LEFT | SS_NOPREFIX, 0, 300, 330, 3000, 240},
    {kText1Id, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, 300, 600, 4260, 330},
    {kCheck1Id, L"BUTTON", L"本软件随系统启动", kCheck, 0, 300, kCheckTop, 4800, 270},
    {kCheck2Id, L"BUTTON", L"开启热键声音", kCheck, 0, 300, kCheckTop + kCheckStep, 4800, 270},
    {kCheck3Id, L"BUTTON", L"运行时显示提示信息", kCheck, 0, 300, kCheckTop + 2 * kCheckStep, 4800,
     270},
    {kCombo1Id0, L"COMBOBOX", L"", kCombo, 0, kCombo0Left, kComboTop, kComboWidth,
     kComboDropHeight},
    {kCombo1Id1, L"COMBOBOX", L"", kCombo, 0, kCombo1Left, kComboTop, kComboWidth,
     kComboDropHeight},
    {kCombo1Id2, L"COMBOBOX", L"", kCombo, 0, kCombo2Left, kComboTop, kComboWidth,
     kComboDropHeight},
    {kCommand3Id, L"BUTTON", L"取消 &C", BS_PUSHBUTTON | kTab, 0, 3660, 3840, 1440, 405},
    {kCommand2Id, L"BUTTON", L"保存修改 &Y", BS_PUSHBUTTON | kTab | WS_DISABLED, 0, 300, 3840, 1440,
     405},
    {kCommand4Id, L"BUTTON", L"保存热键 &K", BS_PUSHBUTTON | kTab | WS_DISABLED, 0, 1980, 3840,
     1440, 405},
    {kCheck4Id, L"BUTTON", L"运行时显示托盘图标", kCheck, 0, 300, kCheckTop + 3 * kCheckStep, 4800,
     270},
    {kCheck5Id, L"BUTTON", L"菜单中显示热键名称", kCheck, 0, 300, kCheckTop + 4 * kCheckStep, 2280,
     270},
    // Beside Check5, where the row had room: the boxes users know stay where they were.
    {kCheck6Id, L"BUTTON", L"启用 ~ 键点击前台窗口", kCheck, 0, 2640, kCheckTop + 4 * kCheckStep,
     2520, 270},
    {kCommand5Id, L"BUTTON", L"...", BS_PUSHBUTTON | kTab, 0, 4620, 600, 480, 330},
    {kLabel2Id, L"STATIC", L"+          +", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, 0, kLabel2Left,
     kComboTop, kLabel2Width, 330},
    {kFrame2Id, L"BUTTON", L"激活本程序所用热键", BS_GROUPBOX, 0, 300, 2790, 4800, 870},
    {kFrame1Id, L"BUTTON", L"软件设置", BS_GROUPBOX, 0, 120, 60, 5160, 4380},
};

constexpr int kCheckIds[kSettingsCheckCount] = {kCheck1Id, kCheck2Id, kCheck3Id,
                                                kCheck4Id, kCheck5Id, kCheck6Id};
constexpr int kComboIds[kActivationBoxCount] = {kCombo1Id0, kCombo1Id1, kCombo1Id2};
constexpr UINT_PTR kKeyBoxSubclass = 1;

SettingsCheck CheckOfIndex(int i) { return static_cast<SettingsCheck>(i + 1); }

int IndexOf(std::span<const std::string_view> names, const std::string& name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

std::optional<std::string> ShowListFileDialog(HWND owner, const std::string& preset,
                                              ListFileDialogMode mode) {
  win::FileDialogOptions options;
  options.save = mode == ListFileDialogMode::kSave;
  options.filter = kListFileFilter;
  options.defaultExtension = kListFileDefaultExtension;
  options.file = preset;
  // No overwrite prompt: picking an existing list is a normal choice here, and nothing is
  // written until the list is saved. The current folder stays where it was.
  if (mode == ListFileDialogMode::kOpen) options.flags |= OFN_FILEMUSTEXIST;
  return win::ShowFileDialog(owner, options);
}

SettingsDialog::SettingsDialog(SettingsDialogModel& model, GridPort& grid, HotkeyPort& hotkeys)
    : DialogWindow(kWindow, kControls), model_(model), grid_(grid), hotkeys_(hotkeys) {}

SettingsDialog::~SettingsDialog() { model_.onChanged = nullptr; }

bool SettingsDialog::Create(HINSTANCE instance, HWND owner) {
  if (!DialogWindow::Create(instance, owner)) return false;
  model_.onChanged = [this] { Refresh(); };
  Refresh();
  return true;
}

HFONT SettingsDialog::FontFor(int id) const {
  return id == kLabel2Id ? static_cast<HFONT>(plusFont_.get()) : Font();
}

void SettingsDialog::OnFontsMade() {
  // One cell per character, as wide as the layout wants it.
  plusFont_.reset(win::MakeCellFont(Dpi(), Px(kPlusCell)));
}

void SettingsDialog::OnCreated() {
  SetWindowTextW(Handle(), win::Widen(model_.Title()).c_str());
  for (int box = 0; box < kActivationBoxCount; ++box) {
    HWND combo = Control(kComboIds[box]);
    // Keys are chosen here, not typed: no input method, and a press one had still chooses.
    win::TakeNoInputMethod(combo);
    win::AddSubclass(combo, win::PlainKeyBoxProc, kKeyBoxSubclass, 0);
    auto add = [combo](std::string_view name) {
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Widen(name).c_str()));
    };
    if (box == kActivationBoxCount - 1) {
      for (std::string_view name : KeyboardKeyNames()) add(name);
    } else {
      for (std::string_view name : ModifierNames()) add(name);
    }
  }
}

void SettingsDialog::LayOut() {
  DialogWindow::LayOut();
  // The plus signs stand level with the text of the boxes, whatever height the font gave them.
  RECT combo{};
  GetWindowRect(Control(kCombo1Id0), &combo);
  MoveWindow(Control(kLabel2Id), Px(kLabel2Left), Px(kComboTop), Px(kLabel2Width),
             combo.bottom - combo.top, TRUE);
}

void SettingsDialog::Refresh() {
  if (window_ == nullptr) return;
  refreshing_ = true;
  HWND text = Control(kText1Id);
  if (win::WindowText(text) != model_.ListPath()) {
    SetWindowTextW(text, win::Widen(model_.ListPath()).c_str());
  }
  for (int i = 0; i < kSettingsCheckCount; ++i) {
    CheckDlgButton(window_, kCheckIds[i],
                   model_.Checked(CheckOfIndex(i)) ? BST_CHECKED : BST_UNCHECKED);
  }
  for (int box = 0; box < kActivationBoxCount; ++box) {
    const std::string& name = model_.ActivationBox(box);
    int index = box == kActivationBoxCount - 1 ? IndexOf(KeyboardKeyNames(), name)
                                               : IndexOf(ModifierNames(), name);
    SendMessageW(Control(kComboIds[box]), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  EnableWindow(Control(kCommand2Id), model_.SaveChangesEnabled() ? TRUE : FALSE);
  EnableWindow(Control(kCommand4Id), model_.SaveHotkeyEnabled() ? TRUE : FALSE);
  refreshing_ = false;
}

bool SettingsDialog::ShowModal() {
  if (window_ == nullptr || IsWindowVisible(window_)) return false;
  saved_ = false;
  model_.Activate();
  RunModal();
  return saved_;
}

void SettingsDialog::OnCommand(int id, int notification) {
  if (id == kText1Id) {
    if (notification == EN_CHANGE && !refreshing_) {
      model_.SetListPath(Text(kText1Id));
    }
    return;
  }
  for (int box = 0; box < kActivationBoxCount; ++box) {
    if (id != kComboIds[box]) continue;
    if (notification == CBN_SELCHANGE) {
      auto index = static_cast<std::size_t>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
      if (box == kActivationBoxCount - 1 && index < KeyboardKeyNames().size()) {
        model_.ChooseActivation(box, KeyboardKeyNames()[index]);
      } else if (box < kActivationBoxCount - 1 && index < ModifierNames().size()) {
        model_.ChooseActivation(box, ModifierNames()[index]);
      }
    }
    return;
  }
  // Buttons: a click, Space on the focused one, its access key or (for "取消 &C") Esc. Enter
  // sends IDOK, which no control has: it presses nothing.
  if (notification != BN_CLICKED) return;
  for (int i = 0; i < kSettingsCheckCount; ++i) {
    if (id == kCheckIds[i]) {
      model_.SetChecked(CheckOfIndex(i), !model_.Checked(CheckOfIndex(i)));
      return;
    }
  }
  // An access key reaches a disabled button too; a disabled button does nothing.
  if (HWND button = Control(id); button == nullptr || !IsWindowEnabled(button)) return;
  switch (id) {
    case kCommand5Id:
      model_.ChoosePath(ShowListFileDialog(window_, model_.ListPath(), ListFileDialogMode::kSave));
      SetFocus(Control(kText1Id));
      break;
    case kCommand2Id:
      SetFocus(Control(kText1Id));
      saved_ = true;
      model_.SaveChanges();
      break;
    case kCommand3Id:
      SetFocus(Control(kText1Id));
      model_.Cancel();
      break;
    case kCommand4Id: {
      SaveHotkeyOutcome outcome = model_.SaveHotkey(grid_, hotkeys_, Messages());
      // After a refusal the user has to choose again, in the boxes.
      SetFocus(Control(outcome == SaveHotkeyOutcome::kSaved ? kText1Id : kCombo1Id0));
      break;
    }
    default:
      break;
  }
}

}  // namespace tarvek
