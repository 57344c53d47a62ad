#include "core/validation.h"

#include <algorithm>

#include "core/hotkey_table.h"

namespace tarvek {

std::string HotkeyText(std::string_view m1, std::string_view m2, std::string_view key) {
  std::string text;
  if (m1 == kNoModifier) {
    text.append(m2);
  } else if (m2 == kNoModifier) {
    text.append(m1);
  } else {
    text.append(m1).append(" + ").append(m2);
  }
  return text.append(" + ").append(key);
}

std::string ModifierTextOf(std::string_view m1, std::string_view m2) {
  if (m1 == kNoModifier && m2 == kNoModifier) return std::string(kNoModifier);
  if (m1 == kNoModifier) return std::string(m2);
  if (m2 == kNoModifier) return std::string(m1);
  return std::string(m1) + " + " + std::string(m2);
}

const std::array<std::string_view, 11>& ReservedCombos() {
  static const std::array<std::string_view, 11> combos = {
      "Ctrl + C", "Ctrl + A", "Ctrl + X", "Ctrl + V",  "Win + F",  "Win + M",
      "Win + E",  "Alt + F4", "Alt + Tab", "无 + F1", "Ctrl + Z"};
  return combos;
}

bool IsReservedCombo(std::string_view hotkeyText) {
  const auto& combos = ReservedCombos();
  return std::find(combos.begin(), combos.end(), hotkeyText) != combos.end();
}

bool SameCombination(std::string_view modifierText1, std::string_view key1,
                     std::string_view modifierText2, std::string_view key2) {
  return ModifierFlagsFromText(modifierText1) == ModifierFlagsFromText(modifierText2) &&
         KeyCodeFromName(key1) == KeyCodeFromName(key2);
}

std::int16_t CountOccurrences(std::string_view text, std::string_view part) {
  if (part.empty() || part.size() > text.size()) return 0;
  std::int16_t count = 0;
  for (std::size_t p = 0; p + part.size() <= text.size(); ++p) {
    if (text.compare(p, part.size(), part) == 0) ++count;
  }
  return count;
}

std::optional<std::string> NoModifierRefusal(std::string_view key) {
  const int code = KeyCodeFromName(key);
  if (!KeyNeedsModifier(code)) return std::nullopt;
  // Said in the words of the key's name, as the box shows it.
  const std::string name(key);
  if (code == kPrintScreenCode) {
    return name + " 至少需要一个辅助键：单独按下时留给 Windows 的截图工具.";
  }
  if (code == kMiddleButtonCode) {
    return name + "至少需要一个辅助键：单独的中键点击要留给鼠标下的程序.";
  }
  return name + "至少需要一个辅助键：单独转动滚轮要留给鼠标下的程序.";
}

std::string ComposeHotkeyRow(const ComposeInput& input, const GridPort& grid, DialogPort& dialogs) {
  std::optional<RowCells> cells = ComposeHotkeyCells(input, grid, dialogs);
  return cells ? GridRowText((*cells)[0], (*cells)[1], (*cells)[2], (*cells)[3]) : std::string();
}

std::optional<RowCells> ComposeHotkeyCells(const ComposeInput& in, const GridPort& grid,
                                           DialogPort& dialogs) {
  auto refuse = [&dialogs](const char* text, const char* title,
                           unsigned flags) -> std::optional<RowCells> {
    dialogs.ShowMessageBox(text, title, flags);
    return std::nullopt;
  };
  if (in.name.empty()) return refuse("请输入你的程序的功能。", "错误", kMbIconInformation | kMbHelp);
  if (in.m1 != kNoModifier && in.m1 == in.m2) {
    return refuse("不能有两个相同的辅助键!", "错误!", kMbIconError);
  }
  if (in.m1 == kNoModifier && in.m2 == kNoModifier && !in.allowNoModifier) {
    return refuse("热键中至少需要有一个辅助热键.", "热键错误", kMbIconError);
  }
  if (in.m1 == kNoModifier && in.m2 == kNoModifier) {
    if (std::optional<std::string> text = NoModifierRefusal(in.key)) {
      dialogs.ShowMessageBox(*text, "热键错误", kMbIconError);
      return std::nullopt;
    }
  }
  if (in.target.empty()) return refuse("请选择你要调用的程序!", "错误!", kMbIconError);

  auto isOwnRow = [&in](int row) { return in.changeMode && row == in.editorRow; };
  for (int row = kFirstBindingRow; row < grid.Rows(); ++row) {
    if (!isOwnRow(row) && grid.Cell(row, 2) == in.name) {
      return refuse("这个名字已经存在，请更换其他名字。", "定义热键", kMbOk);
    }
  }
  std::string modifierText = ModifierTextOf(in.m1, in.m2);
  if (in.checkKeyInUse) {
    // The activation hotkey in row 1 counts too. Combinations are compared by what they
    // register, so "Alt + Ctrl" is the same combination as "Ctrl + Alt".
    for (int row = 1; row < grid.Rows(); ++row) {
      if (isOwnRow(row)) continue;
      if (SameCombination(grid.Cell(row, 0), grid.Cell(row, 1), modifierText, in.key)) {
        return refuse("此热键已经被使用，不能重复定义.", "定义热键错误!", kMbIconError);
      }
    }
    if (IsReservedCombo(HotkeyText(in.m1, in.m2, in.key))) {
      return refuse("此热键已经被系统使用，不能定义.", "定义热键错误!", kMbIconError);
    }
  }
  return RowCells{modifierText, in.key, in.name, in.target};
}

bool RoomForBindings(const GridPort& grid, int adding, DialogPort& dialogs) {
  if (grid.Rows() - kFirstBindingRow + adding <= kTableSlots) return true;
  dialogs.ShowMessageBox("热键列表最多只能有 " + std::to_string(kTableSlots) +
                             " 个热键，现在已经满了。请先删除不用的热键，再添加新的热键。",
                         "热键已满", kMbIconError | kMbOk);
  return false;
}

}  // namespace tarvek
