// The dialog "缩写替换" without its windows: what the editing dialog refuses and says, the table
// it edits, the list's cells; and 确定 handing the table to the file and the key hook.
#include "abbreviations/abbreviations_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/input/abbreviation_matcher.h"
#include "recording_main_window.h"
#include "recording_system.h"
#include "shell/main_commands.h"

namespace tarvek {
namespace {

Abbreviation Entry(std::string abbreviation, std::string text = "文本") {
  Abbreviation e;
  e.abbreviation = std::move(abbreviation);
  e.text = std::move(text);
  return e;
}

std::vector<std::string> Names(const AbbreviationsModel& model) {
  std::vector<std::string> names;
  for (const Abbreviation& e : model.Entries()) names.push_back(e.abbreviation);
  return names;
}

// Refused with exactly this message, and the table as it was.
void ExpectRefused(AbbreviationsModel& model, const Abbreviation& entry,
                   std::optional<std::size_t> editing, const std::string& message,
                   bool aboutText = false) {
  const std::vector<Abbreviation> before = model.Entries();
  const AbbreviationsModel::Outcome outcome = model.Put(entry, editing);
  ASSERT_TRUE(outcome.refusal) << entry.abbreviation;
  EXPECT_EQ(outcome.refusal->message, message);
  EXPECT_EQ(outcome.refusal->aboutText, aboutText) << message;
  EXPECT_EQ(outcome.row, std::nullopt);
  EXPECT_EQ(model.Entries(), before);
}

TEST(AbbreviationsModelTest, RefusalsNameTheAbbreviationAndLeaveTheTableAsItWas) {
  AbbreviationsModel model({Entry("addr"), Entry("sig")});
  ExpectRefused(model, Entry(""), std::nullopt, "请输入缩写。");
  ExpectRefused(model, Entry(std::string(33, 'a')), std::nullopt,
                "缩写“" + std::string(33, 'a') + "”太长了：缩写最多 32 个字符。");
  ExpectRefused(model, Entry("my addr"), std::nullopt, "缩写“my addr”中有空格：缩写不能含有空格。");
  const std::string notTyped =
      "中有不能直接用键盘打出的字符：缩写只能由英文字母、数字和键盘上的符号组成（不含空格和 [ ]），"
      "不能有汉字或全角字符。";
  ExpectRefused(model, Entry("地址"), std::nullopt, "缩写“地址”" + notTyped);
  ExpectRefused(model, Entry("a[1]"), std::nullopt, "缩写“a[1]”" + notTyped);
  ExpectRefused(model, Entry("ADDR"), std::nullopt,
                "缩写“ADDR”已经有了（写作“addr”，不分大小写）：请换一个缩写，或修改已有的那一条。");
  ExpectRefused(model, Entry("addr"), 1, "缩写“addr”已经有了：请换一个缩写，或修改已有的那一条。");
  ExpectRefused(model, Entry("new", ""), std::nullopt, "请输入缩写“new”要替换成的文本。", true);
  // 32 characters of every kind a keyboard types are an abbreviation.
  EXPECT_EQ(model.Put(Entry(std::string(30, 'x') + ";@"), std::nullopt).row, 2u);
}

TEST(AbbreviationsModelTest, AChangeKeepsItsOwnNameInAnyCaseAndDeletesSelectTheNextRow) {
  AbbreviationsModel model({Entry("addr"), Entry("sig"), Entry("tel")});
  EXPECT_EQ(model.Put(Entry("ADDR", "新的"), 0).row, 0u);
  EXPECT_EQ(model.Entries()[0], Entry("ADDR", "新的"));
  EXPECT_EQ(model.Put(Entry("mail"), std::nullopt).row, 3u);
  EXPECT_EQ(Names(model), (std::vector<std::string>{"ADDR", "sig", "tel", "mail"}));

  EXPECT_EQ(model.Delete(1), 1u);  // tel takes sig's row
  EXPECT_EQ(model.Delete(2), 1u);  // the last row gone: the one before it
  EXPECT_EQ(Names(model), (std::vector<std::string>{"ADDR", "tel"}));
  EXPECT_EQ(model.FindStarting("T", 0), 1u);
  EXPECT_EQ(model.FindStarting("a", 1), 0u);  // round to the start
  EXPECT_EQ(model.Delete(0), 0u);
  EXPECT_EQ(model.Delete(0), std::nullopt);
  EXPECT_EQ(model.Count(), 0u);
}

TEST(AbbreviationsModelTest, BoxesMakeTheEntryAndTheListShowsItsFirstLineAndWhereItActs) {
  Abbreviation only = Entry("addr", "北京市\r\n邮编 100080");
  only.scope = ProgramScope::kOnlyIn;
  only.programs = "notepad.exe;Code.exe";
  only.immediate = true;
  EXPECT_EQ(AbbreviationFields::Of(only).Entry(), only);

  AbbreviationFields fields = AbbreviationFields::Of(only);
  fields.abbreviation = "  addr ";  // blanks around do not count
  fields.programs = " ; ";          // names no program: everywhere
  Abbreviation everywhere = only;
  everywhere.scope = ProgramScope::kEverywhere;
  everywhere.programs.clear();
  EXPECT_EQ(fields.Entry(), everywhere);

  AbbreviationsModel model({only, everywhere});
  EXPECT_EQ(model.Cell(0, 0), "addr");
  EXPECT_EQ(model.Cell(0, 1), "北京市");
  EXPECT_EQ(model.Cell(0, 2), "仅在 notepad.exe、Code.exe 中");
  EXPECT_EQ(model.Cell(1, 2), "所有程序");
}

class AbbreviationsCommandTest : public ::testing::Test {
 protected:
  AbbreviationsCommandTest() { settings.values["FileSave"] = "D:\\Lists\\mine.htk"; }

  // The calls of the dialog, the hook and the messages; the file's own are the file's tests'.
  std::vector<std::string> Calls() const {
    std::vector<std::string> seen;
    for (const std::string& c : system.calls) {
      if (c.starts_with("View.") || c.starts_with("WatchKeys") || c.starts_with("MessageBox"))
        seen.push_back(c);
    }
    return seen;
  }

  testing::RecordingSystem system;
  testing::MemorySettings settings;
  testing::RecordingMainWindow view{system.calls};
  testing::FakeGrid grid;
  Program program{system, settings, view, grid, view, "C:\\HK"};
  MainCommands commands{program, system, view, grid};
};

TEST_F(AbbreviationsCommandTest, OkHandsTheTableToTheHookUnlessPausedAndCancelKeepsIt) {
  system.files["D:\\Lists\\mine.htk"] = "";
  program.LoadPhase();
  const std::vector<Abbreviation> table = {Entry("addr"), Entry("sig")};
  view.onOpenAbbreviations = [&](const std::vector<Abbreviation>& shown) {
    EXPECT_EQ(shown, program.abbreviations.Entries());
    return std::optional(table);
  };
  system.calls.clear();
  commands.EditAbbreviations();
  EXPECT_EQ(Calls(), (std::vector<std::string>{"View.OpenAbbreviations", "WatchKeys 0"}));
  EXPECT_EQ(program.abbreviations.Entries(), table);
  ASSERT_NE(program.core.abbreviations, nullptr);
  EXPECT_EQ(program.core.abbreviations->entries->All(), table);

  // Paused: the table changes, the hook waits for the bindings to come back.
  program.bindingsPaused = true;
  view.onOpenAbbreviations = [](const std::vector<Abbreviation>&) {
    return std::optional(std::vector<Abbreviation>{Entry("tel")});
  };
  system.calls.clear();
  commands.EditAbbreviations();
  EXPECT_EQ(Calls(), std::vector<std::string>{"View.OpenAbbreviations"});
  EXPECT_EQ(program.core.abbreviations->entries->At(0), Entry("tel"));

  // 取消, and 确定 with nothing changed: nothing written, nothing handed over.
  program.bindingsPaused = false;
  for (bool cancel : {true, false}) {
    if (cancel)
      view.onOpenAbbreviations = nullptr;
    else
      view.onOpenAbbreviations = [](const std::vector<Abbreviation>& shown) {
        return std::optional(shown);
      };
    system.calls.clear();
    commands.EditAbbreviations();
    EXPECT_EQ(Calls(), std::vector<std::string>{"View.OpenAbbreviations"});
    EXPECT_EQ(program.abbreviations.Entries(), std::vector<Abbreviation>{Entry("tel")});
  }
}

TEST_F(AbbreviationsCommandTest, AFileThatCouldNotBeReadIsNotWrittenOverAndTheTableStays) {
  // No list loaded: nowhere to write.
  view.onOpenAbbreviations = [](const std::vector<Abbreviation>&) {
    return std::optional(std::vector<Abbreviation>{Entry("addr")});
  };
  commands.EditAbbreviations();
  EXPECT_EQ(Calls(), (std::vector<std::string>{
                         "View.OpenAbbreviations",
                         "MessageBox [没有载入热键列表，缩写表无法保存。这次的修改没有保存，"
                         "缩写替换照旧。] [缩写替换] 0x30"}));
  EXPECT_TRUE(program.abbreviations.Entries().empty());
  EXPECT_EQ(program.core.abbreviations, nullptr);

  // A file there that could not be read at the load.
  const std::string abbr = "D:\\Lists\\mine.abbr", bytes = "\xEF\xBB\xBF[sig]\r\nText=x\r\n";
  system.files["D:\\Lists\\mine.htk"] = "";
  system.files[abbr] = bytes;
  system.unreadablePaths.insert(abbr);
  program.LoadPhase();
  system.calls.clear();
  commands.EditAbbreviations();
  EXPECT_EQ(
      Calls(),
      (std::vector<std::string>{
          "View.OpenAbbreviations",
          "MessageBox [载入热键列表时无法读取缩写文件：\n" + abbr +
              "\n\n为免覆盖其中的缩写，这次的修改没有保存，缩写替换仍按原来的缩写进行。"
              "请在这个文件可以读取后重新启动程序或导入列表，再修改缩写。] [缩写替换] 0x30"}));
  EXPECT_EQ(system.files[abbr], bytes);
  EXPECT_EQ(program.core.abbreviations, nullptr);
}

}  // namespace
}  // namespace tarvek
