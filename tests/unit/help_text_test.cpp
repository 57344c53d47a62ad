#include "help/help_text.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvek {
namespace {

// The text as the user reads it in the box, byte for byte (UTF-8 here; the box shows it as
// UTF-16): every line of the 26 ends in CR LF, the tips follow directly and the last has none.
const std::string kGolden =
      "        LumekVorda2009\r\n"
      "1.启用鼠标控制器：\r\n"
      "     如果你使用了此选项，你就可以用键盘来控\r\n"
      "制鼠标，控制键如下(小键盘)：\r\n"
      "\r\n"
      "      1:鼠标向左移动；3:鼠标向右移动；\r\n"
      "\r\n"
      "      2:鼠标向下移动;5:鼠标向上移动\r\n"
      "\r\n"
      "      4:单击鼠标左键(连续两下为双击). \r\n"
      "      \r\n"
      "       7:开始拖动文件.6:单击鼠标右键.\r\n"
      "       \r\n"
      "       4.拖动文件结束。\r\n"
      "\r\n"
      "2.鼠标方式激活:\r\n"
      "    当你选择了此方式就想Pindu一样.大家都用过Pindu\r\n"
      "吧,当你吧鼠标移到窗口最左边或最右边的时候会\r\n"
      "出现Pindu窗,    当你鼠标移开以后窗口回自动隐藏\r\n"
      "是吧。\r\n"
      "\r\n"
      "3.热键方式激活:\r\n"
      "    就是用软件本身带的热键激活,及按下\r\n"
      "Win+Space键来激活软件.\r\n"
      "\r\n"
      "4.本软件支持直接向表格中拖放文件来添加热键。\r\n"
      "5、一些小技巧：(1).如果你在被打开程序中输入一个正确的路径，那么将会打开路径所指向的文件夹。\r\n"
      "   (2).如果你输入了一个信箱的名称那么你设定的热键会打开你的信箱。\r\n"
      "   (3).如果你输入了一个网址，那么该热键回打开该网站。\r\n"
      "   (4).如果你输入了一个非可执行文件，那么将会自动调用相应的程序打开.";

// Counts the places the needle starts at.
std::size_t Count(const std::string& text, const std::string& needle) {
  std::size_t n = 0;
  for (std::size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
    ++n;
  }
  return n;
}

TEST(HelpText, TheStartingLinesThenTheTipsOnceByteForByte) {
  EXPECT_EQ(HelpWindowText(), kGolden);
  // The window starts from the 26 lines, each ended, and appends the tips, the last unended.
  const std::string start = HelpStartText();
  EXPECT_EQ(Count(start, "\r\n"), 26u);
  EXPECT_EQ(start.substr(start.size() - 2), "\r\n");
  EXPECT_EQ(HelpWindowText(), start + HelpTips());
  EXPECT_EQ(Count(HelpTips(), "\r\n"), 3u);
  EXPECT_EQ(Count(HelpWindowText(), "5、一些小技巧"), 1u);
  EXPECT_EQ(Count(HelpWindowText(), "\n"), Count(HelpWindowText(), "\r\n"));  // no bare LF
}

TEST(AboutBox, OnlyTheHelpButtonOpensHelpAndTheLabelsDoNothing) {
  struct Case {
    AboutPart part;
    bool hide, openHelp;
  };
  for (const Case& c : {Case{AboutPart::kHelpButton, true, true},
                        Case{AboutPart::kCloseButton, true, false},
                        Case{AboutPart::kBackground, true, false},
                        Case{AboutPart::kLabel, false, false}}) {
    AboutReaction r = AboutBoxClicked(c.part);
    EXPECT_EQ(r.hide, c.hide) << static_cast<int>(c.part);
    EXPECT_EQ(r.openHelp, c.openHelp) << static_cast<int>(c.part);
  }
}

}  // namespace
}  // namespace tarvek
