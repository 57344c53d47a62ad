// The hotkey grid on a report-view list control. Grid row 0 is the list's header, so grid row r
// is list item r - 1 (the activation hotkey, grid row 1, is item 0).
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/grid.h"

namespace tarvek::win {

class ListViewGrid : public GridPort {
 public:
  // Creates the list control as a child of parent, with the four headers.
  ListViewGrid(HWND parent, int controlId, const std::array<std::string, kGridColumns>& headers);

  HWND Handle() const { return list_; }

  int Rows() const override;
  std::string Cell(int row, int column) const override;
  void SetCell(int row, int column, const std::string& text) override;
  void AddRow(const std::string& tabJoinedText, int row = -1) override;
  void RemoveRow(int row) override;
  void SetColumnWidth(int column, int twips) override;
  int CurrentRow() const override;
  void Redraw() override;
  void MarkRowHeld(int row, bool held) override;
  bool RowHeld(int row) const override;
  void SetRowSlot(int row, int slot) override;
  int RowSlot(int row) const override;
  std::vector<int> SelectedRows() const override;

  // The parent passes on the list's notifications: held rows are drawn in red and explain
  // themselves in a tool tip. Empty when the notification is not the grid's to answer.
  std::optional<LRESULT> HandleNotify(const NMHDR& header);

  // The tool tip every row shows (a held row says why it does nothing first).
  void SetToolTip(const std::string& text);

  // Applies the widths again in pixels at the window's current DPI.
  void OnDpiChanged();

 private:
  // Each item's lParam carries its row's marks, so that they move with the row: bit 0 the
  // held mark, the bits above it the binding's slot + 1 (0: no slot).
  LPARAM ItemParam(int row) const;
  void SetItemParam(int row, LPARAM value);

  HWND list_ = nullptr;
  std::array<std::string, kGridColumns> headers_;
  std::array<int, kGridColumns> widthsTwips_{1400, 800, 4060, 0};
  std::wstring toolTip_;
};

}  // namespace tarvek::win
