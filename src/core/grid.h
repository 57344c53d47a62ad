// The hotkey grid as the logic sees it. Row 0 is the fixed header row, row 1 the activation
// hotkey, rows 2 and up one binding each; columns modifier text, key name, name, target.
#pragma once

#include <array>
#include <string>
#include <vector>

namespace tarvek {

inline constexpr int kGridColumns = 4;
inline constexpr int kFirstBindingRow = 2;

// A row's four texts, kept apart: a name or target may hold a Tab (a hand edit), and joining
// the cells at Tabs would move its text into the next column.
using RowCells = std::array<std::string, kGridColumns>;

class GridPort {
 public:
  virtual ~GridPort() = default;
  virtual int Rows() const = 0;  // the header row included
  virtual std::string Cell(int row, int column) const = 0;
  virtual void SetCell(int row, int column, const std::string& text) = 0;
  // Adds a row from its four texts joined by Tab, at index row, or as the last row when row < 0.
  virtual void AddRow(const std::string& tabJoinedText, int row = -1) = 0;
  // Adds a row from its four texts as they are, at index row, or as the last row when row < 0.
  virtual void AddRowCells(const RowCells& cells, int row = -1) = 0;
  virtual void RemoveRow(int row) = 0;
  virtual void SetColumnWidth(int column, int twips) = 0;
  // The row of the current cell: the row the user last clicked or moved to; 1 before that, 0
  // while the grid has no row below the header.
  virtual int CurrentRow() const = 0;
  virtual void Redraw() = 0;
  // Marks a row whose combination another program holds, so that the user can see why it
  // does nothing. The mark moves with its row; the cell texts stay as they are.
  virtual void MarkRowHeld(int row, bool held) = 0;
  virtual bool RowHeld(int row) const = 0;
  // Marks a row whose binding the user switched off: drawn grey, its texts as they are (the
  // grid is what a save writes). The mark moves with its row.
  virtual void MarkRowDisabled(int row, bool disabled) = 0;
  virtual bool RowDisabled(int row) const = 0;
  // A note on a row's binding for its tool tip ("仅在 notepad.exe 中"); empty for none. The note
  // moves with its row.
  virtual void SetRowNote(int row, const std::string& note) = 0;
  virtual std::string RowNote(int row) const = 0;
  // The table slot of the binding a row shows, so that a row still finds its binding after
  // rows above it were deleted. It moves with its row; a row added without one has -1.
  virtual void SetRowSlot(int row, int slot) = 0;
  virtual int RowSlot(int row) const = 0;
  // The selected rows, top to bottom; the current row when nothing else is selected. Never
  // the header row.
  virtual std::vector<int> SelectedRows() const = 0;
};

}  // namespace tarvek
