// The ids of the main window's controls and menu items, and the messages it posts to itself.
#pragma once

#include <windows.h>

namespace tarvek {

// Child controls of the main window. The options and the check box drawn in the frame
// "窗口激活方式" are children of the main window, so that their clicks reach it.
namespace main_ids {
enum ControlId : int {
  kGridId = 100,
  kFrame1Id,
  kCommand4Id,  // 添加 &A
  kCommand3Id,  // 隐藏 &H
  kCommand1Id,  // 应用 &Q
  kCommand2Id,  // 帮助 &?
  kCommand5Id,  // 退出
  kCommand6Id,  // 关于
  kFrame2Id,
  kOption1Id0,  // 使用热键方式激活
  kOption1Id1,  // 使用鼠标方式激活
  kCheck1Id,    // 启用鼠标控制器
};
// Menu-bar items. The hotkey-list menu's item i has the id kHotkeyMenuBase + i.
enum CommandId : int {
  kCmdHideIcon = 2001,
  kCmdShowWindow,
  kCmdLockNow,
  kCmdQuit,
  kCmdAdd,
  kCmdChange,
  kCmdDelete,
  kCmdRun,
  kCmdRedraw,
  kCmdFindTarget,
  kCmdShowPath,
  kCmdOpenStart,
  kCmdShowInfo,
  kCmdOpenSound,
  kCmdOtherSettings,
  kCmdSaveList,
  kCmdImportList,
  kCmdUseHotkey,
  kCmdShowIconOn,
  kCmdToggleEnabled,  // 停用热键(&T) / 启用热键(&T)
  kCmdAbbreviations,  // 缩写替换(&A)...
};
inline constexpr int kHotkeyMenuBase = 1000;
// Posted by a command from the command line: what it does once its sender has the answer.
inline constexpr UINT kCommandLaterMessage = WM_APP + 3;
}  // namespace main_ids

}  // namespace tarvek
