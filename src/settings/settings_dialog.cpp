#include "settings/settings_dialog.h"

#include <commdlg.h>
// after commdlg.h
#include <cderr.h>

#include <algorithm>
#include <vector>

#include "core/hotkey_table.h"
#include "win/dpi.h"
#include "win/on_demand.h"
#include "win/strings.h"

namespace tarvek {

using namespace settings_ids;

namespace {

constexpr wchar_t kDialogClass[] = L"TarvekHotKeySettings";
constexpr wchar_t kTitle[] = L"软件设置";
constexpr DWORD kWindowStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The client area, in twips.
constexpr int kClientWidth = 5400, kClientHeight = 4560;

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

struct ControlLayout {
  int id;
  const wchar_t* className;
  const wchar_t* caption;
  DWORD style;
  DWORD exStyle;
  int left, top, width, height;  // twips, in the client area; a combo box's with its list open
};

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kCombo = CBS_DROPDOWNLIST | WS_VSCROLL | kTab;
constexpr DWORD kCheck = BS_CHECKBOX | kTab;  // the model ticks them, not the button itself

// In creation order: the order of the tab stops, with each label before what it names (the
// name screen readers give the field), Label2 under the middle box and the frames under all.
constexpr ControlLayout kControls[] = {
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
    {kCheck5Id, L"BUTTON", L"菜单中显示热键名称", kCheck, 0, 300, kCheckTop + 4 * kCheckStep, 4800,
     270},
    {kCommand5Id, L"BUTTON", L"...", BS_PUSHBUTTON | kTab, 0, 4620, 600, 480, 330},
    {kLabel2Id, L"STATIC", L"+          +", SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, 0, kLabel2Left,
     kComboTop, kLabel2Width, 330},
    {kFrame2Id, L"BUTTON", L"激活本程序所用热键", BS_GROUPBOX, 0, 300, 2790, 4800, 870},
    {kFrame1Id, L"BUTTON", L"软件设置", BS_GROUPBOX, 0, 120, 60, 5160, 4380},
};

constexpr int kCheckIds[kSettingsCheckCount] = {kCheck1Id, kCheck2Id, kCheck3Id, kCheck4Id,
                                                kCheck5Id};
constexpr int kComboIds[kActivationBoxCount] = {kCombo1Id0, kCombo1Id1, kCombo1Id2};

SettingsCheck CheckOfIndex(int i) { return static_cast<SettingsCheck>(i + 1); }

template <std::size_t N>
int IndexOf(const std::array<std::string_view, N>& names, const std::string& name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (names[i] == name) return static_cast<int>(i);
  }
  return -1;
}

std::string WindowText(HWND control) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return win::Narrow(text);
}

// The message font of the system, at the given DPI.
LOGFONTW MessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  HDC screen = GetDC(nullptr);
  int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  LOGFONTW font = metrics.lfMessageFont;
  if (systemDpi > 0) font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), systemDpi);
  return font;
}

// The window rectangle around a client area, at the window's DPI where the system can say.
RECT WindowRectFor(int clientWidth, int clientHeight, UINT dpi) {
  RECT r{0, 0, clientWidth, clientHeight};
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = reinterpret_cast<AdjustForDpiFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (adjustForDpi != nullptr) {
    adjustForDpi(&r, kWindowStyle, FALSE, kWindowExStyle, dpi);
  } else {
    AdjustWindowRectEx(&r, kWindowStyle, FALSE, kWindowExStyle);
  }
  return r;
}

// "热键文件(*.htk)|*.HTK" as the dialog takes it: description and pattern NUL-separated, two
// NULs at the end.
std::wstring DialogFilter(std::string_view pipeSeparated) {
  std::wstring filter = win::Widen(pipeSeparated);
  for (wchar_t& c : filter) {
    if (c == L'|') c = L'\0';
  }
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  return filter;
}

}  // namespace

namespace {

DWORD LastDialogError() {
  static const auto error =
      win::OnDemand<decltype(&CommDlgExtendedError)>(L"comdlg32.dll", "CommDlgExtendedError");
  return error != nullptr ? error() : 0;
}

}  // namespace

std::optional<std::string> ShowListFileDialog(HWND owner, const std::string& preset,
                                              ListFileDialogMode mode) {
  const std::wstring filter = DialogFilter(kListFileFilter);
  const std::wstring extension = win::Widen(kListFileDefaultExtension);
  std::vector<wchar_t> file(4096, L'\0');
  std::wstring presetWide = win::Widen(preset);
  if (presetWide.size() < file.size())
    std::copy(presetWide.begin(), presetWide.end(), file.begin());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrDefExt = extension.c_str();
  // No overwrite prompt: picking an existing list is a normal choice here, and nothing is
  // written until the list is saved. The current folder stays where it was.
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (mode == ListFileDialogMode::kOpen) dialog.Flags |= OFN_FILEMUSTEXIST;
  auto show = [&] {
    static const auto save =
        win::OnDemand<decltype(&GetSaveFileNameW)>(L"comdlg32.dll", "GetSaveFileNameW");
    static const auto open =
        win::OnDemand<decltype(&GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    auto run = mode == ListFileDialogMode::kSave ? save : open;
    return run != nullptr && run(&dialog);
  };
  BOOL chosen = show();
  if (!chosen && LastDialogError() == FNERR_INVALIDFILENAME) {
    // A preset the dialog cannot take (a typed path with a stray character) is not worth an
    // error: the dialog opens without it.
    file[0] = L'\0';
    chosen = show();
  }
  if (!chosen) return std::nullopt;
  return win::Narrow(file.data());
}

int SettingsDialog::OwnedMessageBoxes::ShowMessageBox(const std::string& text,
                                                      const std::string& title, unsigned flags) {
  return MessageBoxW(owner, win::Widen(text).c_str(), win::Widen(title).c_str(), flags);
}

SettingsDialog::SettingsDialog(SettingsDialogModel& model, GridPort& grid, HotkeyPort& hotkeys)
    : model_(model), grid_(grid), hotkeys_(hotkeys) {}

SettingsDialog::~SettingsDialog() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  model_.onChanged = nullptr;
}

bool SettingsDialog::Create(HINSTANCE instance, HWND owner) {
  instance_ = instance;
  owner_ = owner;
  static const bool registered = [instance] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kDialogClass;
    return RegisterClassExW(&wc) != 0;
  }();
  (void)registered;
  window_ = CreateWindowExW(kWindowExStyle, kDialogClass, kTitle, kWindowStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, 0, 0, owner, nullptr, instance, this);
  if (window_ == nullptr) return false;
  messageBoxes_.owner = window_;
  CreateFonts();
  CreateControls();
  LayOut();
  model_.onChanged = [this] { Refresh(); };
  Refresh();
  return true;
}

void SettingsDialog::CreateFonts() {
  UINT dpi = win::WindowDpi(window_);
  LOGFONTW message = MessageFont(dpi);
  font_.reset(CreateFontIndirectW(&message));
  // One cell per character, as wide as the layout wants it.
  LOGFONTW plus{};
  plus.lfHeight = message.lfHeight;
  plus.lfWidth = win::TwipsToPixels(kPlusCell, dpi);
  plus.lfWeight = FW_NORMAL;
  plus.lfCharSet = DEFAULT_CHARSET;
  plus.lfOutPrecision = OUT_TT_PRECIS;
  plus.lfQuality = DEFAULT_QUALITY;
  plus.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcscpy_s(plus.lfFaceName, L"Courier New");
  plusFont_.reset(CreateFontIndirectW(&plus));
}

void SettingsDialog::CreateControls() {
  for (const ControlLayout& c : kControls) {
    HWND control = CreateWindowExW(
        c.exStyle, c.className, c.caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | c.style, 0, 0,
        0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
    HGDIOBJ font = c.id == kLabel2Id ? plusFont_.get() : font_.get();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  for (int box = 0; box < kActivationBoxCount; ++box) {
    HWND combo = Control(kComboIds[box]);
    auto add = [combo](std::string_view name) {
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Widen(name).c_str()));
    };
    if (box == kActivationBoxCount - 1) {
      for (std::string_view name : KeyNames()) add(name);
    } else {
      for (std::string_view name : ModifierNames()) add(name);
    }
  }
}

void SettingsDialog::LayOut() {
  UINT dpi = win::WindowDpi(window_);
  auto px = [dpi](int twips) { return win::TwipsToPixels(twips, dpi); };
  RECT frame = WindowRectFor(px(kClientWidth), px(kClientHeight), dpi);
  SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlLayout& c : kControls) {
    MoveWindow(Control(c.id), px(c.left), px(c.top), px(c.width), px(c.height), TRUE);
  }
  // The plus signs stand level with the text of the boxes, whatever height the font gave them.
  RECT combo{};
  GetWindowRect(Control(kCombo1Id0), &combo);
  MoveWindow(Control(kLabel2Id), px(kLabel2Left), px(kComboTop), px(kLabel2Width),
             combo.bottom - combo.top, TRUE);
}

void SettingsDialog::CenterOnOwner() {
  HMONITOR monitor =
      MonitorFromWindow(owner_ != nullptr ? owner_ : window_, MONITOR_DEFAULTTOPRIMARY);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  GetMonitorInfoW(monitor, &info);
  RECT area = info.rcWork;
  if (owner_ != nullptr && IsWindowVisible(owner_) && !IsIconic(owner_)) {
    GetWindowRect(owner_, &area);
  }
  RECT r{};
  GetWindowRect(window_, &r);
  LONG width = r.right - r.left, height = r.bottom - r.top;
  LONG x = area.left + (area.right - area.left - width) / 2;
  LONG y = area.top + (area.bottom - area.top - height) / 2;
  // Never partly off the monitor's work area.
  x = std::max(info.rcWork.left, std::min(x, info.rcWork.right - width));
  y = std::max(info.rcWork.top, std::min(y, info.rcWork.bottom - height));
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SettingsDialog::Refresh() {
  if (window_ == nullptr) return;
  refreshing_ = true;
  HWND text = Control(kText1Id);
  if (WindowText(text) != model_.ListPath()) {
    SetWindowTextW(text, win::Widen(model_.ListPath()).c_str());
  }
  for (int i = 0; i < kSettingsCheckCount; ++i) {
    CheckDlgButton(window_, kCheckIds[i],
                   model_.Checked(CheckOfIndex(i)) ? BST_CHECKED : BST_UNCHECKED);
  }
  for (int box = 0; box < kActivationBoxCount; ++box) {
    const std::string& name = model_.ActivationBox(box);
    int index =
        box == kActivationBoxCount - 1 ? IndexOf(KeyNames(), name) : IndexOf(ModifierNames(), name);
    SendMessageW(Control(kComboIds[box]), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  EnableWindow(Control(kCommand2Id), model_.SaveChangesEnabled() ? TRUE : FALSE);
  EnableWindow(Control(kCommand4Id), model_.SaveHotkeyEnabled() ? TRUE : FALSE);
  refreshing_ = false;
}

bool SettingsDialog::ShowModal() {
  if (window_ == nullptr || IsWindowVisible(window_)) return false;
  saved_ = false;
  lastFocus_ = nullptr;
  model_.Activate();
  CenterOnOwner();
  bool ownerDisabled = owner_ != nullptr && IsWindowEnabled(owner_);
  if (ownerDisabled) EnableWindow(owner_, FALSE);
  ShowWindow(window_, SW_SHOW);
  SetForegroundWindow(window_);
  SetFocus(Control(kText1Id));

  // The dialog's own loop: the dialog keys for the dialog, everything else dispatched as the
  // main loop would, so that hotkeys, the tray icon and timers keep working.
  MSG message;
  while (model_.Visible() && IsWindow(window_)) {
    BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the main loop to see
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageW(window_, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (model_.Visible()) model_.Cancel();
  // The owner is enabled before the dialog goes, so that it is the window activated next.
  if (ownerDisabled) EnableWindow(owner_, TRUE);
  if (IsWindow(window_)) ShowWindow(window_, SW_HIDE);
  return saved_;
}

LRESULT CALLBACK SettingsDialog::StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                                  LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    static_cast<SettingsDialog*>(create->lpCreateParams)->window_ = window;
  }
  auto* self = reinterpret_cast<SettingsDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  // No exception may leave a window procedure.
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (...) {
    return 0;
  }
}

LRESULT SettingsDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE:
      // The close box and Alt+F4 do what Esc does.
      OnCommand(kCommand3Id, BN_CLICKED);
      return 0;
    case WM_ACTIVATE:
      // The focus goes back to where it was when a message box or another window took it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) lastFocus_ = focus;
      } else {
        HWND focus = lastFocus_ != nullptr && IsWindow(lastFocus_) ? lastFocus_ : Control(kText1Id);
        SetFocus(focus);
      }
      return 0;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
      CreateFonts();
      for (const ControlLayout& c : kControls) {
        HGDIOBJ font = c.id == kLabel2Id ? plusFont_.get() : font_.get();
        SendMessageW(Control(c.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
      }
      LayOut();
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

void SettingsDialog::OnCommand(int id, int notification) {
  if (id == kText1Id) {
    if (notification == EN_CHANGE && !refreshing_) {
      model_.SetListPath(WindowText(Control(kText1Id)));
    }
    return;
  }
  for (int box = 0; box < kActivationBoxCount; ++box) {
    if (id != kComboIds[box]) continue;
    if (notification == CBN_SELCHANGE) {
      auto index = static_cast<std::size_t>(SendMessageW(Control(id), CB_GETCURSEL, 0, 0));
      if (box == kActivationBoxCount - 1 && index < KeyNames().size()) {
        model_.ChooseActivation(box, KeyNames()[index]);
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
      SaveHotkeyOutcome outcome = model_.SaveHotkey(grid_, hotkeys_, messageBoxes_);
      // After a refusal the user has to choose again, in the boxes.
      SetFocus(Control(outcome == SaveHotkeyOutcome::kSaved ? kText1Id : kCombo1Id0));
      break;
    }
    default:
      break;
  }
}

}  // namespace tarvek
