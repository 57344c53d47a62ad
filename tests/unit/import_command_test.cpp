// The main window's import command with the import-list dialog's model: the old list's
// hotkeys go, its rows and menu items are rebuilt from the imported file, the new hotkeys are
// registered, and every later save goes to the imported file, also after the settings dialog
// was shown and cancelled.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/main_commands.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingMainWindow;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;

const std::string kFolder = "C:\\HK";
const std::string kStartList = kFolder + "\\SaveKey.htk";
const std::string kFive = kFolder + "\\五个.htk";

std::vector<BindingTexts> Bindings(const std::string& modifiers, const std::string& keys) {
  std::vector<BindingTexts> bindings;
  for (char key : keys) {
    bindings.push_back({modifiers, std::string(1, key), "程序" + std::string(1, key),
                        "C:\\Tools\\" + std::string(1, key) + ".exe"});
  }
  return bindings;
}

class ImportCommandTest : public ::testing::Test {
 protected:
  ImportCommandTest() {
    settings.values["FileSave"] = kStartList;
    settings.values["ShowInfo"] = "0";
    system.files[kStartList] = SerializeList(Bindings("Ctrl + Alt", "ABCDEFGH"), system);
    system.files[kFive] = SerializeList(Bindings("Ctrl + Shift", "12345"), system);
    settings.calls = &system.calls;
    program.LoadPhase();
    program.InitialisePhase();
    system.calls.clear();
  }

  // The user opens the import dialog and clicks 确定 &Y on the name, or 取消 &C without one.
  void UserImports(const std::string& name) {
    view.onOpenImportList = [this, name] {
      ImportListModel& dialog = program.importList;
      dialog.Activate();
      for (int i = 0; i < static_cast<int>(dialog.Lists().size()); ++i) {
        if (dialog.Lists()[i].name == name) dialog.ClickName(i);
      }
      name.empty() ? dialog.Cancel() : dialog.Import();
    };
    commands.ImportList();
  }
  std::vector<std::string> GridKeys() const {
    std::vector<std::string> keys;
    for (int row = kFirstBindingRow; row < grid.Rows(); ++row) keys.push_back(grid.Cell(row, 1));
    return keys;
  }
  // Deletes the binding in grid row 2, answering OK.
  void DeleteFirstBinding() {
    grid.currentRow = kFirstBindingRow;
    system.calls.clear();
    commands.Delete();
  }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, kFolder};
  MainCommands commands{program, system, view, grid};
};

TEST_F(ImportCommandTest, FiveBindingsOverEightFreeTheEightThenRebuildAndRegisterTheFive) {
  ASSERT_EQ(GridKeys().size(), 8u);
  UserImports("五个");
  Calls expected = {"View.OpenImportList", "FileNamesIn C:\\HK", "View.ApplyEnabled 1"};
  for (int slot = 0; slot < 8; ++slot) {
    expected.push_back("UnregisterHotkey " + std::to_string(BindingIdBase + slot));
  }
  expected.push_back("ReadFileBytes " + kFive);
  for (int slot = 0; slot < 5; ++slot) {
    expected.push_back("RegisterHotkey " + std::to_string(BindingIdBase + slot) + " 6 " +
                       std::to_string('1' + slot));
  }
  expected.push_back("View.SetHotkeyMenu 5");
  expected.push_back("View.SetFrameCaption 热键信息(共有5个热键)");
  EXPECT_EQ(system.calls, expected);

  EXPECT_EQ(GridKeys(), (std::vector<std::string>{"1", "2", "3", "4", "5"}));
  EXPECT_EQ(grid.Cell(1, 2), "显示本软件");  // the activation row stays
  for (int row = kFirstBindingRow; row < grid.Rows(); ++row) {
    EXPECT_EQ(grid.RowSlot(row), row - kFirstBindingRow);
  }
  EXPECT_EQ(view.menu.size(), 5u);
  EXPECT_EQ(view.menu[4].caption, "程序5");
  EXPECT_GE(grid.redraws, 1);
  EXPECT_FALSE(program.core.flags.ImportPending);
  EXPECT_EQ(program.ListPath(), kFive);
  EXPECT_EQ(settings.values["FileSave"], kStartList);  // the next start still loads the old one
}

TEST_F(ImportCommandTest, EverySaveAfterAnImportGoesToTheImportedFile) {
  const std::string startBytes = system.files[kStartList];
  UserImports("五个");
  DeleteFirstBinding();
  EXPECT_EQ(system.CallsStartingWith("ReplaceFileBytes"), Calls{"ReplaceFileBytes " + kFive});
  EXPECT_EQ(system.files[kFive], SerializeList(Bindings("Ctrl + Shift", "2345"), system));

  // The settings dialog shown and cancelled keeps the imported list active.
  program.liveSettings.Activate();
  program.liveSettings.Cancel();
  DeleteFirstBinding();
  commands.Apply();
  EXPECT_EQ(system.CallsStartingWith("ReplaceFileBytes"),
            (Calls{"ReplaceFileBytes " + kFive, "ReplaceFileBytes " + kFive}));
  EXPECT_EQ(system.files[kFive], SerializeList(Bindings("Ctrl + Shift", "345"), system));
  EXPECT_EQ(system.files[kStartList], startBytes);
}

TEST_F(ImportCommandTest, CancellingChangesNothing) {
  UserImports("");
  EXPECT_EQ(system.calls, (Calls{"View.OpenImportList", "FileNamesIn C:\\HK"}));
  EXPECT_EQ(GridKeys().size(), 8u);
  EXPECT_EQ(program.ListPath(), kStartList);
}

TEST_F(ImportCommandTest, ImportingSaveKeyReloadsTheStartList) {
  UserImports("五个");
  system.files[kStartList] = SerializeList(Bindings("Alt", "XY"), system);  // changed outside
  system.calls.clear();
  UserImports("SaveKey");
  EXPECT_EQ(GridKeys(), (std::vector<std::string>{"X", "Y"}));
  EXPECT_EQ(system.CallsStartingWith("UnregisterHotkey").size(), 5u);
  EXPECT_EQ(program.ListPath(), kStartList);
  EXPECT_EQ(view.frameCaption, "热键信息(共有2个热键)");
}

TEST_F(ImportCommandTest, AListWithoutBindingsLeavesTheActivationRowAndTheEmptyMenuItem) {
  system.files[kFolder + "\\空的.htk"] = "";
  UserImports("空的");
  EXPECT_EQ(grid.Rows(), kFirstBindingRow);
  ASSERT_EQ(view.menu.size(), 1u);
  EXPECT_FALSE(view.menu[0].enabled);
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey"), Calls{});
  for (int slot = 0; slot < 8; ++slot) EXPECT_EQ(system.registered.count(BindingIdBase + slot), 0u);
}

}  // namespace
}  // namespace tarvek
