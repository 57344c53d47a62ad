// The dialog "启动选项" without its window: the options of one binding as its boxes show them,
// and the options they make when the user confirms.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/launch/launch_options.h"

namespace tarvek {

inline constexpr std::string_view kLaunchOptionsTitle = "启动选项";
// The two lists' items, in the order of the options' values.
inline constexpr std::array<std::string_view, 3> kWindowChoices = {"常规", "最小化", "最大化"};
inline constexpr std::array<std::string_view, 3> kIfRunningChoices = {
    "启动新的程序", "切换到该程序的窗口", "切换到该窗口，已在前面时最小化"};
// Where the binding acts, in the order of ProgramScope.
inline constexpr std::array<std::string_view, 3> kScopeChoices = {"所有程序", "仅以下程序",
                                                                  "以下程序除外"};

class LaunchOptionsModel {
 public:
  // typesText: the binding types a text ("输入文本"), and the dialog edits that text instead of
  // the program's launch.
  explicit LaunchOptionsModel(const LaunchOptions& options, bool typesText = false);

  bool TypesText() const { return typesText_; }

  std::string arguments;  // 参数
  std::string startIn;    // 起始位置
  int window = 0;         // 窗口: an index of kWindowChoices
  bool admin = false;     // 以管理员身份运行
  int ifRunning = 0;      // 程序已运行时: an index of kIfRunningChoices
  bool enabled = true;    // 启用此热键
  std::string text;       // 要输入的文本, line breaks as CR LF (as the box holds them)
  int scope = 0;          // 适用于: an index of kScopeChoices
  std::string programs;   // the scope's programs, separated by ";"

  // What the folder chooser behind "..." returned: the chosen folder, or nothing (cancelled).
  void FolderChosen(const std::optional<std::string>& folder);
  // A program picked behind "选择...": its file name joins the programs, unless they name it.
  void ProgramChosen(std::string_view fileName);
  // The options the boxes make ("确定"): blanks around the texts do not count, an item that is
  // not in a list is its first. The text is cut to what a binding types, and kept as it was
  // when the dialog was opened for another target; a scope without programs is everywhere.
  LaunchOptions Result() const;

 private:
  std::string keptText_;  // the options' text, for a dialog that does not show it
  bool typesText_ = false;
};

// The row "适用于" as its boxes make it (here and in the abbreviations' editing dialog): the scope
// at the list's index (its first item for one outside the list), everywhere without programs.
ProgramScope ChosenScope(int scope, std::string_view programs);

// The text cut to at most maxUnits UTF-16 units, never between the two halves of a pair.
std::string CutToUtf16Units(std::string_view utf8, std::size_t maxUnits);
// Every line break (LF or CR alone, or CR LF) as CR LF, as an edit box shows it.
std::string WithCrLf(std::string_view text);

}  // namespace tarvek
