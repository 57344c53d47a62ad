#include "lists/save_list_dialog.h"

#include "win/windows/input_box.h"
#include "win/system/strings.h"

namespace tarvek {

using namespace save_list_ids;

namespace {

constexpr win::WindowLayout kWindow{L"TarvekHotKeySaveList", L"保存列表", 5160, 3900};

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kButton = BS_PUSHBUTTON | kTab;

// In creation order: the tab order, the label before the box it names, the frame under all.
constexpr win::ControlLayout kControls[] = {
    {kLabel1Id, L"STATIC", L"列表名称：", SS_LEFT | SS_NOPREFIX, 0, 180, 225, 1080, 240},
    {kText1Id, L"EDIT", L"常用热键", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, 1260, 180, 2460, 330},
    {kCommand1Id, L"BUTTON", L"保存 &Y", BS_DEFPUSHBUTTON | kTab, 0, 3900, 150, 1100, 400},
    {kList1Id, L"LISTBOX", L"", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | kTab,
     WS_EX_CLIENTEDGE, 240, 930, 3360, 2700},
    {kCommand3Id, L"BUTTON", L"删除 &D", kButton | WS_DISABLED, 0, 3900, 930, 1100, 400},
    {kCommand4Id, L"BUTTON", L"改名 &R", kButton | WS_DISABLED, 0, 3900, 1410, 1100, 400},
    {kCommand2Id, L"BUTTON", L"取消 &C", kButton, 0, 3900, 3360, 1100, 400},
    {kFrame1Id, L"BUTTON", L"列表名称", BS_GROUPBOX, 0, 120, 660, 3600, 3120},
};

}  // namespace

SaveListDialog::SaveListDialog(SaveListModel& model)
    : DialogWindow(kWindow, kControls), model_(model) {}

SaveListDialog::~SaveListDialog() {
  model_.onChanged = nullptr;
  model_.askNewName = nullptr;
  model_.UseDialogs(nullptr);
}

bool SaveListDialog::Create(HINSTANCE instance, HWND owner) {
  if (!DialogWindow::Create(instance, owner)) return false;
  model_.UseDialogs(&Messages());
  model_.askNewName = [this](const std::string& preset) {
    return win::InputBox(window_, "请输入新的列表文件名:", "列表改名", preset);
  };
  model_.onChanged = [this] { Refresh(); };
  Refresh();
  return true;
}

void SaveListDialog::Refresh() {
  if (window_ == nullptr) return;
  refreshing_ = true;
  // Only a text that differs is set, so that the caret stays where the user types.
  if (Text(kText1Id) != model_.NameText()) SetText(kText1Id, model_.NameText());
  HWND list = Control(kList1Id);
  if (listsShown_ != model_.Lists()) {
    listsShown_ = model_.Lists();
    win::SetListBoxItems(list, NamesOf(listsShown_));
  }
  SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(model_.Selected()), 0);
  Enable(kCommand1Id, model_.SaveEnabled());
  Enable(kCommand3Id, model_.DeleteEnabled());
  Enable(kCommand4Id, model_.RenameEnabled());
  refreshing_ = false;
}

void SaveListDialog::ShowModal() {
  if (window_ == nullptr || IsWindowVisible(window_)) return;
  model_.Activate();
  RunModal();
}

void SaveListDialog::OnCommand(int id, int notification) {
  if (id == kText1Id) {
    if (notification == EN_CHANGE && !refreshing_) model_.SetNameText(Text(kText1Id));
    // The whole name is selected whenever the box gets the focus, so that typing replaces it;
    // posted, so that a click into the box, which places the caret, comes first.
    if (notification == EN_SETFOCUS) PostMessageW(Control(kText1Id), EM_SETSEL, 0, -1);
    return;
  }
  if (id == kList1Id) {
    if (notification == LBN_SELCHANGE && !refreshing_) {
      model_.ClickName(static_cast<int>(SendMessageW(Control(kList1Id), LB_GETCURSEL, 0, 0)));
    }
    return;
  }
  // Buttons: a click, Space, an access key, Enter ("保存 &Y") or Esc ("取消 &C"). An access key
  // or Enter reaches a disabled button too; a disabled button does nothing.
  if (notification != BN_CLICKED) return;
  if (HWND button = Control(id); button == nullptr || !IsWindowEnabled(button)) return;
  switch (id) {
    case kCommand1Id:
      // A refused name is typed again: the box takes the focus and selects it whole.
      if (model_.Save() != SaveListOutcome::kSaved) SetFocus(Control(kText1Id));
      break;
    case kCommand3Id:
      model_.Delete();
      break;
    case kCommand4Id:
      model_.Rename();
      break;
    case kCommand2Id:
      model_.Cancel();
      break;
    default:
      break;
  }
  // A button that disabled itself cannot keep the keyboard: the names take it.
  // Disabling the focused button leaves no focus at all, and without one the keys reach the
  // window as system keys, which the dialog keys (Esc, Enter, Tab) never see.
  HWND focus = GetFocus();
  bool lost = focus == nullptr || !IsWindowEnabled(focus);
  if (lost && model_.Visible() && GetActiveWindow() == window_) {
    SetFocus(Control(kList1Id));
  }
}

}  // namespace tarvek
