// The help window's text and the about box's answers to clicks: what the two small windows
// behind "帮助 &?" and "关于" show and do, apart from drawing it.
#pragma once

#include <string>

namespace tarvek {

// The 26 lines the help window's text box starts with, each followed by CR LF.
std::string HelpStartText();
// The four tips, joined by CR LF, with none after the last.
std::string HelpTips();
// What the box holds once the window is made: the starting lines with the tips appended. Each
// new window starts again from the 26 lines, so the tips are there once however often it opens.
std::string HelpWindowText();

// The parts of the about box a click can land on.
enum class AboutPart {
  kHelpButton,   // "帮助 &H"
  kCloseButton,  // "关闭 &C", also Esc
  kBackground,   // the picture
  kLabel,        // the version, the maker's name and the maker's web address
};
struct AboutReaction {
  bool hide = false;      // the box hides (it is never destroyed until the program ends)
  bool openHelp = false;  // afterwards, the help window opens modally
};
AboutReaction AboutBoxClicked(AboutPart part);

}  // namespace tarvek
