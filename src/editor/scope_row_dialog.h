// The row "适用于" that two dialogs share ("启动选项" and the abbreviations' "添加缩写" /
// "修改缩写"): the list of kScopeChoices, the box of the programs and "选择...", which offers
// the programs with windows open. Each dialog places the row's controls in its own table, with
// the captions here; the row fills them, keeps the box's state with the list, and reads them.
#pragma once

#include <windows.h>

#include <string>

#include "win/windows/dialog_kit.h"

namespace tarvek {

inline constexpr const wchar_t* kScopeLabelCaption = L"适用于：";
inline constexpr const wchar_t* kChooseProgramCaption = L"选择...";

class ScopeRow {
 public:
  struct Ids {
    int scope;     // the drop-down list
    int programs;  // the box of the programs
    int choose;    // 选择...
  };
  ScopeRow(win::DialogWindow& dialog, Ids ids) : dialog_(dialog), ids_(ids) {}

  // Once the dialog's controls are made: the list at scope, the box holding programs.
  void Show(int scope, const std::string& programs);
  // A command of the dialog: true when it was the row's own, and handled.
  bool OnCommand(int id, int notification);
  int Scope() const { return dialog_.Selected(ids_.scope); }
  std::string Programs() const { return dialog_.Text(ids_.programs); }

 private:
  void EnableBox();
  void ChooseProgram();

  win::DialogWindow& dialog_;
  Ids ids_;
};

}  // namespace tarvek
