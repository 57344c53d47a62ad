// The about box: the version and the maker over a picture, a door to the help window and a way
// out. Made on first use and only hidden afterwards, until the program ends.
#pragma once

#include <windows.h>

#include <functional>

#include "help/help_text.h"
#include "win/windows/dialog_kit.h"
#include "win/system/unique_handle.h"

namespace tarvek {

// "关闭 &C" has the id the dialog keys send for Esc.
namespace about_ids {
enum ControlId : int {
  kLabel1Id = 100,         // V1.0 beta
  kLabel2Id,               // the maker's name
  kLabel3Id,               // the maker's web address
  kCommand1Id,             // 帮助 &H
  kCommand2Id = IDCANCEL,  // 关闭 &C
};
}  // namespace about_ids

// The maker's web address as the box shows it. It names no real site and leads nowhere.
inline constexpr wchar_t kAboutWebAddress[] = L"www.example.com";

class AboutWindow : public win::DialogWindow {
 public:
  // openHelp shows the help window modally; "帮助 &H" runs it once the box has hidden itself.
  explicit AboutWindow(std::function<void()> openHelp);

  // Creates the box hidden, with its picture.
  bool Create(HINSTANCE instance, HWND owner);
  // Shows the box and returns when it has hidden itself (after the help window it led to).
  void ShowModal();

 private:
  void OnCommand(int id, int notification) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnModalAbandoned() override { helpWanted_ = false; }
  HFONT FontFor(int id) const override;
  void OnFontsMade() override;
  void LayOut() override;
  void Clicked(AboutPart part);
  void PaintBackground(HDC dc);

  std::function<void()> openHelp_;
  win::UniqueGdiObject picture_;
  win::UniqueGdiObject boldFont_;       // the version
  win::UniqueGdiObject plainFont_;      // the maker's name
  win::UniqueGdiObject underlineFont_;  // the web address
  bool pressed_ = false;                // the left button went down on the picture
  bool helpWanted_ = false;             // "帮助 &H" ended this opening
};

}  // namespace tarvek
