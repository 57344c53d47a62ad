#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "recording_system.h"
#include "settings/settings_dialog_model.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;

const std::string kProgram = "C:\\HK\\TarvekHotKey.exe";
const std::string kQuotedProgram = "\"" + kProgram + "\"";
constexpr SettingsCheck kAllChecks[] = {SettingsCheck::kStartWithWindows, SettingsCheck::kPlaySound,
                                        SettingsCheck::kShowInfo, SettingsCheck::kShowIcon,
                                        SettingsCheck::kShowHotKeyNameInMenu};

std::string Box(const std::string& text, const std::string& title) {
  return "MessageBox [" + text + "] [" + title + "] 0x10";
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  SettingsDialogTest() {
    settings.calls = &system.calls;
    model.onChanged = [this] { ++changes; };
    model.onSaved = [this] { ++saved; };
    grid.AddRow("Win\tSpace\t显示本软件\t无");         // row 1: the activation hotkey
    grid.AddRow("Ctrl + Alt\tH\t帮助\tC:\\help.exe");  // rows 2 and up: bindings
    grid.AddRow("Ctrl\tF1\t文档\tC:\\doc.txt");
    model.SetRegisteredActivation(KeyCombination{kModWin, 32});
  }

  void Choose(const char* m1, const char* m2, const char* key) {
    ASSERT_TRUE(model.ChooseActivation(0, m1));
    ASSERT_TRUE(model.ChooseActivation(1, m2));
    ASSERT_TRUE(model.ChooseActivation(2, key));
  }

  // One box through both directions: what each change writes, that a value the box already
  // has writes nothing, and that no other box moves.
  void CheckBoxStores(SettingsCheck box, const std::string& tickedLine,
                      const std::string& untickedLine) {
    SCOPED_TRACE(static_cast<int>(box));
    SettingsDialogModel fresh(settings, kProgram);
    int told = 0;
    fresh.onChanged = [&told] { ++told; };
    std::vector<std::pair<SettingsCheck, bool>> changed;
    fresh.onCheckChanged = [&changed](SettingsCheck b, bool ticked) {
      changed.emplace_back(b, ticked);
    };
    system.calls.clear();

    fresh.SetChecked(box, false);
    EXPECT_EQ(system.calls, Calls{});
    EXPECT_FALSE(fresh.SaveChangesEnabled());
    EXPECT_EQ(told, 0);

    fresh.SetChecked(box, true);
    fresh.SetChecked(box, true);
    EXPECT_EQ(system.calls, Calls{tickedLine});
    EXPECT_TRUE(fresh.Checked(box));
    EXPECT_TRUE(fresh.SaveChangesEnabled());
    EXPECT_FALSE(fresh.SaveHotkeyEnabled());
    EXPECT_EQ(told, 1);
    for (SettingsCheck other : kAllChecks) {
      if (other != box) {
        EXPECT_FALSE(fresh.Checked(other)) << static_cast<int>(other);
      }
    }

    fresh.SetChecked(box, false);
    EXPECT_EQ(system.calls, (Calls{tickedLine, untickedLine}));
    EXPECT_FALSE(fresh.Checked(box));
    EXPECT_EQ(changed, (std::vector<std::pair<SettingsCheck, bool>>{{box, true}, {box, false}}));
  }

  // The refusal shows exactly this one message and touches neither the registration, the
  // registry nor the grid.
  void ExpectRefused(SaveHotkeyOutcome outcome, const std::string& message) {
    const auto rowsBefore = grid.rows;
    system.calls.clear();
    EXPECT_EQ(model.SaveHotkey(grid, system, system), outcome);
    EXPECT_EQ(system.calls, Calls{message});
    EXPECT_EQ(grid.rows, rowsBefore);
    EXPECT_EQ(settings.Get(setting::kHotKeyName), "");
    EXPECT_FALSE(model.SaveHotkeyEnabled());
  }

  void ExpectSaved(const std::string& activationText) {
    EXPECT_EQ(model.SaveHotkey(grid, system, system), SaveHotkeyOutcome::kSaved);
    EXPECT_EQ(settings.Get(setting::kHotKeyName), activationText);
    EXPECT_EQ(grid.Cell(1, 2), "显示本软件");
  }

  RecordingSystem system;
  MemorySettings settings;
  FakeGrid grid;
  SettingsDialogModel model{settings, kProgram};
  int changes = 0;
  int saved = 0;
};

// --- Check boxes --------------------------------------------------------------------------

TEST_F(SettingsDialogTest, EachBoxStoresItsOwnSettingAtOnceWhenItChanges) {
  CheckBoxStores(SettingsCheck::kStartWithWindows, "SetRunEntry " + kQuotedProgram,
                 "SetRunEntry  ");
  CheckBoxStores(SettingsCheck::kPlaySound, "Set PlaySound 1", "Set PlaySound 0");
  CheckBoxStores(SettingsCheck::kShowInfo, "Set ShowInfo 1", "Set ShowInfo 0");
  CheckBoxStores(SettingsCheck::kShowIcon, "Set ShowIcon 1", "Set ShowIcon 0");
  CheckBoxStores(SettingsCheck::kShowHotKeyNameInMenu, "Set ShowHotKeyNameInMenu 1",
                 "Set ShowHotKeyNameInMenu 0");
}

// --- Each showing ---------------------------------------------------------------------------

TEST_F(SettingsDialogTest, ShowingWithoutAStartEntryLeavesTheBoxUntickedAndWritesNothing) {
  for (const char* entry : {"", " "}) {
    settings.runEntry = entry;
    system.calls.clear();
    model.Activate();
    EXPECT_FALSE(model.Checked(SettingsCheck::kStartWithWindows)) << '[' << entry << ']';
    EXPECT_EQ(system.calls, Calls{});
  }
}

TEST_F(SettingsDialogTest, FirstShowingWithAStartEntryWritesItAgainWithThisProgramsPath) {
  settings.runEntry = "\"D:\\Old place\\TarvekHotKey.exe\"";
  settings.values["PlaySound"] = "1";
  model.Activate();
  EXPECT_TRUE(model.Checked(SettingsCheck::kStartWithWindows));
  EXPECT_TRUE(model.Checked(SettingsCheck::kPlaySound));
  EXPECT_EQ(system.calls, (Calls{"SetRunEntry " + kQuotedProgram, "Set PlaySound 1"}));

  system.calls.clear();
  model.Cancel();
  model.Activate();  // the boxes already show the stored values
  EXPECT_EQ(system.calls, Calls{});
}

TEST_F(SettingsDialogTest, ShowingReadsTheSoundByItsNumberAndUnticksForAnythingButOne) {
  for (const char* stored : {"0", "", " ", "2", "abc"}) {
    model.SetChecked(SettingsCheck::kPlaySound, true);
    settings.values["PlaySound"] = stored;
    model.Activate();
    EXPECT_FALSE(model.Checked(SettingsCheck::kPlaySound)) << '[' << stored << ']';
  }
}

TEST_F(SettingsDialogTest, ShowingDisablesBothSaveButtonsThatItsOwnChangesEnabled) {
  settings.runEntry = kQuotedProgram;
  model.SetListPath("D:\\Lists\\work.htk");
  ASSERT_TRUE(model.ChooseActivation(0, "Ctrl"));
  model.Activate();
  EXPECT_TRUE(model.Visible());
  EXPECT_EQ(model.ListPath(), "D:\\Lists\\work.htk");
  EXPECT_FALSE(model.SaveChangesEnabled());
  EXPECT_FALSE(model.SaveHotkeyEnabled());
  EXPECT_GT(changes, 0);
}

TEST_F(SettingsDialogTest, ShowingAndCancelKeepThePathWhenTheStoredOneReadsAsEmpty) {
  model.SetListPath("C:\\HK\\SaveKey.htk");
  for (const char* stored : {"", " ", "   "}) {
    settings.values["FileSave"] = stored;
    model.Activate();
    EXPECT_EQ(model.ListPath(), "C:\\HK\\SaveKey.htk") << '[' << stored << ']';
    model.Cancel();
    EXPECT_EQ(model.ListPath(), "C:\\HK\\SaveKey.htk") << '[' << stored << ']';
  }
}

// --- Path, save changes, cancel ---------------------------------------------------------------

TEST_F(SettingsDialogTest, ThePathDialogReplacesThePathOnlyWithANewChoice) {
  model.SetListPath("C:\\HK\\SaveKey.htk");
  model.Activate();
  for (const std::optional<std::string>& answer :
       {std::optional<std::string>{}, std::optional<std::string>{""},
        std::optional<std::string>{"C:\\HK\\SaveKey.htk"}}) {
    model.ChoosePath(answer);
    EXPECT_EQ(model.ListPath(), "C:\\HK\\SaveKey.htk");
    EXPECT_FALSE(model.SaveChangesEnabled());
  }
  model.ChoosePath("D:\\Lists\\work.htk");
  EXPECT_EQ(model.ListPath(), "D:\\Lists\\work.htk");
  EXPECT_TRUE(model.SaveChangesEnabled());
}

TEST_F(SettingsDialogTest, SaveChangesStoresThePathHidesAndTellsTheMainWindow) {
  settings.values["FileSave"] = "C:\\HK\\SaveKey.htk";
  model.Activate();
  model.SetListPath("D:\\Lists\\work.htk");
  system.calls.clear();
  model.SaveChanges();
  EXPECT_EQ(system.calls, Calls{"Set FileSave D:\\Lists\\work.htk"});
  EXPECT_FALSE(model.Visible());
  EXPECT_EQ(saved, 1);
  model.Activate();
  EXPECT_EQ(model.ListPath(), "D:\\Lists\\work.htk");
}

TEST_F(SettingsDialogTest, CancelPutsThePathBackAndUndoesNoCheckBox) {
  settings.values["FileSave"] = "C:\\HK\\SaveKey.htk";
  model.SetListPath("C:\\HK\\SaveKey.htk");
  model.Activate();
  model.SetListPath("D:\\Lists\\typed.htk");
  model.SetChecked(SettingsCheck::kShowInfo, true);
  system.calls.clear();
  model.Cancel();
  EXPECT_FALSE(model.Visible());
  EXPECT_EQ(model.ListPath(), "C:\\HK\\SaveKey.htk");
  EXPECT_TRUE(model.Checked(SettingsCheck::kShowInfo));
  EXPECT_EQ(settings.Get(setting::kShowInfo), "1");
  EXPECT_EQ(system.calls, Calls{});
  EXPECT_EQ(saved, 0);
}

// An import makes another file the active list without storing it. Showing and cancelling the
// dialog must leave that file active: with the stored path put back, the grid would show the
// imported bindings while every save went over the start list.
TEST_F(SettingsDialogTest, TheActiveListSurvivesShowingAndCancellingTheDialog) {
  settings.values["FileSave"] = "C:\\HK\\SaveKey.htk";
  model.SetListPath("C:\\HK\\SaveKey.htk");
  model.SetListPath("C:\\HK\\工作.htk");  // what the import dialog does
  system.calls.clear();
  model.Activate();
  EXPECT_EQ(model.ListPath(), "C:\\HK\\工作.htk");
  model.SetListPath("C:\\HK\\typed.htk");
  model.ChoosePath("D:\\Lists\\chosen.htk");
  model.Cancel();
  EXPECT_EQ(model.ListPath(), "C:\\HK\\工作.htk");
  EXPECT_EQ(system.calls, Calls{});  // FileSave untouched

  // A Cancel that is not the dialog's (it is hidden) changes nothing either.
  model.SetListPath("C:\\HK\\家里.htk");
  model.Cancel();
  EXPECT_EQ(model.ListPath(), "C:\\HK\\家里.htk");

  // 保存修改 &Y stores the field as before.
  model.Activate();
  model.SaveChanges();
  EXPECT_EQ(settings.values["FileSave"], "C:\\HK\\家里.htk");
}

// --- Activation boxes -------------------------------------------------------------------------

TEST_F(SettingsDialogTest, ActivationBoxesOfferModifiersThenKeysAndAChoiceEnablesSaveHotkey) {
  EXPECT_EQ(model.ActivationBox(0), "无");
  EXPECT_EQ(model.ActivationBox(1), "无");
  EXPECT_EQ(model.ActivationBox(2), "A");
  EXPECT_FALSE(model.ChooseActivation(0, "F5"));
  EXPECT_FALSE(model.ChooseActivation(2, "Ctrl"));
  EXPECT_FALSE(model.ChooseActivation(2, "鼠标侧键1"));  // the editor's, not a system hotkey
  EXPECT_FALSE(model.ChooseActivation(2, "F25"));
  EXPECT_FALSE(model.ChooseActivation(3, "A"));
  EXPECT_FALSE(model.SaveHotkeyEnabled());
  EXPECT_TRUE(model.ChooseActivation(2, "←"));
  EXPECT_TRUE(model.SaveHotkeyEnabled());
  EXPECT_FALSE(model.SaveChangesEnabled());
  EXPECT_EQ(model.ActivationBox(2), "←");
}

// The stored text shown in the boxes, and saved from them unchanged.
void CheckStoredActivation(const std::string& stored, const std::array<const char*, 3>& boxes,
                           const std::string& savedAgain) {
  SCOPED_TRACE(stored);
  RecordingSystem system;
  MemorySettings settings;
  FakeGrid grid;
  grid.AddRow(stored + "\t显示本软件\t无");
  SettingsDialogModel model(settings, kProgram);
  model.ShowActivationHotkey(stored);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(model.ActivationBox(i), boxes[i]) << i;
  EXPECT_FALSE(model.SaveHotkeyEnabled());
  EXPECT_EQ(model.SaveHotkey(grid, system, system), SaveHotkeyOutcome::kSaved);
  EXPECT_EQ(settings.Get(setting::kHotKeyName), savedAgain);
}

TEST(SettingsDialogActivation, StoredTextFillsTheBoxesAndSavesBackTheSame) {
  CheckStoredActivation("Ctrl + Alt\tF5", {"Ctrl", "Alt", "F5"}, "Ctrl + Alt\tF5");
  CheckStoredActivation("Win\tSpace", {"Win", "无", "Space"}, "Win\tSpace");
  CheckStoredActivation("Shift + Win\t↑", {"Shift", "Win", "↑"}, "Shift + Win\t↑");
  CheckStoredActivation("Alt\t~", {"Alt", "无", "~"}, "Alt\t~");
  // Nothing stored, or one blank: Win + Space, which start-up registers then.
  CheckStoredActivation("", {"Win", "无", "Space"}, "Win\tSpace");
  CheckStoredActivation(" ", {"Win", "无", "Space"}, "Win\tSpace");
}

TEST(SettingsDialogActivation, NamesTheBoxesDoNotOfferLeaveThemAsTheyWere) {
  MemorySettings settings;
  SettingsDialogModel model(settings, kProgram);
  model.ShowActivationHotkey("Hyper + Ctrl\t滚轮向上");
  EXPECT_EQ(model.ActivationBox(0), "无");
  EXPECT_EQ(model.ActivationBox(1), "Ctrl");
  EXPECT_EQ(model.ActivationBox(2), "A");
}

// --- Save hotkey ------------------------------------------------------------------------------

TEST_F(SettingsDialogTest, RefusalsShowTheirMessageAndChangeNothing) {
  Choose("Ctrl", "Ctrl", "K");
  ExpectRefused(SaveHotkeyOutcome::kSameModifierTwice, Box("不能有两个相同的辅助键!", "错误!"));
  Choose("无", "无", "K");
  ExpectRefused(SaveHotkeyOutcome::kNoModifier, Box("热键中至少需要有一个辅助热键.", "热键错误"));
  Choose("Ctrl", "Alt", "H");
  ExpectRefused(SaveHotkeyOutcome::kInUse, Box("此热键已经被使用，不能重复定义.", "定义热键错误!"));
  // The same combination written the other way round registers the same keys.
  Choose("Alt", "Ctrl", "H");
  ExpectRefused(SaveHotkeyOutcome::kInUse, Box("此热键已经被使用，不能重复定义.", "定义热键错误!"));
  Choose("Ctrl", "无", "C");
  ExpectRefused(SaveHotkeyOutcome::kReserved,
                Box("此热键已经被系统使用，不能定义.", "定义热键错误!"));
  Choose("无", "Alt", "F4");
  ExpectRefused(SaveHotkeyOutcome::kReserved,
                Box("此热键已经被系统使用，不能定义.", "定义热键错误!"));
}

TEST_F(SettingsDialogTest, OnlyTheSameKeysBlockNotASubsetOrAPrefix) {
  grid.RemoveRow(2);
  grid.AddRow("Alt\tH\t帮助\tC:\\help.exe");
  Choose("Ctrl", "Alt", "H");
  ExpectSaved("Ctrl + Alt\tH");
  Choose("Ctrl", "无", "F10");
  ExpectSaved("Ctrl\tF10");
}

TEST_F(SettingsDialogTest, SavingTheActiveCombinationAgainIsAcceptedAndKeepsRowOne) {
  Choose("Win", "无", "Space");
  const auto rowsBefore = grid.rows;
  ExpectSaved("Win\tSpace");
  EXPECT_EQ(grid.rows, rowsBefore);
}

TEST_F(SettingsDialogTest, SaveRegistersFirstThenStoresAndRewritesRowOne) {
  int told = 0;
  std::string toldText;
  model.onActivationSaved = [&](const std::string& text) {
    ++told;
    toldText = text;
  };
  grid.MarkRowHeld(1, true);
  Choose("Ctrl", "Shift", "K");
  system.calls.clear();
  EXPECT_EQ(model.SaveHotkey(grid, system, system), SaveHotkeyOutcome::kSaved);
  EXPECT_EQ(system.calls, (Calls{"UnregisterHotkey -12544", "RegisterHotkey -12544 6 75",
                                 "Set HotKeyName Ctrl + Shift\tK"}));
  EXPECT_EQ(grid.rows[1], (std::vector<std::string>{"Ctrl + Shift", "K", "显示本软件", "无"}));
  EXPECT_FALSE(grid.RowHeld(1));
  EXPECT_EQ(grid.Rows(), 4);
  EXPECT_EQ(grid.Cell(2, 0), "Ctrl + Alt");
  EXPECT_EQ(model.RegisteredActivation(), (KeyCombination{6, 75}));
  EXPECT_EQ(told, 1);
  EXPECT_EQ(toldText, "Ctrl + Shift\tK");
  EXPECT_FALSE(model.SaveHotkeyEnabled());
}

TEST_F(SettingsDialogTest, ACombinationAnotherProgramHoldsGivesTheOldOneBack) {
  system.heldByOthers.insert({6, 75});
  Choose("Ctrl", "Shift", "K");
  const auto rowsBefore = grid.rows;
  system.calls.clear();
  EXPECT_EQ(model.SaveHotkey(grid, system, system), SaveHotkeyOutcome::kHeldByOther);
  EXPECT_EQ(system.calls, (Calls{"UnregisterHotkey -12544", "RegisterHotkey -12544 6 75",
                                 "RegisterHotkey -12544 8 32",
                                 Box("此热键已被其他程序占用，请换一个热键。", "定义热键错误!")}));
  EXPECT_EQ(grid.rows, rowsBefore);
  EXPECT_FALSE(grid.RowHeld(1));
  EXPECT_EQ(settings.Get(setting::kHotKeyName), "");
  EXPECT_EQ(model.RegisteredActivation(), (KeyCombination{kModWin, 32}));
  EXPECT_FALSE(model.SaveHotkeyEnabled());
}

TEST_F(SettingsDialogTest, WhenTheOldCombinationIsLostTooRowOneIsMarked) {
  system.heldByOthers.insert({6, 75});
  system.heldByOthers.insert({kModWin, 32});
  Choose("Ctrl", "Shift", "K");
  EXPECT_EQ(model.SaveHotkey(grid, system, system), SaveHotkeyOutcome::kHeldByOther);
  EXPECT_TRUE(grid.RowHeld(1));
  EXPECT_EQ(model.RegisteredActivation(), std::nullopt);
  EXPECT_EQ(grid.Cell(1, 0), "Win");

  // With nothing registered there is nothing to give back.
  system.calls.clear();
  model.SaveHotkey(grid, system, system);
  EXPECT_EQ(system.CallsStartingWith("RegisterHotkey"), Calls{"RegisterHotkey -12544 6 75"});
}

}  // namespace
}  // namespace tarvek
