#include "abbreviations/abbreviation_edit_dialog.h"

#include <array>

#include "core/input/typed_text.h"
#include "core/ports.h"

namespace tarvek {

using namespace abbreviation_edit_ids;

namespace {

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
// Enter in the text makes a new line there; Esc still cancels.
constexpr DWORD kTextBox = ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | kTab;
constexpr int kLabelLeft = 240, kLabelWidth = 1020, kBoxLeft = 1320, kBoxWidth = 4440;
constexpr int kRow = 420, kTop = 240;
constexpr int kChooseWidth = 960, kButtonWidth = 1080;
// The text's box has room for about five lines of the message font.
constexpr int kTextTop = kTop + kRow, kTextHeight = 1500;
constexpr int kChecksTop = kTextTop + kTextHeight + 120;
constexpr int kScopeTop = kChecksTop + 2 * 360 + 60;
constexpr int kButtonsTop = kScopeTop + 2 * kRow + 120;
constexpr int kRight = kBoxLeft + kBoxWidth;

// Its title is set for an add or a change when it is made.
constexpr win::WindowLayout kWindow{L"TarvekHotKeyAbbreviation", L"添加缩写", kRight + 240,
                                    kButtonsTop + 405 + 240};

// In creation order: the tab order, each label before what it names.
constexpr std::array<win::ControlLayout, 12> kControls = {{
    {kAbbreviationLabelId, L"STATIC", L"缩写：", kLabel, 0, kLabelLeft, kTop + 45, kLabelWidth,
     240},
    {kAbbreviationId, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, kBoxLeft, kTop, 2400,
     330},
    {kTextLabelId, L"STATIC", L"替换为：", kLabel, 0, kLabelLeft, kTextTop + 45, kLabelWidth, 240},
    {kTextId, L"EDIT", L"", kTextBox, WS_EX_CLIENTEDGE, kBoxLeft, kTextTop, kBoxWidth, kTextHeight},
    {kImmediateId, L"BUTTON", L"立即替换（不等结束符）", BS_AUTOCHECKBOX | kTab, 0, kBoxLeft,
     kChecksTop, kBoxWidth, 270},
    {kInWordId, L"BUTTON", L"词中也替换", BS_AUTOCHECKBOX | kTab, 0, kBoxLeft, kChecksTop + 360,
     kBoxWidth, 270},
    {kScopeLabelId, L"STATIC", kScopeLabelCaption, kLabel, 0, kLabelLeft, kScopeTop + 45,
     kLabelWidth, 240},
    {kScopeId, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | kTab, 0, kBoxLeft, kScopeTop,
     kBoxWidth, 1500},
    {kProgramsId, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, kBoxLeft, kScopeTop + kRow,
     kBoxWidth - kChooseWidth - 60, 330},
    {kChooseProgramId, L"BUTTON", kChooseProgramCaption, BS_PUSHBUTTON | kTab, 0,
     kRight - kChooseWidth, kScopeTop + kRow, kChooseWidth, 330},
    {kOkId, L"BUTTON", L"确定", BS_DEFPUSHBUTTON | kTab, 0, kRight - 2 * kButtonWidth - 120,
     kButtonsTop, kButtonWidth, 405},
    {kCancelId, L"BUTTON", L"取消", BS_PUSHBUTTON | kTab, 0, kRight - kButtonWidth, kButtonsTop,
     kButtonWidth, 405},
}};

}  // namespace

AbbreviationEditDialog::AbbreviationEditDialog(AbbreviationsModel& table,
                                               std::optional<std::size_t> editing)
    : DialogWindow(kWindow, kControls),
      table_(table),
      editing_(editing && *editing < table.Count() ? editing : std::nullopt),
      scopeRow_(*this, {kScopeId, kProgramsId, kChooseProgramId}) {}

std::optional<std::size_t> AbbreviationEditDialog::Run(HINSTANCE instance, HWND owner) {
  if (!Create(instance, owner)) return std::nullopt;
  RunModal();
  return row_;
}

void AbbreviationEditDialog::OnCreated() {
  SetTitle(editing_ ? kChangeAbbreviationTitle : kAddAbbreviationTitle);
  const AbbreviationFields fields =
      editing_ ? AbbreviationFields::Of(table_.Entries()[*editing_]) : AbbreviationFields{};
  // Room for a name too long, so that the user is told the limit rather than cut short.
  SendMessageW(Control(kAbbreviationId), EM_SETLIMITTEXT, 4 * kMaxAbbreviationLength, 0);
  // As much as a binding types; the box's own limit would be far less.
  SendMessageW(Control(kTextId), EM_SETLIMITTEXT, kMaxTypedTextUnits, 0);
  SetText(kAbbreviationId, fields.abbreviation);
  SetText(kTextId, fields.text);
  SetChecked(kImmediateId, fields.immediate);
  SetChecked(kInWordId, fields.inWord);
  scopeRow_.Show(fields.scope, fields.programs);
  AddToolTip(kImmediateId, L"打完缩写的最后一个字符就替换，不必再打空格、标点或回车");
  AddToolTip(kInWordId, L"缩写在一个较长的词的末尾时也替换，如 xaddr 中的 addr");
}

HWND AbbreviationEditDialog::DefaultFocus() const {
  // A change is mostly of the text; an add starts with the abbreviation.
  return Control(editing_ ? kTextId : kAbbreviationId);
}

void AbbreviationEditDialog::Confirm() {
  AbbreviationFields fields;
  fields.abbreviation = Text(kAbbreviationId);
  fields.text = Text(kTextId);
  fields.immediate = Checked(kImmediateId);
  fields.inWord = Checked(kInWordId);
  fields.scope = scopeRow_.Scope();
  fields.programs = scopeRow_.Programs();
  const AbbreviationsModel::Outcome outcome = table_.Put(fields.Entry(), editing_);
  if (outcome.refusal) {
    Messages().ShowMessageBox(
        outcome.refusal->message,
        editing_ ? std::string(kChangeAbbreviationTitle) : std::string(kAddAbbreviationTitle),
        kMbIconExclamation | kMbOk);
    HWND box = Control(outcome.refusal->aboutText ? kTextId : kAbbreviationId);
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    return;
  }
  row_ = outcome.row;
  EndModal();
}

void AbbreviationEditDialog::OnCommand(int id, int notification) {
  if (scopeRow_.OnCommand(id, notification) || notification != BN_CLICKED) return;
  if (id == kOkId) Confirm();
  if (id == kCancelId) EndModal();
}

}  // namespace tarvek
