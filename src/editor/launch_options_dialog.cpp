#include "editor/launch_options_dialog.h"

#include <shlobj.h>

#include "win/on_demand.h"
#include "win/strings.h"

namespace tarvek {

using namespace launch_options_ids;

namespace {

constexpr win::WindowLayout kWindow{L"TarvekHotKeyLaunchOptions", L"启动选项", 5400, 3420};

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | kTab;
constexpr int kLabelLeft = 240, kLabelWidth = 1380, kBoxLeft = 1680, kBoxWidth = 3480;
constexpr int kRow = 420, kTop = 240;

// In creation order: the tab order, each label before what it names.
constexpr win::ControlLayout kControls[] = {
    {kArgumentsLabelId, L"STATIC", L"参数：", kLabel, 0, kLabelLeft, kTop + 45, kLabelWidth, 240},
    {kArgumentsId, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, kBoxLeft, kTop, kBoxWidth, 330},
    {kStartInLabelId, L"STATIC", L"起始位置：", kLabel, 0, kLabelLeft, kTop + kRow + 45, kLabelWidth, 240},
    {kStartInId, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, kBoxLeft, kTop + kRow,
     kBoxWidth - 540, 330},
    {kBrowseId, L"BUTTON", L"...", BS_PUSHBUTTON | kTab, 0, kBoxLeft + kBoxWidth - 480, kTop + kRow, 480, 330},
    {kWindowLabelId, L"STATIC", L"窗口：", kLabel, 0, kLabelLeft, kTop + 2 * kRow + 45, kLabelWidth, 240},
    {kWindowId, L"COMBOBOX", L"", kList, 0, kBoxLeft, kTop + 2 * kRow, kBoxWidth, 1500},
    {kIfRunningLabelId, L"STATIC", L"程序已运行时：", kLabel, 0, kLabelLeft, kTop + 3 * kRow + 45,
     kLabelWidth, 240},
    {kIfRunningId, L"COMBOBOX", L"", kList, 0, kBoxLeft, kTop + 3 * kRow, kBoxWidth, 1500},
    {kAdminId, L"BUTTON", L"以管理员身份运行", BS_AUTOCHECKBOX | kTab, 0, kLabelLeft, kTop + 4 * kRow + 30,
     4920, 270},
    {kEnabledId, L"BUTTON", L"启用此热键", BS_AUTOCHECKBOX | kTab, 0, kLabelLeft, kTop + 5 * kRow, 4920, 270},
    {kOkId, L"BUTTON", L"确定", BS_DEFPUSHBUTTON | kTab, 0, 2880, kTop + 6 * kRow + 60, 1080, 405},
    {kCancelId, L"BUTTON", L"取消", BS_PUSHBUTTON | kTab, 0, 4080, kTop + 6 * kRow + 60, 1080, 405},
};

template <typename Items>
void FillList(HWND box, const Items& items, int selected) {
  for (const auto& item : items) {
    SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::Widen(item).c_str()));
  }
  SendMessageW(box, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int Selected(HWND box) { return static_cast<int>(SendMessageW(box, CB_GETCURSEL, 0, 0)); }

void Tick(HWND box, bool ticked) {
  SendMessageW(box, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool Ticked(HWND box) { return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

}  // namespace

LaunchOptionsDialog::LaunchOptionsDialog(LaunchOptionsModel& model)
    : DialogWindow(kWindow, kControls), model_(model) {}

bool LaunchOptionsDialog::Run(HINSTANCE instance, HWND owner) {
  if (!Create(instance, owner)) return false;
  RunModal();
  return confirmed_;
}

void LaunchOptionsDialog::OnCreated() {
  SetText(kArgumentsId, model_.arguments);
  SetText(kStartInId, model_.startIn);
  FillList(Control(kWindowId), kWindowChoices, model_.window);
  FillList(Control(kIfRunningId), kIfRunningChoices, model_.ifRunning);
  Tick(Control(kAdminId), model_.admin);
  Tick(Control(kEnabledId), model_.enabled);
}

void LaunchOptionsDialog::TakeBoxes() {
  model_.arguments = Text(kArgumentsId);
  model_.startIn = Text(kStartInId);
  model_.window = Selected(Control(kWindowId));
  model_.ifRunning = Selected(Control(kIfRunningId));
  model_.admin = Ticked(Control(kAdminId));
  model_.enabled = Ticked(Control(kEnabledId));
}

void LaunchOptionsDialog::ChooseFolder() {
  BROWSEINFOW info{};
  info.hwndOwner = window_;
  std::wstring title = win::Widen("选择程序的起始位置：");
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  std::optional<std::string> chosen;
  {
    win::ModalScope scope;
    win::EnsureCom();  // the folder browser wants COM; ole32 stays unloaded until here
    if (PIDLIST_ABSOLUTE list = SHBrowseForFolderW(&info); list != nullptr) {
      // Room for a folder deeper than the old limit of 260 characters.
      std::wstring path(32768, L'\0');
      if (SHGetPathFromIDListEx(list, path.data(), static_cast<DWORD>(path.size()), GPFIDL_DEFAULT)) {
        chosen = win::Narrow(path.c_str());
      }
      ILFree(list);  // the shell's own free: no import of ole32 at start
    }
  }
  TakeBoxes();
  model_.FolderChosen(chosen);
  SetText(kStartInId, model_.startIn);
}

void LaunchOptionsDialog::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  switch (id) {
    case kBrowseId:
      ChooseFolder();
      break;
    case kOkId:
      TakeBoxes();
      confirmed_ = true;
      EndModal();
      break;
    case kCancelId:
      EndModal();
      break;
    default:
      break;
  }
}

}  // namespace tarvek
