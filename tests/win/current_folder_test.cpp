// The process's current folder: the program's own from the start, and back there after a file
// dialog, which moves it whatever its flags say (Windows ignores OFN_NOCHANGEDIR in the open
// dialog; here the flag is left out to make Wine move it as well).
#include "win/system/current_folder.h"

#include <dlgs.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "win/windows/dialog_kit.h"
#include "win/system/strings.h"
#include "win/system/win_system.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

std::string CurrentFolder() {
  wchar_t folder[MAX_PATH * 2] = L"";
  GetCurrentDirectoryW(MAX_PATH * 2, folder);
  return Narrow(folder);
}

TEST(CurrentFolder, TheProgramsOwnFromTheStartAndAfterAFileDialog) {
  wintest::TempFolder browsed;
  const std::string chosen = browsed.Join("文档.txt");
  ASSERT_TRUE(WinSystem().ReplaceFileBytes(chosen, "x"));
  ASSERT_TRUE(SetCurrentDirectoryW(Widen(browsed.Path()).c_str()));
  EnterProgramFolder();
  EXPECT_EQ(CurrentFolder(), ProgramFolder());

  wintest::HiddenWindow owner;
  FileDialogOptions options;
  options.filter = "文本文件|*.txt";
  options.folder = browsed.Path();
  options.flags = OFN_EXPLORER | OFN_FILEMUSTEXIST;
  auto giveUp = [] {
    if (HWND shown = wintest::ShownSystemDialog()) PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
  };
  wintest::Script script({[&] {
                           HWND shown = wintest::ShownSystemDialog();
                           if (shown == nullptr) return false;
                           SetDlgItemTextW(shown, cmb13, Widen(chosen).c_str());
                           PostMessageW(shown, WM_COMMAND, IDOK, 0);
                           return true;
                         }},
                         giveUp);
  EXPECT_EQ(ShowFileDialog(owner.get(), options), std::optional<std::string>(chosen));
  EXPECT_FALSE(script.TimedOut());
  EXPECT_EQ(CurrentFolder(), ProgramFolder());
}

}  // namespace
}  // namespace tarvek::win
