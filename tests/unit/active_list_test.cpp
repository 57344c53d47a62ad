// The list file is never written over or thinned without the user's word: a list that could
// not be read, a list that loaded only in part, a folder that takes no file, a program folder
// that was moved.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/files/active_list.h"
#include "shell/main_commands.h"
#include "recording_main_window.h"
#include "recording_system.h"
#include "settings/list_path.h"
#include "shell/program.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::MemorySettings;
using testing::RecordingMainWindow;
using testing::RecordingSystem;
using Calls = std::vector<std::string>;
using Bindings = std::vector<BindingTexts>;

const std::string kFolder = "C:\\HK";
const std::string kList = "E:\\Sync\\mine.htk";
const Bindings kTwo = {{"Ctrl + Alt", "C", "计算器", "calc"}, {"Ctrl", "B", "记事本", "notepad"}};

Bindings Many(int n) {
  Bindings many;
  for (int i = 0; i < n; ++i) {
    many.push_back({i < 36 ? "Ctrl" : i < 72 ? "Alt" : i < 108 ? "Shift" : "Win",
                    std::string(1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[i % 36]),
                    "n" + std::to_string(i), "t"});
  }
  return many;
}

struct World {
  explicit World(const std::string& list = kList, const std::string& folder = kFolder)
      : program(system, settings, view, grid, view, folder) {
    settings.values["FileSave"] = list;
    settings.values["ShowInfo"] = "0";
  }
  void Start() {
    program.LoadPhase();
    program.InitialisePhase();
  }
  // What the editor's OK does after the binding was applied.
  void Add(const BindingTexts& b) {
    grid.AddRowCells(b, kFirstBindingRow);  // as the editor's Apply puts it in
    program.ReregisterAllHotkeys();
  }
  Calls Boxes(const std::string& part) const {
    Calls found;
    for (const std::string& box : system.CallsStartingWith("MessageBox")) {
      if (box.find(part) != std::string::npos) found.push_back(box);
    }
    return found;
  }
  int Bound() const { return grid.Rows() - kFirstBindingRow; }

  RecordingSystem system;
  MemorySettings settings;
  RecordingMainWindow view{system.calls};
  FakeGrid grid;
  Program program;
};

// For each way a list cannot be read at start: one message naming it, no bindings, an add that
// asks and, cancelled, leaves the file alone; once the cause is gone, "是" loads the file and
// saves its bindings with those added meanwhile.
TEST(ActiveListTest, AListThatCouldNotBeReadIsKeptAndARetrySavesTheUnion) {
  // A Tab a hand edit put into a name stays in it through the merge.
  const BindingTexts c{"Shift", "F3", "新\t的", "x.exe"}, d{"Win", "Q", "又一个", "y.exe"};
  for (int cause = 0; cause < 3; ++cause) {
    SCOPED_TRACE(cause);
    World w;
    w.system.files[kList] = SerializeList(kTwo, w.system);
    const std::string original = w.system.files[kList];
    if (cause == 0) w.system.absentFolders = {"E:\\Sync"};
    if (cause == 1) w.system.lockedPaths = {kList};
    if (cause == 2) w.system.unreadablePaths = {kList};
    w.system.messageBoxAnswers = {kIdOk, kIdCancel, kIdYes};
    w.Start();
    ASSERT_EQ(w.Boxes("[热键列表没有载入] 0x10").size(), 1u);
    EXPECT_EQ(w.Boxes(kList).size(), 1u);
    EXPECT_EQ(w.Bound(), 0);

    w.Add(c);
    EXPECT_EQ(w.system.files[kList], original);
    EXPECT_EQ(w.Bound(), 1);  // kept in the grid and registered, not saved

    w.system.absentFolders.clear();
    w.system.lockedPaths.clear();
    w.system.unreadablePaths.clear();
    w.Add(d);
    EXPECT_EQ(w.Boxes("[热键列表没有载入] 0x33").size(), 2u);
    EXPECT_EQ(w.system.files[kList], SerializeList({kTwo[0], kTwo[1], d, c}, w.system));
    EXPECT_EQ(w.Bound(), 4);
    EXPECT_EQ(w.system.registered.count(BindingIdBase + 3), 1u);
  }
}

// A retry that still cannot read asks again; "否" replaces the file once it can be written,
// keeping the old one beside it; a delete asks as an add does.
TEST(ActiveListTest, RetryAsksAgainAndReplaceKeepsACopy) {
  World w;
  w.system.files[kList] = SerializeList(kTwo, w.system);
  const std::string original = w.system.files[kList];
  w.system.lockedPaths = {kList};
  // The start's message; 是, 否 and the failed write on the add; the delete's question, 否.
  w.system.messageBoxAnswers = {kIdOk, kIdYes, kIdNo, kIdOk, kIdOk, kIdNo};
  w.Start();
  w.Add({"Shift", "F3", "新的", "x.exe"});  // 是, still held: asked again; 否: cannot write
  EXPECT_EQ(w.Boxes("[热键列表没有载入] 0x33").size(), 2u);
  EXPECT_EQ(w.Boxes("无法保存热键列表文件").size(), 1u);
  EXPECT_EQ(w.system.files[kList], original);

  w.system.lockedPaths.clear();
  w.system.calls.clear();
  w.grid.currentRow = kFirstBindingRow;
  MainCommands commands{w.program, w.system, w.view, w.grid};
  commands.Delete();
  EXPECT_EQ(w.Boxes("[热键列表没有载入] 0x33").size(), 1u);
  EXPECT_EQ(w.system.files[kList + ".bak"], original);
  EXPECT_EQ(w.system.files[kList], "");
  w.Add({"Win", "Q", "又一个", "y.exe"});  // loaded now: saved without a question
  EXPECT_EQ(w.Boxes("没有载入").size(), 1u);
}

TEST(ActiveListTest, MergeKeepsTheLoadedOnesAndLeavesOutClashesAndWhatDoesNotFit) {
  const BindingTexts same = kTwo[0], sameKeys{"Alt + Ctrl", "C", "别的", "x"},
                     sameName{"Shift", "Q", "记事本", "y"}, fresh{"Shift", "R", "新的", "z"};
  MergedBindings merged = MergeBindings(kTwo, {same, sameKeys, sameName, fresh});
  EXPECT_EQ(merged.kept, (Bindings{kTwo[0], kTwo[1], fresh}));
  EXPECT_EQ(merged.leftOut, (Bindings{sameKeys, sameName}));
  merged = MergeBindings(Many(kTableSlots), {{"Win + Alt", "Z", "满了", "z"}});
  EXPECT_EQ(merged.kept.size(), std::size_t{kTableSlots});
  EXPECT_EQ(merged.leftOut.size(), 1u);
}

// 保存列表 under the running list's own name is that list's save: asked about while the list is
// not loaded (取消 writes nothing and keeps the dialog open), loaded and merged on 是, and
// registered anew; a list of another name is written as always, without a question.
TEST(ActiveListTest, SavingUnderTheRunningListsNameAsksWhileItIsNotLoaded) {
  const std::string list = kFolder + "\\SaveKey.htk";
  World w(list);
  w.system.files[list] = SerializeList(kTwo, w.system);
  const std::string original = w.system.files[list];
  w.system.lockedPaths = {list};
  w.system.messageBoxAnswers = {kIdOk, kIdCancel, kIdOk, kIdYes};
  w.Start();
  SaveListModel& dialog = w.program.saveList;
  dialog.Activate();
  dialog.SetNameText("SaveKey");
  EXPECT_EQ(dialog.Save(), SaveListOutcome::kNotSaved);
  EXPECT_EQ(w.system.files[list], original);
  EXPECT_TRUE(dialog.Visible());
  EXPECT_EQ(w.Boxes("[提醒]").size(), 0u);

  dialog.SetNameText("工作");
  EXPECT_EQ(dialog.Save(), SaveListOutcome::kSaved);
  EXPECT_EQ(w.system.files[kFolder + "\\工作.htk"], SerializeList({}, w.system));
  EXPECT_EQ(w.Boxes("[热键列表没有载入] 0x33").size(), 1u);

  w.system.lockedPaths.clear();
  dialog.Activate();
  dialog.SetNameText("SaveKey");
  EXPECT_EQ(dialog.Save(), SaveListOutcome::kSaved);
  EXPECT_EQ(w.Boxes("[热键列表没有载入] 0x33").size(), 2u);
  EXPECT_EQ(w.system.files[list], original);
  EXPECT_EQ(w.Bound(), 2);
  EXPECT_EQ(w.system.registered.count(BindingIdBase + 1), 1u);
}

// 120 bindings: the load report names the copy; the first save keeps it (an older, different
// copy stays, the next free name is taken) and never saves when the copy cannot be made.
TEST(ActiveListTest, TheFirstSaveThatDropsLinesKeepsACopyUnderAFreeName) {
  World w;
  w.system.files[kList] = SerializeList(Many(120), w.system);
  const std::string original = w.system.files[kList];
  w.system.files[kList + ".bak"] = "older";
  w.Start();
  Calls report = w.Boxes("后面的 19 个没有载入");
  ASSERT_EQ(report.size(), 1u);
  EXPECT_NE(report[0].find(kList + ".2.bak"), std::string::npos);

  w.system.unwritablePaths = {kList + ".2.bak"};
  w.program.ReregisterAllHotkeys();
  EXPECT_EQ(w.system.files[kList], original);
  EXPECT_EQ(w.Boxes("无法保存这份副本").size(), 1u);

  w.system.unwritablePaths.clear();
  w.program.ReregisterAllHotkeys();
  EXPECT_EQ(w.system.files[kList + ".2.bak"], original);
  EXPECT_EQ(w.system.files[kList + ".bak"], "older");
  EXPECT_EQ(w.system.files[kList], SerializeList(Many(kTableSlots), w.system));
  w.system.calls.clear();
  w.program.ReregisterAllHotkeys();
  EXPECT_EQ(w.system.CallsStartingWith("ReplaceFileBytes"), Calls{"ReplaceFileBytes " + kList});
}

// Said at start, with where to go: the program folder itself, or the list's.
TEST(ActiveListTest, AFolderThatTakesNoFileIsReportedAtStart) {
  World w(kFolder + "\\SaveKey.htk");
  w.system.readOnlyFolders = {kFolder};
  w.Start();
  Calls said = w.Boxes("[无法保存热键列表]");
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("本程序所在的文件夹不能写入：\n" + kFolder), std::string::npos);
  EXPECT_NE(said[0].find("文档"), std::string::npos);

  World elsewhere;
  elsewhere.system.readOnlyFolders = {"E:\\Sync"};
  elsewhere.Start();
  EXPECT_EQ(elsewhere.Boxes("软件设置").size(), 1u);
}

// A moved or copied program folder uses the list beside it; a path the user chose, in this
// version or an older one (no mark), stays wherever it points.
TEST(ActiveListTest, TheListBesideAMovedProgramFollowsAChosenOneStays) {
  World w("C:\\Old\\SaveKey.htk", "C:\\Tools\\热键");
  w.settings.values["FileSaveDefault"] = "C:\\Old\\SaveKey.htk";
  w.system.files["C:\\Tools\\热键\\SaveKey.htk"] = SerializeList(kTwo, w.system);
  w.system.files["C:\\Old\\SaveKey.htk"] = "";
  w.Start();
  EXPECT_EQ(w.Bound(), 2);
  EXPECT_EQ(w.settings.values["FileSave"], "C:\\Tools\\热键\\SaveKey.htk");
  EXPECT_EQ(w.settings.values["FileSaveDefault"], "C:\\Tools\\热键\\SaveKey.htk");

  MemorySettings s;
  for (const char* chosen : {"D:\\sync\\work.htk", "D:\\sync\\SaveKey.htk", "C:\\Old\\SaveKey.htk"}) {
    s.values = {{"FileSave", chosen}};
    EXPECT_EQ(ResolveStartList(s, "C:\\New").path, chosen);
  }
  s.values = {{"FileSave", "c:\\new\\savekey.HTK"}};
  EXPECT_TRUE(ResolveStartList(s, "C:\\New").besideProgram);
  // Choosing another program folder's list takes the mark away.
  s.values = {{"FileSave", "C:\\New\\SaveKey.htk"}, {"FileSaveDefault", "C:\\New\\SaveKey.htk"}};
  SettingsDialogModel dialog(s, "C:\\New\\TarvekHotKey.exe");
  dialog.SetListPath("C:\\Old\\SaveKey.htk");
  dialog.SaveChanges();
  EXPECT_EQ(ResolveStartList(s, "C:\\New").path, "C:\\Old\\SaveKey.htk");
}

}  // namespace
}  // namespace tarvek
