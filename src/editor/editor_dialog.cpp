#include "editor/editor_dialog.h"

#include <commctrl.h>

#include "core/actions.h"
#include "core/hotkey_table.h"
#include "editor/launch_options_dialog.h"
#include "shell/resource.h"
#include "win/windows/common_controls.h"
#include "win/input/key_box.h"
#include "win/system/strings.h"

namespace tarvek {

using namespace editor_ids;

namespace {

// Wider by the column of "选项...", right of "..."; every other control where it always was.
constexpr int kOptionsColumn = 960;
constexpr win::WindowLayout kWindow{L"TarvekHotKeyEditor", L"添加热键", 6240 + kOptionsColumn, 3900};

// The key row: three boxes of one width, and between them Label2, whose thirteen characters
// ("+", eleven blanks, "+") are set in a fixed-pitch font one cell wide each, so that the
// middle box covers the blanks and a plus sign shows on either side of it.
constexpr int kBoxTop = 600, kBoxWidth = 1260, kDropHeight = 3300;
constexpr int kPlusCell = 120, kPlusGap = 30;
constexpr int kBox0Left = 360;
constexpr int kLabel2Left = kBox0Left + kBoxWidth + kPlusGap;
constexpr int kLabel2Width = 13 * kPlusCell;
constexpr int kBox1Left = kLabel2Left + kPlusCell + kPlusGap;
constexpr int kBox2Left = kLabel2Left + kLabel2Width + kPlusGap;
static_assert(kBox1Left + kBoxWidth <= kLabel2Left + kLabel2Width - kPlusCell - kPlusGap,
              "the middle box leaves the second plus sign free");

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kKeyBox = CBS_DROPDOWNLIST | WS_VSCROLL | kTab;
constexpr DWORD kTextBox = CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | kTab;
constexpr DWORD kCheck = BS_CHECKBOX | kTab;  // the model ticks them, not the button itself
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;

// In creation order: the tab order, each label before what it names, the panel under all.
constexpr win::ControlLayout kControls[] = {
    {kLabel1Id, L"STATIC", L"辅助键：", kLabel, 0, kBox0Left, 330, 1500, 240},
    {kCombo1Id0, WC_COMBOBOXW, L"", kKeyBox, 0, kBox0Left, kBoxTop, kBoxWidth, kDropHeight},
    {kCombo1Id1, WC_COMBOBOXW, L"", kKeyBox, 0, kBox1Left, kBoxTop, kBoxWidth, kDropHeight},
    {kLabel3Id, L"STATIC", L"基本键：", kLabel, 0, kBox2Left, 330, 1500, 240},
    {kCombo1Id2, WC_COMBOBOXW, L"", kKeyBox, 0, kBox2Left, kBoxTop, kBoxWidth, kDropHeight},
    {kLabel4Id, L"STATIC", L"被打开的文件(可以是网址或个人信箱):", kLabel, 0, 360, 1110, 5400, 240},
    {kCombo2Id, WC_COMBOBOXW, L"", kTextBox, 0, 360, 1380, 4980, kDropHeight},
    {kLabel5Id, L"STATIC", L"程序名称（作用）：", kLabel, 0, 360, 1890, 2400, 240},
    {kCombo3Id, WC_COMBOBOXW, L"", kTextBox, 0, 360, 2160, 5520, kDropHeight},
    {kCommand3Id, L"BUTTON", L"...", BS_PUSHBUTTON | kTab, 0, 5400, 1380, 480, 330},
    {kOptionsId, L"BUTTON", L"选项...", BS_PUSHBUTTON | kTab, 0, 5940, 1380, 900, 330},
    {kCommand2Id, L"BUTTON", L"取消 &C", BS_PUSHBUTTON | kTab, 0, 3840, 2700, 1000, 405},
    {kCommand1Id, L"BUTTON", L"确定 &C", BS_PUSHBUTTON | kTab | WS_DISABLED, 0, 2760, 2700, 1000,
     405},
    {kCheck1Id, L"BUTTON", L"检测所设热键是否已经被设定过或与系统热键冲突.", kCheck, 0, 360, 3270,
     5520, 270},
    {kCheck2Id, L"BUTTON", L"允许不使用辅助键", kCheck, 0, 360, 2760, 2280, 270},
    {kCommand4Id, L"BUTTON", L"应用 &A", BS_PUSHBUTTON | kTab | WS_DISABLED, 0, 4920, 2700, 960,
     405},
    {kCommand5Id, L"BUTTON", L"选择程序的小技巧", BS_PUSHBUTTON | kTab, 0, 3600, 1830, 2280, 330},
    {kLabel2Id, L"STATIC", L"+           +", kLabel | SS_CENTERIMAGE, 0, kLabel2Left, kBoxTop,
     kLabel2Width, 330},
    {kImage1Id, L"STATIC", nullptr, SS_ICON, 0, 5280, 360, 480, 480},
    {kFrame1Id, L"BUTTON", L"添加热键", BS_GROUPBOX, 0, 120, 60, 6000 + kOptionsColumn, 3780},
};

constexpr int kKeyBoxIds[kEditorKeyBoxes] = {kCombo1Id0, kCombo1Id1, kCombo1Id2};
constexpr UINT_PTR kKeyBoxSubclass = 1;

template <typename Names>
void AddItems(HWND box, const Names& names) {
  for (const auto& name : names) {
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Widen(name).c_str()));
  }
}

// Selects the item with exactly this text, or none.
void SelectExact(HWND box, const std::string& text) {
  LRESULT index = text.empty() ? CB_ERR
                               : SendMessageW(box, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(win::Widen(text).c_str()));
  // CB_FINDSTRINGEXACT ignores case; the key names differ in more than case, so it is exact.
  if (SendMessageW(box, CB_GETCURSEL, 0, 0) != index) SendMessageW(box, CB_SETCURSEL, index, 0);
}

std::string ItemText(HWND box, LRESULT index) {
  if (index < 0) return {};
  LRESULT length = SendMessageW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length < 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(box, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return win::Narrow(text);
}

// The modifier state of a key press as the boxes take it: Shift 1, Ctrl 2, Alt 4.
int ModifierState() {
  return (GetKeyState(VK_SHIFT) < 0 ? kShiftState : 0) |
         (GetKeyState(VK_CONTROL) < 0 ? kCtrlState : 0) | (GetKeyState(VK_MENU) < 0 ? kAltState : 0);
}

}  // namespace

EditorDialog::EditorDialog(EditorModel& model) : DialogWindow(kWindow, kControls), model_(model) {}

EditorDialog::~EditorDialog() {
  model_.onChanged = nullptr;
  model_.UseDialogs(nullptr);
}

bool EditorDialog::Create(HINSTANCE instance, HWND owner) {
  white_.reset(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
  icon_ = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP));
  if (!DialogWindow::Create(instance, owner)) return false;
  model_.UseDialogs(&Messages());
  model_.onChanged = [this] { Refresh(); };
  Refresh();
  return true;
}

HFONT EditorDialog::FontFor(int id) const {
  return id == kLabel2Id ? static_cast<HFONT>(plusFont_.get()) : Font();
}

void EditorDialog::OnFontsMade() {
  // One cell per character, as wide as the layout wants it.
  plusFont_.reset(win::MakeCellFont(Dpi(), Px(kPlusCell)));
}

void EditorDialog::OnCreated() {
  AddItems(Control(kCombo1Id0), ModifierNames());
  AddItems(Control(kCombo1Id1), ModifierNames());
  AddItems(Control(kCombo2Id), EditorTargetList());
  AddItems(Control(kCombo1Id2), KeyNames());
  for (int id : kKeyBoxIds) {
    win::TakeNoInputMethod(Control(id));
    win::AddSubclass(Control(id), KeyBoxProc, kKeyBoxSubclass, reinterpret_cast<DWORD_PTR>(this));
  }
  if (icon_ != nullptr) SendMessageW(Control(kImage1Id), STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
  AddToolTip(kCombo1Id2, L"按下键盘上的键即可选中它；"
                         L"标点键按美式键盘上的位置命名，如 ;  '  [  ]");
}

void EditorDialog::LayOut() {
  DialogWindow::LayOut();
  // The plus signs stand level with the text of the boxes, whatever height the font gave them.
  RECT box{};
  GetWindowRect(Control(kCombo1Id0), &box);
  MoveWindow(Control(kLabel2Id), Px(kLabel2Left), Px(kBoxTop), Px(kLabel2Width),
             box.bottom - box.top, TRUE);
  MoveWindow(Control(kImage1Id), Px(5280), Px(360), GetSystemMetrics(SM_CXICON),
             GetSystemMetrics(SM_CYICON), TRUE);
}

void EditorDialog::FillList(int id, const std::vector<std::string>& items) {
  HWND box = Control(id);
  std::string text = win::WindowText(box);
  SendMessageW(box, CB_RESETCONTENT, 0, 0);
  AddItems(box, items);
  SetWindowTextW(box, win::Widen(text).c_str());
}

void EditorDialog::Refresh() {
  if (window_ == nullptr) return;
  refreshing_ = true;
  for (int i = 0; i < kEditorKeyBoxes; ++i) SelectExact(Control(kKeyBoxIds[i]), model_.Box(i));
  if (namesShown_ != model_.NameList().size()) {
    FillList(kCombo3Id, model_.NameList());
    namesShown_ = model_.NameList().size();
  }
  // Only a text that differs is set, so that the caret stays where the user types.
  if (Text(kCombo2Id) != model_.Target()) SetText(kCombo2Id, model_.Target());
  if (Text(kCombo3Id) != model_.Name()) SetText(kCombo3Id, model_.Name());
  Enable(kCombo3Id, model_.NameEnabled());
  CheckDlgButton(window_, kCheck1Id, model_.CheckKeyInUse() ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window_, kCheck2Id, model_.AllowNoModifier() ? BST_CHECKED : BST_UNCHECKED);
  Enable(kCommand4Id, model_.ApplyEnabled());
  Enable(kCommand1Id, model_.OkEnabled());
  if (win::WindowText(window_) != model_.Title()) SetTitle(model_.Title());
  refreshing_ = false;
  // A focus request is for the moment it is made. The one of a showing (the first box) is
  // carried out as the window shows; kept until then, it would pull the focus away from
  // wherever the user has put it at the next change, such as the first letter typed.
  const EditorFocus focus = model_.TakeFocusRequest();
  if (!IsWindowVisible(window_)) return;
  switch (focus) {
    case EditorFocus::kModifier0: SetFocus(Control(kCombo1Id0)); break;
    case EditorFocus::kModifier1: SetFocus(Control(kCombo1Id1)); break;
    case EditorFocus::kKey: SetFocus(Control(kCombo1Id2)); break;
    case EditorFocus::kTarget: SetFocus(Control(kCombo2Id)); break;
    case EditorFocus::kName: SetFocus(Control(kCombo3Id)); break;
    case EditorFocus::kNone: break;
  }
}

void EditorDialog::ShowModal() {
  if (window_ == nullptr || IsWindowVisible(window_)) return;
  // Shown first, then activated: the window gives the focus to the first box as it shows.
  model_.Shown();
  RunModal();
  Refresh();  // the title and states as the opening left them
}

void EditorDialog::ChooseFile() {
  win::FileDialogOptions options;
  options.filter = std::string(kFileChooserFilterName) + "|*.*";
  options.title = kFileChooserTitle;
  options.folder = model_.Target();
  options.flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_EXPLORER;
  model_.FileChosen(FileDialog(options));
}

void EditorDialog::ChooseOptions() {
  // A binding that types a text has its text edited here, instead of the launch.
  LaunchOptionsModel options(model_.Options(), model_.Target() == action_name::kTypeText);
  LaunchOptionsDialog dialog(options);
  if (dialog.Run(instance_, window_)) model_.SetOptions(options.Result());
  SetFocus(Control(kOptionsId));
}

void EditorDialog::OnCommand(int id, int notification) {
  if (refreshing_) return;
  for (int i = 0; i < kEditorKeyBoxes; ++i) {
    if (id != kKeyBoxIds[i]) continue;
    if (notification == CBN_SELCHANGE) {
      HWND box = Control(id);
      model_.ChooseKey(i, ItemText(box, SendMessageW(box, CB_GETCURSEL, 0, 0)));
    }
    return;
  }
  if (id == kCombo2Id || id == kCombo3Id) {
    HWND box = Control(id);
    bool target = id == kCombo2Id;
    if (notification == CBN_EDITCHANGE) {
      std::string text = win::WindowText(box);
      target ? model_.TargetEdited(text) : model_.NameEdited(text);
    } else if (notification == CBN_SELCHANGE) {
      // The edit field still shows the old text while this notification runs.
      std::string text = ItemText(box, SendMessageW(box, CB_GETCURSEL, 0, 0));
      target ? model_.TargetChosen(text) : model_.NameEdited(text);
    } else if (!target && notification == CBN_SETFOCUS) {
      model_.NameFocused();
    } else if (!target && notification == CBN_KILLFOCUS) {
      model_.NameLostFocus();
    }
    return;
  }
  if (notification != BN_CLICKED) return;
  if (id == kCheck1Id) {
    model_.SetCheckKeyInUse(!model_.CheckKeyInUse());
    return;
  }
  if (id == kCheck2Id) {
    model_.SetAllowNoModifier(!model_.AllowNoModifier());
    return;
  }
  // An access key reaches a disabled button too; a disabled button does nothing. OK and
  // Cancel share the access key C: the dialog manager presses the first enabled one of them.
  if (HWND button = Control(id); button == nullptr || !IsWindowEnabled(button)) return;
  switch (id) {
    case kCommand3Id:
      ChooseFile();
      break;
    case kOptionsId:
      ChooseOptions();
      break;
    case kCommand5Id:
      model_.Tips();
      SetFocus(Control(kCombo2Id));
      break;
    case kCommand4Id:
      model_.Apply();
      break;
    case kCommand1Id:
      model_.Ok();
      break;
    case kCommand2Id:
      model_.Cancel();
      break;
    default:
      break;
  }
}

std::optional<LRESULT> EditorDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      // The panel is white, as are the labels and boxes on it.
      RECT client{};
      GetClientRect(window_, &client);
      FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(white_.get()));
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(white_.get());
    default:
      break;
  }
  (void)lParam;
  return std::nullopt;
}

LRESULT CALLBACK EditorDialog::KeyBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<EditorDialog*>(data);
  try {  // no exception may leave a window procedure
    const int index = GetDlgCtrlID(box) - kCombo1Id0;
    const bool baseBox = index == kEditorBaseKeyBox;
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) {
      const BoxKey key = win::KeyOfPress(box, wParam);
      // Only the first press of a key held down counts, not its repeats.
      const bool first = (lParam & (1 << 30)) == 0;
      if (first && EditorModel::TakesWinKey(index, key.keyCode)) win::KeepStartMenuShut();
      // The base-key box takes every press of a key it chooses, repeats too: a held F4 would
      // otherwise open its list.
      if ((first || baseBox) && self->model_.KeyDown(index, key.keyCode, ModifierState())) {
        if (!baseBox) self->altTaken_ = true;
        return 0;
      }
      if (key.fromInputMethod) {
        // The box chooses by the real key, as it does with no input method.
        win::ReplayToBox(box, key, lParam);
        return 0;
      }
    }
    if ((message == WM_KEYUP || message == WM_SYSKEYUP) && baseBox &&
        self->model_.KeyUp(index, static_cast<int>(wParam), ModifierState())) {
      return 0;
    }
    // A media key sends its command after the key press that chose it: the command goes no
    // further, or choosing 音量+ would turn the volume up.
    if (message == WM_APPCOMMAND && baseBox) return TRUE;
    if ((message == WM_SYSKEYUP || message == WM_KEYUP) && wParam == VK_MENU && self->altTaken_) {
      // Alt taken by a modifier box goes no further: its release would open the window menu.
      self->altTaken_ = false;
      return 0;
    }
  } catch (...) {
    return 0;
  }
  return win::DefaultSubclassProc(box, message, wParam, lParam);
}

}  // namespace tarvek
