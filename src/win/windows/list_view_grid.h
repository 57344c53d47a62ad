// The hotkey grid on a report-view list control. Grid row 0 is the list's header, so grid row r
// is list item r - 1 (the activation hotkey, grid row 1, is item 0).
//
// The grid's content lives in a GridModel from the start; the list control is made when the main
// window is first shown and from then on shows every change. Until it is made the grid has no
// selection, and its current row is the first one.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/grid.h"
#include "core/grid_colours.h"
#include "core/grid_model.h"

namespace tarvek::win {

class ListViewGrid : public GridPort {
 public:
  ListViewGrid(int controlId, const std::array<std::string, kGridColumns>& headers);

  // Makes the list control as a child of parent, showing the rows the grid holds; once only.
  // The common controls must be loaded. False when the control could not be made.
  bool Create(HWND parent);
  HWND Handle() const { return list_; }  // null until made

  int Rows() const override;
  std::string Cell(int row, int column) const override;
  void SetCell(int row, int column, const std::string& text) override;
  void AddRow(const std::string& tabJoinedText, int row = -1) override;
  void AddRowCells(const RowCells& cells, int row = -1) override;
  void RemoveRow(int row) override;
  void SetColumnWidth(int column, int twips) override;
  int CurrentRow() const override;
  void Redraw() override;
  void MarkRowHeld(int row, bool held) override;
  bool RowHeld(int row) const override;
  void MarkRowDisabled(int row, bool disabled) override;
  bool RowDisabled(int row) const override;
  void SetRowNote(int row, const std::string& note) override;
  std::string RowNote(int row) const override;
  void SetRowSlot(int row, int slot) override;
  int RowSlot(int row) const override;
  std::vector<int> SelectedRows() const override;

  // The parent passes on the list's notifications: held rows are drawn in red, switched-off
  // ones in grey, and both explain themselves in a tool tip. Empty when the notification is not the grid's to answer.
  std::optional<LRESULT> HandleNotify(const NMHDR& header);

  // The tool tip every row shows (after why a held or switched-off row does nothing, and the
  // row's note).
  void SetToolTip(const std::string& text);

  // Applies the widths again in pixels at the window's current DPI.
  void OnDpiChanged();
  // The system's colours or its high-contrast setting changed (the parent hears of it: the
  // list is told, and the marked rows take the new colours).
  void OnSystemColoursChanged();

 private:
  void InsertItem(int row);
  LPARAM ItemData(int row) const;
  void UpdateItemData(int row);

  int controlId_;
  GridModel model_;
  HWND list_ = nullptr;
  std::string toolTip_;
  bool highContrast_ = false;
  SystemColours colours_;
};

}  // namespace tarvek::win
