#include "core/validation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_system.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::RecordingSystem;

// The hotkey text and the list's modifier text of one choice in the editor's boxes.
void CheckForms(const char* m1, const char* m2, const char* key, const std::string& hotkeyText,
                const std::string& modifierText) {
  SCOPED_TRACE(std::string(m1) + "|" + m2 + "|" + key);
  EXPECT_EQ(HotkeyText(m1, m2, key), hotkeyText);
  EXPECT_EQ(ModifierTextOf(m1, m2), modifierText);
  // The modifier text registers what the two boxes name.
  EXPECT_EQ(ModifierFlagsFromText(modifierText),
            ModifierFlagsFromText(m1) + (std::string(m1) == m2 ? 0 : ModifierFlagsFromText(m2)));
}

TEST(HotkeyText, FormsOfEveryModifierChoice) {
  CheckForms("Ctrl", "Alt", "C", "Ctrl + Alt + C", "Ctrl + Alt");
  CheckForms("Alt", "Ctrl", "C", "Alt + Ctrl + C", "Alt + Ctrl");
  CheckForms("Alt", "无", "F4", "Alt + F4", "Alt");
  CheckForms("无", "Win", "E", "Win + E", "Win");
  CheckForms("无", "无", "F1", "无 + F1", "无");
}

TEST(ReservedCombos, TheElevenAndNothingElse) {
  for (const char* text : {"Ctrl + C", "Ctrl + A", "Ctrl + X", "Ctrl + V", "Win + F", "Win + M",
                           "Win + E", "Alt + F4", "Alt + Tab", "无 + F1", "Ctrl + Z"}) {
    EXPECT_TRUE(IsReservedCombo(text)) << text;
  }
  EXPECT_EQ(ReservedCombos().size(), 11u);
  for (const char* text : {"Ctrl + Alt + C", "Ctrl + F1", "Ctrl + c", "Win + Space", "F1"}) {
    EXPECT_FALSE(IsReservedCombo(text)) << text;
  }
}

TEST(CountOccurrences, CountsEveryStartingPositionOverlapsIncluded) {
  EXPECT_EQ(CountOccurrences("a\rb\rc\r", "\r"), 3);
  EXPECT_EQ(CountOccurrences("aaaa", "aa"), 3);
  EXPECT_EQ(CountOccurrences("", "\r"), 0);
  EXPECT_EQ(CountOccurrences("abc", ""), 0);
  EXPECT_EQ(CountOccurrences("我的我", "我"), 2);
}

class ComposeTest : public ::testing::Test {
 protected:
  ComposeTest() {
    grid.AddRow("Win\tSpace\t显示本软件\t无");          // row 1, the activation hotkey
    grid.AddRow("Ctrl + Alt\tH\t帮助\tC:\\help.exe");   // row 2
    grid.AddRow("Ctrl\tF1\t文档\tC:\\doc.txt");         // row 3
    grid.AddRow("无\tF5\t刷新\tC:\\r.exe");             // row 4
  }

  ComposeInput Input(const char* m1, const char* m2, const char* key,
                     const char* name = "新的", const char* target = "calc") {
    ComposeInput in;
    in.m1 = m1;
    in.m2 = m2;
    in.key = key;
    in.name = name;
    in.target = target;
    return in;
  }

  // Expects a refusal with exactly this message box, and nothing else shown.
  void ExpectRefused(const ComposeInput& in, const std::string& box) {
    system.calls.clear();
    EXPECT_EQ(ComposeHotkeyRow(in, grid, system), "");
    EXPECT_EQ(system.calls, std::vector<std::string>{box});
  }
  void ExpectAccepted(const ComposeInput& in, const std::string& row) {
    system.calls.clear();
    EXPECT_EQ(ComposeHotkeyRow(in, grid, system), row);
    EXPECT_TRUE(system.calls.empty()) << system.calls.front();
  }

  RecordingSystem system;
  FakeGrid grid;
};

TEST_F(ComposeTest, EachRefusalWithItsMessageTitleAndFlags) {
  ExpectRefused(Input("Ctrl", "Alt", "Q", ""),
                "MessageBox [请输入你的程序的功能。] [错误] 0x4040");
  ExpectRefused(Input("Ctrl", "Ctrl", "Q"), "MessageBox [不能有两个相同的辅助键!] [错误!] 0x10");
  ExpectRefused(Input("无", "无", "Q"),
                "MessageBox [热键中至少需要有一个辅助热键.] [热键错误] 0x10");
  ExpectRefused(Input("Ctrl", "Alt", "Q", "新的", ""),
                "MessageBox [请选择你要调用的程序!] [错误!] 0x10");
  ExpectRefused(Input("Ctrl", "Alt", "Q", "文档"),
                "MessageBox [这个名字已经存在，请更换其他名字。] [定义热键] 0x0");
  ExpectRefused(Input("Ctrl", "Alt", "H"),
                "MessageBox [此热键已经被使用，不能重复定义.] [定义热键错误!] 0x10");
  ExpectRefused(Input("Alt", "无", "F4"),
                "MessageBox [此热键已经被系统使用，不能定义.] [定义热键错误!] 0x10");
}

TEST_F(ComposeTest, TestsRunInOrderAndStopAtTheFirstFailure) {
  // Empty name, equal modifiers and empty target at once: only the name is reported.
  ExpectRefused(Input("Ctrl", "Ctrl", "Q", "", ""),
                "MessageBox [请输入你的程序的功能。] [错误] 0x4040");
  // A name in use on a reserved combination: the name comes first.
  ExpectRefused(Input("Ctrl", "无", "C", "帮助"),
                "MessageBox [这个名字已经存在，请更换其他名字。] [定义热键] 0x0");
}

TEST_F(ComposeTest, SameCombinationWrittenInTheOtherOrderIsInUse) {
  ExpectRefused(Input("Alt", "Ctrl", "H"),
                "MessageBox [此热键已经被使用，不能重复定义.] [定义热键错误!] 0x10");
  // The activation row takes part: Win + Space, chosen as the second box.
  ExpectRefused(Input("无", "Win", "Space"),
                "MessageBox [此热键已经被使用，不能重复定义.] [定义热键错误!] 0x10");
}

TEST_F(ComposeTest, AcceptedCases) {
  // Ctrl + F1 is bound; Ctrl + F10 is another key.
  ExpectAccepted(Input("Ctrl", "无", "F10"), "Ctrl\tF10\t新的\tcalc");
  // Alt alone does not block Ctrl + Alt.
  ExpectAccepted(Input("Alt", "无", "H"), "Alt\tH\t新的\tcalc");
  // Without modifiers only when allowed, and then "无".
  ComposeInput bare = Input("无", "无", "F6");
  bare.allowNoModifier = true;
  ExpectAccepted(bare, "无\tF6\t新的\tcalc");
  // With the check off, in use and reserved combinations pass.
  ComposeInput unchecked = Input("Ctrl", "无", "C");
  unchecked.checkKeyInUse = false;
  ExpectAccepted(unchecked, "Ctrl\tC\t新的\tcalc");
  unchecked = Input("Ctrl", "Alt", "H");
  unchecked.checkKeyInUse = false;
  ExpectAccepted(unchecked, "Ctrl + Alt\tH\t新的\tcalc");
}

TEST_F(ComposeTest, TheRowBeingChangedIsNotTestedAgainstItself) {
  ComposeInput same = Input("Ctrl", "无", "F1", "文档", "C:\\doc.txt");
  same.changeMode = true;
  same.editorRow = 3;
  ExpectAccepted(same, "Ctrl\tF1\t文档\tC:\\doc.txt");
  // Only in change mode: a new binding with that name and key is refused.
  same.changeMode = false;
  ExpectRefused(same, "MessageBox [这个名字已经存在，请更换其他名字。] [定义热键] 0x0");
  // Changing row 3 onto row 2's keys is still refused.
  ComposeInput onto = Input("Ctrl", "Alt", "H", "文档");
  onto.changeMode = true;
  onto.editorRow = 3;
  ExpectRefused(onto, "MessageBox [此热键已经被使用，不能重复定义.] [定义热键错误!] 0x10");
}

TEST_F(ComposeTest, TheLastRowCanBeChangedToItself) {
  ComposeInput last = Input("无", "无", "F5", "刷新", "C:\\r.exe");
  last.allowNoModifier = true;
  last.changeMode = true;
  last.editorRow = grid.Rows() - 1;
  ExpectAccepted(last, "无\tF5\t刷新\tC:\\r.exe");
}

}  // namespace
}  // namespace tarvek
