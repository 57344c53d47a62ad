#include "win/windows/list_view_grid.h"

#include <commctrl.h>

#include "win/windows/dpi.h"
#include "win/system/strings.h"

namespace tarvek::win {

ListViewGrid::ListViewGrid(int controlId, const std::array<std::string, kGridColumns>& headers)
    : controlId_(controlId), model_(headers) {}

bool ListViewGrid::Create(HWND parent) {
  if (list_ != nullptr) return true;
  OnSystemColoursChanged();  // before the list is there: read only
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS,
                          0, 0, 0, 0, parent,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId_)),
                          GetModuleHandleW(nullptr), nullptr);
  if (list_ == nullptr) return false;
  ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES |
                                               LVS_EX_INFOTIP | LVS_EX_DOUBLEBUFFER);
  UINT dpi = WindowDpi(parent);
  for (int c = 0; c < kGridColumns; ++c) {
    std::wstring text = Widen(model_.Headers()[static_cast<std::size_t>(c)]);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.pszText = text.data();
    column.cx = TwipsToPixels(model_.ColumnWidth(c), dpi);
    column.iSubItem = c;
    ListView_InsertColumn(list_, c, &column);
  }
  ListView_SetItemCount(list_, model_.Rows() - 1);
  for (int row = 1; row < model_.Rows(); ++row) InsertItem(row);
  return true;
}

// The item's data carries the row's marks too, for tools that read the list from outside: 1 held,
// 2 switched off.
LPARAM ListViewGrid::ItemData(int row) const {
  const GridModel::Row* r = model_.At(row);
  return r == nullptr ? 0 : (r->held ? 1 : 0) | (r->disabled ? 2 : 0);
}

void ListViewGrid::InsertItem(int row) {
  const GridModel::Row* r = model_.At(row);
  if (list_ == nullptr || r == nullptr) return;
  std::wstring first = Widen(r->cells[0]);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = row - 1;
  item.pszText = first.data();
  item.lParam = ItemData(row);
  int index = ListView_InsertItem(list_, &item);
  for (int c = 1; c < kGridColumns; ++c) {
    std::wstring cell = Widen(r->cells[static_cast<std::size_t>(c)]);
    ListView_SetItemText(list_, index, c, cell.data());
  }
}

int ListViewGrid::Rows() const { return model_.Rows(); }

std::string ListViewGrid::Cell(int row, int column) const { return model_.Cell(row, column); }

void ListViewGrid::SetCell(int row, int column, const std::string& text) {
  if (!model_.SetCell(row, column, text) || list_ == nullptr) return;
  std::wstring wide = Widen(text);
  ListView_SetItemText(list_, row - 1, column, wide.data());
}

void ListViewGrid::AddRow(const std::string& text, int row) { InsertItem(model_.AddRow(text, row)); }

void ListViewGrid::AddRowCells(const RowCells& cells, int row) {
  InsertItem(model_.AddRowCells(cells, row));
}

void ListViewGrid::RemoveRow(int row) {
  if (model_.RemoveRow(row) && list_ != nullptr) ListView_DeleteItem(list_, row - 1);
}

void ListViewGrid::SetColumnWidth(int column, int twips) {
  if (!model_.SetColumnWidth(column, twips) || list_ == nullptr) return;
  ListView_SetColumnWidth(list_, column, TwipsToPixels(twips, WindowDpi(list_)));
}

int ListViewGrid::CurrentRow() const {
  if (Rows() <= 1) return 0;
  if (list_ == nullptr) return 1;
  // The focused item is the current cell's row; a selection made by code may have no focus.
  int item = ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
  if (item < 0) item = ListView_GetNextItem(list_, -1, LVNI_SELECTED);
  return item < 0 ? 1 : item + 1;
}

void ListViewGrid::Redraw() {
  if (list_ == nullptr) return;
  RedrawWindow(list_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void ListViewGrid::MarkRowHeld(int row, bool held) {
  if (model_.MarkRowHeld(row, held)) UpdateItemData(row);
}

void ListViewGrid::MarkRowDisabled(int row, bool disabled) {
  if (model_.MarkRowDisabled(row, disabled)) UpdateItemData(row);
}

bool ListViewGrid::RowDisabled(int row) const {
  const GridModel::Row* r = model_.At(row);
  return r != nullptr && r->disabled;
}

void ListViewGrid::UpdateItemData(int row) {
  if (list_ == nullptr) return;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row - 1;
  item.lParam = ItemData(row);
  ListView_SetItem(list_, &item);
  ListView_RedrawItems(list_, row - 1, row - 1);
}

bool ListViewGrid::RowHeld(int row) const {
  const GridModel::Row* r = model_.At(row);
  return r != nullptr && r->held;
}

void ListViewGrid::SetRowSlot(int row, int slot) { model_.SetRowSlot(row, slot); }

// The tip is asked for as it shows, so nothing on screen changes here.
void ListViewGrid::SetRowNote(int row, const std::string& note) { model_.SetRowNote(row, note); }

std::string ListViewGrid::RowNote(int row) const {
  const GridModel::Row* r = model_.At(row);
  return r != nullptr ? r->note : std::string();
}

int ListViewGrid::RowSlot(int row) const {
  const GridModel::Row* r = model_.At(row);
  return r != nullptr ? r->slot : -1;
}

std::vector<int> ListViewGrid::SelectedRows() const {
  std::vector<int> rows;
  for (int item = list_ != nullptr ? ListView_GetNextItem(list_, -1, LVNI_SELECTED) : -1;
       item >= 0; item = ListView_GetNextItem(list_, item, LVNI_SELECTED)) {
    rows.push_back(item + 1);
  }
  if (rows.empty() && Rows() > 1) rows.push_back(CurrentRow());
  return rows;
}

std::optional<LRESULT> ListViewGrid::HandleNotify(const NMHDR& header) {
  if (list_ == nullptr || header.hwndFrom != list_) return std::nullopt;
  if (header.code == NM_CUSTOMDRAW) {
    const auto& draw = reinterpret_cast<const NMLVCUSTOMDRAW&>(header);
    if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
    if (draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
      const int row = static_cast<int>(draw.nmcd.dwItemSpec) + 1;
      const RowColours colours =
          GridRowColours(RowHeld(row), RowDisabled(row), highContrast_, colours_);
      auto& item = const_cast<NMLVCUSTOMDRAW&>(draw);
      if (colours.text) item.clrText = *colours.text;
      if (colours.background) item.clrTextBk = *colours.background;
      return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
  }
  if (header.code == LVN_GETINFOTIPW) {
    auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
    const GridModel::Row* row = model_.At(tip.iItem + 1);
    std::wstring text = Widen(row != nullptr ? GridRowTip(*row, toolTip_) : toolTip_);
    if (!text.empty() && tip.pszText != nullptr && tip.cchTextMax > 0) {
      wcsncpy_s(tip.pszText, static_cast<std::size_t>(tip.cchTextMax), text.c_str(), _TRUNCATE);
    }
    return 0;
  }
  return std::nullopt;
}

void ListViewGrid::SetToolTip(const std::string& text) { toolTip_ = text; }

void ListViewGrid::OnDpiChanged() {
  for (int c = 0; c < kGridColumns; ++c) SetColumnWidth(c, model_.ColumnWidth(c));
}

void ListViewGrid::OnSystemColoursChanged() {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof(contrast);
  highContrast_ = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
                  (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
  colours_.window = GetSysColor(COLOR_WINDOW);
  colours_.windowText = GetSysColor(COLOR_WINDOWTEXT);
  colours_.grayText = GetSysColor(COLOR_GRAYTEXT);
  colours_.hotLight = GetSysColor(COLOR_HOTLIGHT);
  if (list_ == nullptr) return;
  // Only top-level windows hear of new system colours: the list takes its own from this.
  SendMessageW(list_, WM_SYSCOLORCHANGE, 0, 0);
  InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace tarvek::win
