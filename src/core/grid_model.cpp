#include "core/grid_model.h"

namespace tarvek {

const GridModel::Row* GridModel::At(int row) const {
  return row >= 1 && row < Rows() ? &rows_[static_cast<std::size_t>(row - 1)] : nullptr;
}

GridModel::Row* GridModel::Find(int row) {
  return row >= 1 && row < Rows() ? &rows_[static_cast<std::size_t>(row - 1)] : nullptr;
}

std::string GridModel::Cell(int row, int column) const {
  if (column < 0 || column >= kGridColumns) return {};
  if (row == 0) return headers_[static_cast<std::size_t>(column)];
  const Row* r = At(row);
  return r != nullptr ? r->cells[static_cast<std::size_t>(column)] : std::string();
}

bool GridModel::SetCell(int row, int column, const std::string& text) {
  Row* r = Find(row);
  if (r == nullptr || column < 0 || column >= kGridColumns) return false;
  r->cells[static_cast<std::size_t>(column)] = text;
  return true;
}

int GridModel::AddRow(const std::string& text, int row) {
  RowCells cells;
  std::size_t start = 0;
  for (int c = 0; c < kGridColumns; ++c) {
    std::size_t tab = c + 1 == kGridColumns ? std::string::npos : text.find('\t', start);
    cells[static_cast<std::size_t>(c)] =
        text.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    start = tab == std::string::npos ? text.size() : tab + 1;
  }
  return AddRowCells(cells, row);
}

int GridModel::AddRowCells(const RowCells& cells, int row) {
  Row added;
  added.cells = cells;
  if (row < 1 || row > Rows()) row = Rows();
  rows_.insert(rows_.begin() + (row - 1), std::move(added));
  return row;
}

bool GridModel::RemoveRow(int row) {
  if (At(row) == nullptr) return false;
  rows_.erase(rows_.begin() + (row - 1));
  return true;
}

bool GridModel::MarkRowHeld(int row, bool held) {
  Row* r = Find(row);
  if (r == nullptr) return false;
  r->held = held;
  return true;
}

bool GridModel::MarkRowDisabled(int row, bool disabled) {
  Row* r = Find(row);
  if (r == nullptr) return false;
  r->disabled = disabled;
  return true;
}

bool GridModel::SetRowSlot(int row, int slot) {
  Row* r = Find(row);
  if (r == nullptr) return false;
  r->slot = slot < 0 ? -1 : slot;
  return true;
}

bool GridModel::SetRowNote(int row, const std::string& note) {
  Row* r = Find(row);
  if (r == nullptr) return false;
  r->note = note;
  return true;
}

std::string GridRowTip(const GridModel::Row& row, std::string_view shared) {
  std::string tip;
  auto line = [&tip](std::string_view text) {
    if (text.empty()) return;
    if (!tip.empty()) tip += "\r\n";
    tip += text;
  };
  if (row.disabled) {
    line("已停用");
  } else if (row.held) {
    line("此热键已被其他程序占用，按下时不起作用。");
  }
  line(row.note);
  line(shared);
  return tip;
}

bool GridModel::SetColumnWidth(int column, int twips) {
  if (column < 0 || column >= kGridColumns) return false;
  widthsTwips_[static_cast<std::size_t>(column)] = twips;
  return true;
}

int GridModel::ColumnWidth(int column) const {
  return column >= 0 && column < kGridColumns ? widthsTwips_[static_cast<std::size_t>(column)] : 0;
}

}  // namespace tarvek
