#include "help/help_text.h"

#include <string_view>

namespace tarvek {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Blanks at the start and the end of a line are part of it: the box shows them.
constexpr std::string_view kStartLines[] = {
    "        LumekVorda2009",
    "1.启用鼠标控制器：",
    "     如果你使用了此选项，你就可以用键盘来控",
    "制鼠标，控制键如下(小键盘)：",
    "",
    "      1:鼠标向左移动；3:鼠标向右移动；",
    "",
    "      2:鼠标向下移动;5:鼠标向上移动",
    "",
    "      4:单击鼠标左键(连续两下为双击). ",
    "      ",
    "       7:开始拖动文件.6:单击鼠标右键.",
    "       ",
    "       4.拖动文件结束。",
    "",
    "2.鼠标方式激活:",
    "    当你选择了此方式就想Pindu一样.大家都用过Pindu",
    "吧,当你吧鼠标移到窗口最左边或最右边的时候会",
    "出现Pindu窗,    当你鼠标移开以后窗口回自动隐藏",
    "是吧。",
    "",
    "3.热键方式激活:",
    "    就是用软件本身带的热键激活,及按下",
    "Win+Space键来激活软件.",
    "",
    "4.本软件支持直接向表格中拖放文件来添加热键。",
};

constexpr std::string_view kTips[] = {
    "5、一些小技巧：(1).如果你在被打开程序中输入一个正确的路径，那么将会打开路径所指向的文件夹。",
    "   (2).如果你输入了一个信箱的名称那么你设定的热键会打开你的信箱。",
    "   (3).如果你输入了一个网址，那么该热键回打开该网站。",
    "   (4).如果你输入了一个非可执行文件，那么将会自动调用相应的程序打开.",
};

}  // namespace

std::string HelpStartText() {
  std::string text;
  for (std::string_view line : kStartLines) {
    text += line;
    text += kLineEnd;
  }
  return text;
}

std::string HelpTips() {
  std::string tips;
  for (std::string_view tip : kTips) {
    if (!tips.empty()) tips += kLineEnd;
    tips += tip;
  }
  return tips;
}

std::string HelpWindowText() { return HelpStartText() + HelpTips(); }

AboutReaction AboutBoxClicked(AboutPart part) {
  switch (part) {
    case AboutPart::kHelpButton: return {true, true};
    case AboutPart::kCloseButton:
    case AboutPart::kBackground: return {true, false};
    case AboutPart::kLabel: return {};  // the web address too: it leads nowhere
  }
  return {};
}

}  // namespace tarvek
