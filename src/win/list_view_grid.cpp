#include "win/list_view_grid.h"

#include <commctrl.h>

#include "win/dpi.h"
#include "win/strings.h"

namespace tarvek::win {

ListViewGrid::ListViewGrid(HWND parent, int controlId,
                           const std::array<std::string, kGridColumns>& headers)
    : headers_(headers) {
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                          0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                          GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                                               LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER);
  UINT dpi = WindowDpi(parent);
  for (int c = 0; c < kGridColumns; ++c) {
    std::wstring text = Widen(headers_[c]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.pszText = text.data();
    column.cx = TwipsToPixels(widthsTwips_[c], dpi);
    column.iSubItem = c;
    ListView_InsertColumn(list_, c, &column);
  }
}

int ListViewGrid::Rows() const { return ListView_GetItemCount(list_) + 1; }

std::string ListViewGrid::Cell(int row, int column) const {
  if (column < 0 || column >= kGridColumns) return {};
  if (row == 0) return headers_[column];
  // The control says how much it copied, not how long the text is: grow until it fits.
  std::wstring buffer(260, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buffer.data();
    item.cchTextMax = static_cast<int>(buffer.size());
    LRESULT copied = SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row - 1),
                                  reinterpret_cast<LPARAM>(&item));
    if (static_cast<std::size_t>(copied) + 1 < buffer.size() || buffer.size() >= (1u << 20)) {
      buffer.resize(static_cast<std::size_t>(copied));
      return Narrow(buffer);
    }
    buffer.resize(buffer.size() * 4);
  }
}

void ListViewGrid::SetCell(int row, int column, const std::string& text) {
  if (row <= 0 || column < 0 || column >= kGridColumns) return;
  std::wstring wide = Widen(text);
  ListView_SetItemText(list_, row - 1, column, wide.data());
}

void ListViewGrid::AddRow(const std::string& text, int row) {
  int index = (row < 1 || row > Rows()) ? ListView_GetItemCount(list_) : row - 1;
  std::size_t start = 0;
  for (int c = 0; c < kGridColumns; ++c) {
    std::size_t tab = c == kGridColumns - 1 ? std::string::npos : text.find('\t', start);
    std::wstring cell = Widen(text.substr(start, tab == std::string::npos ? std::string::npos
                                                                          : tab - start));
    start = tab == std::string::npos ? text.size() : tab + 1;
    if (c == 0) {
      LVITEMW item{};
      item.mask = LVIF_TEXT;
      item.iItem = index;
      item.pszText = cell.data();
      index = ListView_InsertItem(list_, &item);
    } else {
      ListView_SetItemText(list_, index, c, cell.data());
    }
  }
}

void ListViewGrid::RemoveRow(int row) {
  if (row >= 1 && row < Rows()) ListView_DeleteItem(list_, row - 1);
}

void ListViewGrid::SetColumnWidth(int column, int twips) {
  if (column < 0 || column >= kGridColumns) return;
  widthsTwips_[column] = twips;
  ListView_SetColumnWidth(list_, column, TwipsToPixels(twips, WindowDpi(list_)));
}

int ListViewGrid::CurrentRow() const {
  if (Rows() <= 1) return 0;
  // The focused item is the current cell's row; a selection made by code may have no focus.
  int item = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (item < 0) item = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  return item < 0 ? 1 : item + 1;
}

void ListViewGrid::Redraw() {
  RedrawWindow(list_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LPARAM ListViewGrid::ItemParam(int row) const {
  if (row < 1 || row >= Rows()) return 0;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row - 1;
  return ListView_GetItem(list_, &item) ? item.lParam : 0;
}

void ListViewGrid::SetItemParam(int row, LPARAM value) {
  if (row < 1 || row >= Rows()) return;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row - 1;
  item.lParam = value;
  ListView_SetItem(list_, &item);
}

void ListViewGrid::MarkRowHeld(int row, bool held) {
  if (row < 1 || row >= Rows()) return;
  SetItemParam(row, (ItemParam(row) & ~static_cast<LPARAM>(1)) | (held ? 1 : 0));
  ListView_RedrawItems(list_, row - 1, row - 1);
}

bool ListViewGrid::RowHeld(int row) const { return (ItemParam(row) & 1) != 0; }

void ListViewGrid::SetRowSlot(int row, int slot) {
  LPARAM slotBits = slot < 0 ? 0 : static_cast<LPARAM>(slot + 1) << 1;
  SetItemParam(row, (ItemParam(row) & 1) | slotBits);
}

int ListViewGrid::RowSlot(int row) const { return static_cast<int>(ItemParam(row) >> 1) - 1; }

std::vector<int> ListViewGrid::SelectedRows() const {
  std::vector<int> rows;
  for (int item = ListView_GetNextItem(list_, -1, LVNI_SELECTED); item >= 0;
       item = ListView_GetNextItem(list_, item, LVNI_SELECTED)) {
    rows.push_back(item + 1);
  }
  if (rows.empty() && Rows() > 1) rows.push_back(CurrentRow());
  return rows;
}

std::optional<LRESULT> ListViewGrid::HandleNotify(const NMHDR& header) {
  if (header.hwndFrom != list_) return std::nullopt;
  if (header.code == NM_CUSTOMDRAW) {
    const auto& draw = reinterpret_cast<const NMLVCUSTOMDRAW&>(header);
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      if ((draw.nmcd.lItemlParam & 1) != 0) {  // a held row
        const_cast<NMLVCUSTOMDRAW&>(draw).clrText = RGB(192, 0, 0);
      }
      return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
  }
  if (header.code == LVN_GETINFOTIPW) {
    auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
    std::wstring text = toolTip_;
    if (RowHeld(tip.iItem + 1)) {
      text = L"此热键已被其他程序占用，按下时不起作用。" + (text.empty() ? L"" : L"\r\n" + text);
    }
    if (!text.empty() && tip.pszText != nullptr && tip.cchTextMax > 0) {
      wcsncpy_s(tip.pszText, static_cast<std::size_t>(tip.cchTextMax), text.c_str(), _TRUNCATE);
    }
    return 0;
  }
  return std::nullopt;
}

void ListViewGrid::SetToolTip(const std::string& text) { toolTip_ = Widen(text); }

void ListViewGrid::OnDpiChanged() {
  for (int c = 0; c < kGridColumns; ++c) SetColumnWidth(c, widthsTwips_[c]);
}

}  // namespace tarvek::win
