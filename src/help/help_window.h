// The help window "帮助": a fixed tool window whose frame holds a text box with the help text.
// It is made anew for every opening and destroyed when closed, so every opening starts from the
// same text, whatever the user typed into the box the last time.
#pragma once

#include <windows.h>

#include "win/windows/dialog_kit.h"

namespace tarvek {

namespace help_ids {
enum ControlId : int {
  kFrame1Id = 100,  // 如何使用LumekVorda
  kText1Id,
};
}  // namespace help_ids

class HelpWindow : public win::DialogWindow {
 public:
  HelpWindow();

 private:
  void OnCreated() override;
  // The close box and Esc close it.
  void OnCommand(int id, int notification) override;
  HWND DefaultFocus() const override { return Control(help_ids::kText1Id); }
};

}  // namespace tarvek
