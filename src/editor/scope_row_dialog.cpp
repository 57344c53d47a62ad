#include "editor/scope_row_dialog.h"

#include <vector>

#include "core/input/program_condition.h"
#include "editor/launch_options_model.h"
#include "win/input/foreground_program.h"
#include "win/system/strings.h"
#include "win/system/unique_handle.h"

namespace tarvek {

void ScopeRow::Show(int scope, const std::string& programs) {
  dialog_.SetListItems(ids_.scope, kScopeChoices, scope);
  dialog_.SetText(ids_.programs, programs);
  dialog_.AddToolTip(ids_.programs, L"程序的文件名或完整路径，以“;”分隔，如 notepad.exe;Code.exe");
  EnableBox();
}

void ScopeRow::EnableBox() {
  // Everywhere has no programs to name.
  const bool named = Scope() > 0;
  dialog_.Enable(ids_.programs, named);
  dialog_.Enable(ids_.choose, named);
}

bool ScopeRow::OnCommand(int id, int notification) {
  if (id == ids_.scope && notification == CBN_SELCHANGE) {
    EnableBox();
    return true;
  }
  if (id == ids_.choose && notification == BN_CLICKED) {
    ChooseProgram();
    return true;
  }
  return false;
}

void ScopeRow::ChooseProgram() {
  const std::vector<std::string> names = win::OpenProgramNames();
  win::UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  if (names.empty()) AppendMenuW(menu.get(), MF_STRING | MF_GRAYED, 0, L"没有打开的程序");
  for (std::size_t i = 0; i < names.size(); ++i) {
    AppendMenuW(menu.get(), MF_STRING, i + 1, win::Widen(names[i]).c_str());
  }
  // Under the button, not over it.
  RECT button{};
  GetWindowRect(dialog_.Control(ids_.choose), &button);
  TPMPARAMS keepClear{sizeof(TPMPARAMS), button};
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
      menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_VERTICAL,
      button.left, button.bottom, dialog_.Handle(), &keepClear));
  if (chosen == 0 || chosen > names.size()) return;
  dialog_.SetText(ids_.programs, AddProgramToList(Programs(), names[chosen - 1]));
}

}  // namespace tarvek
