#include "editor/launch_options_dialog.h"

#include <shlobj.h>

#include <array>

#include "core/input/typed_text.h"
#include "win/system/on_demand.h"
#include "win/system/strings.h"
#include "win/system/unique_handle.h"

namespace tarvek {

using namespace launch_options_ids;

namespace {

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | kTab;
// Enter in the text makes a new line there; Esc still cancels.
constexpr DWORD kTextBox = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | kTab;
constexpr int kLabelLeft = 240, kLabelWidth = 1380, kBoxLeft = 1680, kBoxWidth = 3480;
constexpr int kRow = 420, kTop = 240;
constexpr int kWideWidth = kBoxLeft + kBoxWidth - kLabelLeft;  // from the labels to the boxes' end
// The text's box has room for about four lines of the message font.
constexpr int kTextBoxTop = kTop + 300, kTextBoxHeight = 1140;
constexpr int kChooseWidth = 960;

// The launch's five rows, or the text in their place; the rows of both below.
constexpr int RowsBelow(bool typesText) {
  return typesText ? kTextBoxTop + kTextBoxHeight + 120 : kTop + 5 * kRow;
}

// The note under the scope's programs: two lines of the message font.
constexpr int kNoteHeight = 540;

constexpr win::WindowLayout WindowFor(bool typesText) {
  return {L"TarvekHotKeyLaunchOptions", L"启动选项", 5400,
          RowsBelow(typesText) + 3 * kRow + kNoteHeight + 720};
}

// In creation order: the tab order, each label before what it names. Both modes make every
// control; the other mode's own ones are hidden.
constexpr std::array<win::ControlLayout, 20> ControlsFor(bool typesText) {
  const int below = RowsBelow(typesText);
  const int afterNote = below + 2 * kRow + kNoteHeight + 60;
  return {{
      {kTextLabelId, L"STATIC", L"要输入的文本：", kLabel, 0, kLabelLeft, kTop + 45, kWideWidth,
       240},
      {kTextId, L"EDIT", L"", kTextBox, WS_EX_CLIENTEDGE, kLabelLeft, kTextBoxTop, kWideWidth,
       kTextBoxHeight},
      {kArgumentsLabelId, L"STATIC", L"参数：", kLabel, 0, kLabelLeft, kTop + 45, kLabelWidth, 240},
      {kArgumentsId, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, kBoxLeft, kTop,
       kBoxWidth, 330},
      {kStartInLabelId, L"STATIC", L"起始位置：", kLabel, 0, kLabelLeft, kTop + kRow + 45,
       kLabelWidth, 240},
      {kStartInId, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, kBoxLeft, kTop + kRow,
       kBoxWidth - 540, 330},
      {kBrowseId, L"BUTTON", L"...", BS_PUSHBUTTON | kTab, 0, kBoxLeft + kBoxWidth - 480,
       kTop + kRow, 480, 330},
      {kWindowLabelId, L"STATIC", L"窗口：", kLabel, 0, kLabelLeft, kTop + 2 * kRow + 45,
       kLabelWidth, 240},
      {kWindowId, L"COMBOBOX", L"", kList, 0, kBoxLeft, kTop + 2 * kRow, kBoxWidth, 1500},
      {kIfRunningLabelId, L"STATIC", L"程序已运行时：", kLabel, 0, kLabelLeft, kTop + 3 * kRow + 45,
       kLabelWidth, 240},
      {kIfRunningId, L"COMBOBOX", L"", kList, 0, kBoxLeft, kTop + 3 * kRow, kBoxWidth, 1500},
      {kAdminId, L"BUTTON", L"以管理员身份运行", BS_AUTOCHECKBOX | kTab, 0, kLabelLeft,
       kTop + 4 * kRow + 30, kWideWidth, 270},
      {kScopeLabelId, L"STATIC", kScopeLabelCaption, kLabel, 0, kLabelLeft, below + 45, kLabelWidth, 240},
      {kScopeId, L"COMBOBOX", L"", kList, 0, kBoxLeft, below, kBoxWidth, 1500},
      {kProgramsId, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, kBoxLeft, below + kRow,
       kBoxWidth - kChooseWidth - 60, 330},
      {kChooseProgramId, L"BUTTON", kChooseProgramCaption, BS_PUSHBUTTON | kTab, 0,
       kBoxLeft + kBoxWidth - kChooseWidth, below + kRow, kChooseWidth, 330},
      // The hook that watches such a binding's key does not see the keys that go to a program
      // running at a higher level than this one.
      {kScopeNoteId, L"STATIC", L"以管理员身份运行的程序在前台时，带“适用于”条件的热键不起作用。",
       kLabel, 0, kBoxLeft, below + 2 * kRow, kBoxWidth, kNoteHeight},
      {kEnabledId, L"BUTTON", L"启用此热键", BS_AUTOCHECKBOX | kTab, 0, kLabelLeft, afterNote,
       kWideWidth, 270},
      {kOkId, L"BUTTON", L"确定", BS_DEFPUSHBUTTON | kTab, 0, 2880, afterNote + kRow + 60, 1080,
       405},
      {kCancelId, L"BUTTON", L"取消", BS_PUSHBUTTON | kTab, 0, 4080, afterNote + kRow + 60, 1080,
       405},
  }};
}

constexpr auto kLaunchControls = ControlsFor(false);
constexpr auto kTextControls = ControlsFor(true);
static_assert(kLaunchControls.back().id == kCancelId, "every control has its row in the table");

// The rows of a launch, which a binding that types a text has no use for.
constexpr int kLaunchRowIds[] = {
    kArgumentsLabelId, kArgumentsId, kStartInLabelId,   kStartInId,   kBrowseId,
    kWindowLabelId,    kWindowId,    kIfRunningLabelId, kIfRunningId, kAdminId};

}  // namespace

LaunchOptionsDialog::LaunchOptionsDialog(LaunchOptionsModel& model)
    : DialogWindow(WindowFor(model.TypesText()),
                   model.TypesText() ? kTextControls : kLaunchControls),
      model_(model),
      scopeRow_(*this, {kScopeId, kProgramsId, kChooseProgramId}) {}

bool LaunchOptionsDialog::Run(HINSTANCE instance, HWND owner) {
  if (!Create(instance, owner)) return false;
  RunModal();
  return confirmed_;
}

void LaunchOptionsDialog::OnCreated() {
  const bool typesText = model_.TypesText();
  for (int id : kLaunchRowIds) ShowWindow(Control(id), typesText ? SW_HIDE : SW_SHOW);
  for (int id : {kTextLabelId, kTextId}) ShowWindow(Control(id), typesText ? SW_SHOW : SW_HIDE);
  // As much as a binding types; the box's own limit would be far less.
  SendMessageW(Control(kTextId), EM_SETLIMITTEXT, kMaxTypedTextUnits, 0);
  SetText(kTextId, model_.text);
  SetText(kArgumentsId, model_.arguments);
  SetText(kStartInId, model_.startIn);
  SetListItems(kWindowId, kWindowChoices, model_.window);
  SetListItems(kIfRunningId, kIfRunningChoices, model_.ifRunning);
  SetChecked(kAdminId, model_.admin);
  SetChecked(kEnabledId, model_.enabled);
  scopeRow_.Show(model_.scope, model_.programs);
}

HWND LaunchOptionsDialog::DefaultFocus() const {
  return Control(model_.TypesText() ? kTextId : kArgumentsId);
}

void LaunchOptionsDialog::TakeBoxes() {
  model_.text = Text(kTextId);
  model_.arguments = Text(kArgumentsId);
  model_.startIn = Text(kStartInId);
  model_.window = Selected(kWindowId);
  model_.ifRunning = Selected(kIfRunningId);
  model_.admin = Checked(kAdminId);
  model_.enabled = Checked(kEnabledId);
  model_.scope = scopeRow_.Scope();
  model_.programs = scopeRow_.Programs();
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
  if (scopeRow_.OnCommand(id, notification) || notification != BN_CLICKED) return;
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
