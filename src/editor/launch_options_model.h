// The dialog "启动选项" without its window: the options of one binding as its boxes show them,
// and the options they make when the user confirms.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/launch_options.h"

namespace tarvek {

inline constexpr std::string_view kLaunchOptionsTitle = "启动选项";
// The two lists' items, in the order of the options' values.
inline constexpr std::array<std::string_view, 3> kWindowChoices = {"常规", "最小化", "最大化"};
inline constexpr std::array<std::string_view, 3> kIfRunningChoices = {
    "启动新的程序", "切换到该程序的窗口", "切换到该窗口，已在前面时最小化"};

class LaunchOptionsModel {
 public:
  explicit LaunchOptionsModel(const LaunchOptions& options);

  std::string arguments;  // 参数
  std::string startIn;    // 起始位置
  int window = 0;         // 窗口: an index of kWindowChoices
  bool admin = false;     // 以管理员身份运行
  int ifRunning = 0;      // 程序已运行时: an index of kIfRunningChoices
  bool enabled = true;    // 启用此热键

  // What the folder chooser behind "..." returned: the chosen folder, or nothing (cancelled).
  void FolderChosen(const std::optional<std::string>& folder);
  // The options the boxes make ("确定"): blanks around the texts do not count, an item that is
  // not in a list is its first.
  LaunchOptions Result() const;
};

}  // namespace tarvek
