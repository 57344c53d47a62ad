// The launch options of the running list: what a switched-off binding does to the registrations,
// the grid and the menus, and how options follow their binding through edits and named lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input/key_names.h"
#include "core/input/program_condition.h"
#include "editor/launch_options_model.h"
#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/main_commands.h"

namespace tarvek {
namespace {

using testing::Scoped;

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingMainWindow;
using testing::RecordingSystem;

const std::string kListPath = "C:\\HK\\SaveKey.htk";
const std::string kOptPath = "C:\\HK\\SaveKey.opt";
const std::string kBom = "\xEF\xBB\xBF";

class LaunchOptionsTest : public ::testing::Test {
 protected:
  LaunchOptionsTest() { settings.values["FileSave"] = kListPath; }

  void StartUp(const std::string& optionsFile) {
    system.files[kListPath] = SerializeList({{"Ctrl + Alt", "C", "计算器", "calc"},
                                             {"无", "F5", "工具", "C:\\Tools\\app.exe"},
                                             {"Shift", "F6", "网站", "http://example.com/"}},
                                            system);
    if (!optionsFile.empty()) system.files[kOptPath] = optionsFile;
    program.LoadPhase();
    program.InitialisePhase();
  }
  // Which of the three bindings are registered, which rows are grey and which menu items on.
  void CheckOff(bool first, bool second, bool third) {
    const bool off[] = {first, second, third};
    for (int i = 0; i < 3; ++i) {
      int row = kFirstBindingRow + i;
      int slot = grid.RowSlot(row);
      ASSERT_GE(slot, 0);
      EXPECT_EQ(system.registered.count(BindingIdBase + slot) == 0, off[i]) << "row " << row;
      EXPECT_EQ(grid.RowDisabled(row), off[i]) << "row " << row;
      EXPECT_EQ(view.menu[static_cast<std::size_t>(slot)].enabled, !off[i]) << "row " << row;
    }
  }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
  MainCommands commands{program, system, view, grid};
};

TEST_F(LaunchOptionsTest, SwitchedOffBindingStaysFreeThroughApplyAndLockAndCanComeBack) {
  StartUp("[无 | F5]\r\nEnabled=0\r\n");
  CheckOff(false, true, false);
  commands.Apply();
  CheckOff(false, true, false);
  commands.ToggleLock();
  commands.ToggleLock();
  EXPECT_EQ(system.registered.count(BindingIdBase + grid.RowSlot(3)), 0u);
  EXPECT_FALSE(grid.RowHeld(3));  // off, not taken by another program

  system.calls.clear();
  grid.currentRow = 3;
  commands.EditMenuOpening();
  EXPECT_EQ(system.CallsStartingWith("View.MenuText"),
            std::vector<std::string>{"View.MenuText toggleenabled 启用热键(&T)"});
  commands.ToggleEnabled();
  CheckOff(false, false, false);
  EXPECT_EQ(system.files[kOptPath], kBom);  // nothing left to keep
  grid.currentRow = 2;
  commands.ToggleEnabled();
  CheckOff(true, false, false);
  EXPECT_EQ(system.files[kOptPath], kBom + "[Ctrl + Alt | C]\r\nEnabled=0\r\n");
}

TEST_F(LaunchOptionsTest, OptionsFollowTheirBindingThroughEditsDeletionAndNamedLists) {
  system.files["C:\\HK\\SaveKey.abbr"] = "[addr]\r\nText=地址\r\n";  // and the abbreviations
  StartUp("[Ctrl + Alt | C]\r\nArguments=-x\r\n; mine\r\n");
  // A change of the combination in the editor moves the section, comment and all.
  EditorModel& editor = program.editor;
  editor.FillFromRow(2);
  EXPECT_EQ(editor.Options().Arguments, "-x");
  ASSERT_TRUE(editor.ChooseKey(kEditorBaseKeyBox, "D"));
  ASSERT_TRUE(editor.Apply());
  editor.Ok();
  EXPECT_EQ(system.files[kOptPath], kBom + "[Ctrl + Alt | D]\r\nArguments=-x\r\n; mine\r\n");
  ASSERT_EQ(grid.Cell(2, 1), "D");
  EXPECT_EQ(program.core.table.slots[grid.RowSlot(2)].Options.Arguments, "-x");

  // A named list keeps the options beside it, and they go where the list goes.
  program.saveList.Activate();
  program.saveList.SetNameText("工作");
  ASSERT_EQ(program.saveList.Save(), SaveListOutcome::kSaved);
  EXPECT_EQ(system.files["C:\\HK\\工作.opt"], system.files[kOptPath]);
  program.saveList.Activate();
  const auto& lists = program.saveList.Lists();
  int index = static_cast<int>(std::find_if(lists.begin(), lists.end(),
                                            [](const NamedList& l) { return l.name == "工作"; }) -
                               lists.begin());
  program.saveList.ClickName(index);
  program.saveList.askNewName = [](const std::string&) { return std::string("家里"); };
  ASSERT_TRUE(program.saveList.Rename());
  EXPECT_EQ(system.files.count("C:\\HK\\工作.opt"), 0u);
  EXPECT_EQ(system.files.count("C:\\HK\\家里.opt"), 1u);
  EXPECT_EQ(system.files.count("C:\\HK\\工作.abbr"), 0u);

  // A deletion takes the binding's section with it.
  system.messageBoxAnswers = {kIdOk};
  grid.currentRow = 2;
  commands.Delete();
  EXPECT_EQ(system.files[kOptPath], kBom);

  // The import reads the imported list's options.
  program.liveSettings.SetListPath("C:\\HK\\家里.htk");
  program.ReplaceList();
  EXPECT_EQ(program.core.table.slots[0].KeyText, "D");
  EXPECT_EQ(program.core.table.slots[0].Options.Arguments, "-x");
  EXPECT_EQ(program.abbreviations.Entries().size(), 1u);
  // A list without abbreviations has none, whatever the list before had.
  system.files["C:\\HK\\空.htk"] = "";
  program.liveSettings.SetListPath("C:\\HK\\空.htk");
  program.ReplaceList();
  EXPECT_EQ(program.core.abbreviations, nullptr);
}

TEST_F(LaunchOptionsTest, TheTildeKeyIsGivenBackAndTakenAgainAtOnce) {
  settings.values["ClickKey"] = "0";
  StartUp("");
  EXPECT_EQ(system.registered.count(ForegroundClickHotkeyId), 0u);
  EXPECT_FALSE(program.liveSettings.Checked(SettingsCheck::kClickKey));
  program.liveSettings.SetChecked(SettingsCheck::kClickKey, true);
  EXPECT_EQ(system.registered.count(ForegroundClickHotkeyId), 1u);
  EXPECT_EQ(settings.values["ClickKey"], "1");
  program.liveSettings.SetChecked(SettingsCheck::kClickKey, false);
  EXPECT_EQ(system.registered.count(ForegroundClickHotkeyId), 0u);
  EXPECT_EQ(settings.values["ClickKey"], "0");
}

TEST(LaunchOptionsModel, BoxesGiveBackTheOptionsTheyShow) {
  LaunchOptions all;
  all.Arguments = "-a";
  all.StartIn = "D:\\w";
  all.Window = WindowState::kMinimized;
  all.RunAs = RunLevel::kAdmin;
  all.WhenRunning = IfRunning::kToggle;
  all.Enabled = false;
  LaunchOptionsModel model(all);
  EXPECT_EQ(model.Result(), all);
  model.FolderChosen(std::nullopt);  // the chooser cancelled
  EXPECT_EQ(model.Result(), all);
  model.FolderChosen("E:\\x");
  model.arguments = "  -b  ";
  model.window = 7;  // nothing chosen in the list
  model.ifRunning = -1;
  LaunchOptions changed = all;
  changed.StartIn = "E:\\x";
  changed.Arguments = "-b";
  changed.Window = WindowState::kNormal;
  changed.WhenRunning = IfRunning::kStart;
  EXPECT_EQ(model.Result(), changed);
}

TEST_F(LaunchOptionsTest, RowTipsSayWhereTheirBindingsActThroughReloadsAndEdits) {
  StartUp("");
  program.options.Set("Ctrl + Alt", "C", Scoped(ProgramScope::kOnlyIn, "notepad.exe"));
  commands.Apply();
  EXPECT_EQ(grid.RowNote(2), "仅在 notepad.exe 中");
  EXPECT_EQ(grid.RowNote(3), "");
  // Options the editor keeps as its window is closed show at once.
  program.editor.FillFromRow(2);
  program.editor.SetOptions(Scoped(ProgramScope::kNotIn, "calc.exe;Code.exe"));
  ASSERT_TRUE(program.editor.Apply());
  program.editor.Close();
  EXPECT_EQ(grid.RowNote(2), "除 calc.exe、Code.exe 外");
}

TEST(LaunchOptionsModel, TheTextIsEditedOnlyForABindingThatTypesItAndCutWhole) {
  LaunchOptions typed = Scoped(ProgramScope::kNotIn, "a.exe");
  typed.Arguments = "-a";
  typed.Text = "a\nb";
  LaunchOptionsModel other(typed);  // opened for a program: the text stays as it was
  EXPECT_EQ(other.text, "a\r\nb");  // as the box shows it
  other.text = "x";
  EXPECT_EQ(other.Result(), typed);
  LaunchOptionsModel model(typed, true);
  model.text = " 一\r\n二 ";  // blanks are part of it
  EXPECT_EQ(model.Result().Text, model.text);
  const std::string pair = "\xF0\x9F\x98\x80";  // two UTF-16 units
  model.text = std::string(32766, 'x') + pair;
  EXPECT_EQ(model.Result().Text, std::string(32766, 'x'));
  model.text = std::string(32765, 'x') + pair + "y";
  EXPECT_EQ(model.Result().Text, std::string(32765, 'x') + pair);
}

TEST(LaunchOptionsModel, AScopeNeedsProgramsAndPickedOnesJoinThem) {
  LaunchOptionsModel model(LaunchOptions{});
  auto result = [&model](int scope, const std::string& programs) {
    model.scope = scope;
    model.programs = programs;
    return std::pair(model.Result().Scope, model.Result().Programs);
  };
  EXPECT_EQ(result(1, "  "), std::pair(ProgramScope::kEverywhere, std::string()));
  EXPECT_EQ(result(1, " a.exe "), std::pair(ProgramScope::kOnlyIn, std::string("a.exe")));
  EXPECT_EQ(result(7, "a.exe"), std::pair(ProgramScope::kEverywhere, std::string("a.exe")));
  for (const char* picked : {"Code.exe", "A.EXE", ""}) model.ProgramChosen(picked);
  EXPECT_EQ(SplitProgramList(model.programs), (std::vector<std::string>{"a.exe", "Code.exe"}));
}

}  // namespace
}  // namespace tarvek

namespace tarvek {
namespace {

// The menu's 停用热键 of all bindings takes the key hook away with the registrations, and brings
// it back with them, never registering a binding that has a condition.
TEST_F(LaunchOptionsTest, DisablingEveryHotkeyTakesTheKeyHookAlongAndBringsItBack) {
  StartUp("[无 | F5]\r\nOnlyIn=notepad.exe\r\n");
  const int slot = grid.RowSlot(3);
  ASSERT_NE(system.watched, nullptr);
  EXPECT_EQ(system.watched->bindings.size(), 1u);
  commands.ToggleLock();
  EXPECT_EQ(system.watched, nullptr);
  commands.ToggleLock();
  ASSERT_NE(system.watched, nullptr);
  EXPECT_EQ(system.watched->bindings[0].slot, slot);
  EXPECT_EQ(system.registered.count(BindingIdBase + slot), 0u);
  EXPECT_FALSE(grid.RowHeld(3));
}

// Bringing every hotkey back hands the mouse bindings to the mouse hook, never to RegisterHotKey
// and never shown as taken; a middle click without a modifier is refused as at start-up.
TEST_F(LaunchOptionsTest, EnablingEveryHotkeyAgainLeavesMouseBindingsToTheMouseHook) {
  StartUp("");
  const int bare = grid.RowSlot(3), shifted = grid.RowSlot(4);
  program.core.table.slots[bare].VirtualKey = kMiddleButtonCode;
  program.core.table.slots[shifted].VirtualKey = kSideButton2Code;
  commands.ToggleLock();
  EXPECT_EQ(system.watchedMouse, nullptr);
  commands.ToggleLock();
  ASSERT_NE(system.watchedMouse, nullptr);
  ASSERT_EQ(system.watchedMouse->bindings.size(), 1u);
  EXPECT_EQ(system.watchedMouse->bindings[0].slot, shifted);
  EXPECT_EQ(system.registered.count(BindingIdBase + shifted) +
                system.registered.count(BindingIdBase + bare),
            0u);
  EXPECT_EQ(std::pair(grid.RowHeld(3), grid.RowHeld(4)), std::pair(true, false));
}

}  // namespace
}  // namespace tarvek

namespace tarvek {
namespace {

// A hand-written middle button without a modifier can never act: its row is marked as the
// refused ones are, and the message says why instead of blaming another program.
TEST_F(LaunchOptionsTest, AMouseTriggerWithoutItsModifierIsMarkedAndToldWhy) {
  system.files[kListPath] = SerializeList(
      {{"无", "鼠标中键", "中键", "calc"}, {"无", "鼠标侧键1", "侧键", "calc"}}, system);
  program.LoadPhase();
  program.InitialisePhase();
  EXPECT_EQ(std::pair(grid.RowHeld(2), grid.RowHeld(3)), std::pair(true, false));
  system.calls.clear();
  program.ReregisterAllHotkeys();
  const std::vector<std::string> boxes = system.CallsStartingWith("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find("下列热键没有辅助键，不起作用：\n\n中键（鼠标中键）"), std::string::npos);
  EXPECT_EQ(boxes[0].find("其他程序"), std::string::npos);
}

}  // namespace
}  // namespace tarvek
