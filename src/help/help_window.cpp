#include "help/help_window.h"

#include "help/help_text.h"

namespace tarvek {

using namespace help_ids;

namespace {

// A fixed tool window: a small caption with a close box, no minimise or maximise box, no sizing.
constexpr DWORD kToolWindow = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
constexpr win::WindowLayout kWindow{L"TarvekHotKeyHelp", L"帮助", 4740, 3210,
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU, kToolWindow};

// The text box sits 120 twips right of and 240 below the frame's corner. The frame comes last,
// under the box in the drawing order.
constexpr win::ControlLayout kControls[] = {
    {kText1Id, L"EDIT", L"",
     ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
     120 + 120, 120 + 240, 4335, 2655},
    {kFrame1Id, L"BUTTON", L"如何使用LumekVorda", BS_GROUPBOX, 0, 120, 120, 4575, 3015},
};

}  // namespace

HelpWindow::HelpWindow() : DialogWindow(kWindow, kControls) {}

// Made for one opening only: the tips are appended to the starting lines once.
void HelpWindow::OnCreated() { SetText(kText1Id, HelpWindowText()); }

void HelpWindow::OnCommand(int id, int /*notification*/) {
  if (id == IDCANCEL) EndModal();
}

}  // namespace tarvek
