#include "lists/import_list_dialog.h"

#include "settings/settings_dialog_model.h"

namespace tarvek {

using namespace import_list_ids;

namespace {

constexpr win::WindowLayout kWindow{L"TarvekHotKeyImportList", L"导入列表", 5040, 3900};

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kButton = BS_PUSHBUTTON | kTab;

// In creation order: the tab order, the frame under all.
constexpr win::ControlLayout kControls[] = {
    {kList1Id, L"LISTBOX", L"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | kTab,
     WS_EX_CLIENTEDGE, 240, 330, 2940, 3300},
    {kCommand1Id, L"BUTTON", L"确定 &Y", BS_DEFPUSHBUTTON | kTab | WS_DISABLED, 0, 3480, 330, 1440,
     400},
    {kCommand3Id, L"BUTTON", L"运行时加载 &R", kButton | WS_DISABLED, 0, 3480, 810, 1440, 400},
    {kCommand2Id, L"BUTTON", L"取消 &C", kButton, 0, 3480, 1290, 1440, 400},
    {kCommand4Id, L"BUTTON", L"*", kButton, 0, 4590, 3300, 330, 330},
    {kFrame1Id, L"BUTTON", L"列表名称", BS_GROUPBOX, 0, 120, 60, 3180, 3720},
};

}  // namespace

ImportListDialog::ImportListDialog(ImportListModel& model)
    : DialogWindow(kWindow, kControls), model_(model) {}

ImportListDialog::~ImportListDialog() { model_.onChanged = nullptr; }

bool ImportListDialog::Create(HINSTANCE instance, HWND owner) {
  if (!DialogWindow::Create(instance, owner)) return false;
  model_.onChanged = [this] { Refresh(); };
  Refresh();
  return true;
}

void ImportListDialog::OnCreated() {
  AddToolTip(kCommand1Id, L"加载此列表文件");
  AddToolTip(kCommand3Id, L"软件运行是自动加载此列表文件");
  AddToolTip(kCommand4Id, L"导入其他文件夹中的列表文件");
}

void ImportListDialog::Refresh() {
  if (window_ == nullptr) return;
  refreshing_ = true;
  HWND list = Control(kList1Id);
  if (listsShown_ != model_.Lists()) {
    listsShown_ = model_.Lists();
    win::SetListBoxItems(list, NamesOf(listsShown_));
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(model_.Selected()), 0);
  Enable(kCommand1Id, model_.ImportEnabled());
  Enable(kCommand3Id, model_.LoadAtStartEnabled());
  refreshing_ = false;
}

void ImportListDialog::ShowModal() {
  if (window_ == nullptr || IsWindowVisible(window_)) return;
  model_.Activate();
  RunModal();
}

void ImportListDialog::ChooseFile() {
  win::FileDialogOptions options;
  options.filter = kListFileFilter;
  options.defaultExtension = kListFileDefaultExtension;
  options.folder = model_.ListFolder();
  options.flags |= OFN_FILEMUSTEXIST;
  model_.ImportFile(FileDialog(options));
}

void ImportListDialog::OnCommand(int id, int notification) {
  if (id == kList1Id) {
    if (notification == LBN_SELCHANGE && !refreshing_) {
      model_.ClickName(static_cast<int>(SendMessageW(Control(kList1Id), LB_GETCURSEL, 0, 0)));
    }
    return;
  }
  // Buttons: a click, Space, an access key, Enter ("确定 &Y") or Esc ("取消 &C"). An access key
  // or Enter reaches a disabled button too; a disabled button does nothing.
  if (notification != BN_CLICKED) return;
  if (HWND button = Control(id); button == nullptr || !IsWindowEnabled(button)) return;
  switch (id) {
    case kCommand1Id:
      model_.Import();
      break;
    case kCommand3Id:
      model_.LoadAtStart();
      break;
    case kCommand2Id:
      model_.Cancel();
      break;
    case kCommand4Id:
      ChooseFile();
      break;
    default:
      break;
  }
  // "运行时加载 &R" disables itself: the names take the keyboard.
  // Disabling the focused button leaves no focus at all, and without one the keys reach the
  // window as system keys, which the dialog keys (Esc, Enter, Tab) never see.
  HWND focus = GetFocus();
  bool lost = focus == nullptr || !IsWindowEnabled(focus);
  if (lost && model_.Visible() && GetActiveWindow() == window_) {
    SetFocus(Control(kList1Id));
  }
}

}  // namespace tarvek
