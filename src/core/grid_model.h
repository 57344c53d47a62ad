// The hotkey grid's content as plain data: the texts, held marks and slots of its rows and the
// widths of its columns. The list control on the main window shows a copy of it, made when the
// window is first shown; until then, which in hotkey activation mode is the whole start-up, the
// model alone is the grid.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid.h"

namespace tarvek {

class GridModel {
 public:
  struct Row {
    std::array<std::string, kGridColumns> cells;
    bool held = false;
    bool disabled = false;  // the binding is switched off
    int slot = -1;  // the binding's table slot; -1 for none
    std::string note;  // for its tool tip
  };

  explicit GridModel(const std::array<std::string, kGridColumns>& headers) : headers_(headers) {}

  int Rows() const { return static_cast<int>(rows_.size()) + 1; }  // the header row included
  // Row 1 and up; null for the header row and for rows that are not there.
  const Row* At(int row) const;
  // The header's text for row 0; empty for a cell that is not there.
  std::string Cell(int row, int column) const;

  // Each returns false, changing nothing, for the header row or a row or column that is not
  // there: the header is fixed.
  bool SetCell(int row, int column, const std::string& text);
  bool RemoveRow(int row);
  bool MarkRowHeld(int row, bool held);
  bool MarkRowDisabled(int row, bool disabled);
  bool SetRowSlot(int row, int slot);
  bool SetRowNote(int row, const std::string& note);
  bool SetColumnWidth(int column, int twips);

  // Adds a row from its four texts joined by Tab (missing ones are empty) at index row, or as
  // the last row when row is not one of 1 to Rows(). Returns the row it became.
  int AddRow(const std::string& tabJoinedText, int row);
  // The same from the four texts as they are.
  int AddRowCells(const RowCells& cells, int row);

  int ColumnWidth(int column) const;  // twips
  const std::array<std::string, kGridColumns>& Headers() const { return headers_; }

 private:
  Row* Find(int row);

  std::array<std::string, kGridColumns> headers_;
  std::array<int, kGridColumns> widthsTwips_{1400, 800, 4060, 0};
  std::vector<Row> rows_;  // grid row r is rows_[r - 1]
};

// A row's tool tip: why a held or switched-off row does nothing, then its note, then the text
// every row shows, each on a line of its own.
std::string GridRowTip(const GridModel::Row& row, std::string_view shared);

}  // namespace tarvek
