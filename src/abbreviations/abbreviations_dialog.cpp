#include "abbreviations/abbreviations_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "abbreviations/abbreviation_edit_dialog.h"
#include "win/system/strings.h"
#include "win/windows/dpi.h"

namespace tarvek {

using namespace abbreviations_ids;

namespace {

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;
constexpr int kMargin = 240, kListWidth = 8640, kListHeight = 4200;
constexpr int kButtonWidth = 1080, kButtonGap = 120;
constexpr int kButtonsTop = kMargin + kListHeight + 180;
constexpr int kRight = kMargin + kListWidth;

constexpr win::WindowLayout kWindow{L"TarvekHotKeyAbbreviations", L"缩写替换", kRight + kMargin,
                                    kButtonsTop + 405 + kMargin};

constexpr int ButtonLeft(int i) { return kMargin + i * (kButtonWidth + kButtonGap); }

// The list draws its rows from the model as they come into view (LVS_OWNERDATA): it holds none.
constexpr std::array<win::ControlLayout, 6> kControls = {{
    {kListId, WC_LISTVIEWW, L"",
     LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | kTab, WS_EX_CLIENTEDGE,
     kMargin, kMargin, kListWidth, kListHeight},
    {kAddId, L"BUTTON", L"添加", BS_PUSHBUTTON | kTab, 0, ButtonLeft(0), kButtonsTop, kButtonWidth,
     405},
    {kChangeId, L"BUTTON", L"修改", BS_PUSHBUTTON | kTab, 0, ButtonLeft(1), kButtonsTop,
     kButtonWidth, 405},
    {kDeleteId, L"BUTTON", L"删除", BS_PUSHBUTTON | kTab, 0, ButtonLeft(2), kButtonsTop,
     kButtonWidth, 405},
    {kOkId, L"BUTTON", L"确定", BS_DEFPUSHBUTTON | kTab, 0, kRight - 2 * kButtonWidth - kButtonGap,
     kButtonsTop, kButtonWidth, 405},
    {kCancelId, L"BUTTON", L"取消", BS_PUSHBUTTON | kTab, 0, kRight - kButtonWidth, kButtonsTop,
     kButtonWidth, 405},
}};

struct Column {
  const wchar_t* header;
  int width;  // twips; together a little less than the list, leaving room for its scroll bar
};
constexpr Column kColumns[kAbbreviationColumns] = {
    {L"缩写", 1380}, {L"替换为", 4020}, {L"适用于", 2700}};

}  // namespace

AbbreviationsDialog::AbbreviationsDialog(std::vector<Abbreviation> entries)
    : DialogWindow(kWindow, kControls), model_(std::move(entries)) {}

std::optional<std::vector<Abbreviation>> AbbreviationsDialog::Run(HINSTANCE instance, HWND owner) {
  if (!Create(instance, owner)) return std::nullopt;
  RunModal();
  if (!confirmed_) return std::nullopt;
  return model_.Entries();
}

void AbbreviationsDialog::OnCreated() {
  HWND list = Control(kListId);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  for (int c = 0; c < kAbbreviationColumns; ++c) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.pszText = const_cast<wchar_t*>(kColumns[c].header);
    column.cx = Px(kColumns[c].width);
    column.iSubItem = c;
    ListView_InsertColumn(list, c, &column);
  }
  columnsMade_ = true;
  ShowRows(model_.Count() > 0 ? std::optional<std::size_t>(0) : std::nullopt);
}

void AbbreviationsDialog::LayOut() {
  DialogWindow::LayOut();
  if (!columnsMade_) return;  // made at the window's DPI in OnCreated
  for (int c = 0; c < kAbbreviationColumns; ++c) {
    ListView_SetColumnWidth(Control(kListId), c, Px(kColumns[c].width));
  }
}

std::optional<std::size_t> AbbreviationsDialog::Current() const {
  const int row = ListView_GetNextItem(Control(kListId), -1, LVNI_SELECTED);
  if (row < 0 || static_cast<std::size_t>(row) >= model_.Count()) return std::nullopt;
  return static_cast<std::size_t>(row);
}

void AbbreviationsDialog::ShowRows(std::optional<std::size_t> select) {
  HWND list = Control(kListId);
  ListView_SetItemCountEx(list, static_cast<int>(model_.Count()), LVSICF_NOSCROLL);
  InvalidateRect(list, nullptr, TRUE);
  if (select && *select < model_.Count()) {
    const int row = static_cast<int>(*select);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_EnsureVisible(list, row, FALSE);
  }
  ShowButtons();
}

void AbbreviationsDialog::ShowButtons() {
  const bool selected = Current().has_value();
  Enable(kChangeId, selected);
  Enable(kDeleteId, selected);
}

void AbbreviationsDialog::Edit(std::optional<std::size_t> row) {
  AbbreviationEditDialog dialog(model_, row);
  if (std::optional<std::size_t> put = dialog.Run(instance_, window_)) ShowRows(put);
  SetFocus(Control(kListId));
}

void AbbreviationsDialog::Delete() {
  if (std::optional<std::size_t> row = Current()) ShowRows(model_.Delete(*row));
  SetFocus(Control(kListId));
}

void AbbreviationsDialog::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  switch (id) {
    case kAddId:
      Edit(std::nullopt);
      break;
    case kChangeId:
      if (Current()) Edit(Current());
      break;
    case kDeleteId:
      Delete();
      break;
    case kOkId:
      // Enter in the list changes the row it is on; 确定 itself, clicked or with the focus on
      // it, keeps the table.
      if (GetFocus() == Control(kListId) && Current()) {
        Edit(Current());
        break;
      }
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

std::optional<LRESULT> AbbreviationsDialog::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_NOTIFY) return std::nullopt;
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header == nullptr || header->idFrom != kListId) return std::nullopt;
  return OnListNotify(header);
}

std::optional<LRESULT> AbbreviationsDialog::OnListNotify(NMHDR* header) {
  switch (header->code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
      if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        cell_ = win::Widen(model_.Cell(static_cast<std::size_t>(item.iItem), item.iSubItem));
        // Copied into the list's own buffer: it may be another program's that reads the list.
        lstrcpynW(item.pszText, cell_.c_str(), item.cchTextMax);
      }
      return 0;
    }
    case LVN_ODFINDITEMW: {
      // Typing in the list goes to the first abbreviation that begins so.
      const LVFINDINFOW& find = reinterpret_cast<NMLVFINDITEMW*>(header)->lvfi;
      if ((find.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.psz == nullptr) return -1;
      const std::optional<std::size_t> row = model_.FindStarting(
          win::Narrow(find.psz),
          static_cast<std::size_t>(std::max(0, reinterpret_cast<NMLVFINDITEMW*>(header)->iStart)));
      return row ? static_cast<LRESULT>(*row) : -1;
    }
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
      ShowButtons();
      return 0;
    case NM_DBLCLK:
      if (reinterpret_cast<NMITEMACTIVATE*>(header)->iItem >= 0 && Current()) Edit(Current());
      return 0;
    case LVN_KEYDOWN:
      if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) Delete();
      return 0;
    default:
      return std::nullopt;
  }
}

}  // namespace tarvek
