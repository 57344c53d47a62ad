// The running list's abbreviation file: what a file read in part or not at all does to the
// file, and how the file goes with named lists.
#include "core/files/active_abbreviations.h"

#include <gtest/gtest.h>

#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/program.h"

namespace tarvek {
namespace {

using testing::RecordingSystem;

Abbreviation Entry(std::string abbreviation, std::string text) {
  Abbreviation entry;
  entry.abbreviation = std::move(abbreviation);
  entry.text = std::move(text);
  return entry;
}

TEST(ActiveAbbreviations, AFileReadInPartIsToldOnceKeptBeforeTheFirstWriteAndAnUnreadableOneNever) {
  RecordingSystem system;
  const std::string path = "C:\\T\\SaveKey.abbr",
                    bad = "[a]\nText=1\n[A]\nText=2\n[x y]\nText=3\n[sig]\n";
  system.files[path] = bad;
  ActiveAbbreviations abbreviations;
  abbreviations.Load("C:\\T\\SaveKey.htk", system, system);
  EXPECT_EQ(abbreviations.Entries().size(), 1u);
  const std::vector<std::string> boxes = system.CallsStartingWith("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  for (const char* told :
       {"SaveKey.abbr 中有 3 处没有读入：", "[A]：与前面的缩写重复", "[x y]：含空格",
        "[sig]：没有替换文字", "复制为：\nC:\\T\\SaveKey.abbr.bak] [缩写替换]"}) {
    EXPECT_NE(boxes[0].find(told), std::string::npos) << told << " in " << boxes[0];
  }
  const std::vector<Abbreviation> two = {Entry("a", "1"), Entry("sig", "签名")};
  ASSERT_TRUE(abbreviations.Replace(two, system, system, system));
  EXPECT_EQ(system.files[path + ".bak"], bad);
  EXPECT_EQ(system.files[path], SerializeAbbreviationFile(two));
  system.files.erase(path + ".bak");
  ASSERT_TRUE(abbreviations.Replace({}, system, system, system));  // an empty table is no file
  EXPECT_EQ(system.files.count(path) + system.files.count(path + ".bak"), 0u);

  system.files[path] = bad;
  system.lockedPaths.insert(path);
  abbreviations.Load("C:\\T\\SaveKey.htk", system, system);
  system.lockedPaths.clear();
  EXPECT_EQ(system.CallsStartingWith("MessageBox").size(), 2u);
  EXPECT_FALSE(abbreviations.Writable());
  EXPECT_FALSE(abbreviations.Replace(two, system, system, system));
  EXPECT_EQ(system.files[path], bad);
}

TEST(ActiveAbbreviations, NamedListsCarryTheFileAndAnImportReadsItsOwnOrNone) {
  RecordingSystem system;
  testing::MemorySettings settings;
  settings.values["FileSave"] = "C:\\HK\\SaveKey.htk";
  testing::RecordingMainWindow view{system.calls};
  testing::FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
  const std::string list = SerializeList({{"Ctrl + Alt", "C", "计算器", "calc"}}, system);
  const std::string abbr = SerializeAbbreviationFile({Entry("addr", "地址")});
  system.files["C:\\HK\\SaveKey.htk"] = system.files["C:\\HK\\空.htk"] = list;
  system.files["C:\\HK\\SaveKey.abbr"] = abbr;
  program.LoadPhase();
  program.InitialisePhase();
  SaveListModel& lists = program.saveList;
  auto click = [&lists](const std::string& name) {
    lists.Activate();
    for (int i = 0; i < static_cast<int>(lists.Lists().size()); ++i) {
      if (lists.Lists()[i].name == name) lists.ClickName(i);
    }
  };
  lists.Activate();
  lists.SetNameText("工作");
  ASSERT_EQ(lists.Save(), SaveListOutcome::kSaved);
  click("工作");
  lists.askNewName = [](const std::string&) { return std::string("家里"); };
  ASSERT_TRUE(lists.Rename());
  EXPECT_EQ(system.files.count("C:\\HK\\工作.abbr"), 0u);
  EXPECT_EQ(system.files["C:\\HK\\家里.abbr"], abbr);

  program.liveSettings.SetListPath("C:\\HK\\家里.htk");
  program.ReplaceList();
  ASSERT_EQ(program.abbreviations.Entries().size(), 1u);
  EXPECT_EQ(program.abbreviations.Path(), "C:\\HK\\家里.abbr");
  program.liveSettings.SetListPath("C:\\HK\\空.htk");
  program.ReplaceList();
  EXPECT_TRUE(program.abbreviations.Entries().empty());
  EXPECT_EQ(program.core.abbreviations, nullptr);
  click("家里");
  ASSERT_TRUE(lists.Delete());
  EXPECT_EQ(system.files.count("C:\\HK\\家里.abbr"), 0u);
}

}  // namespace
}  // namespace tarvek
