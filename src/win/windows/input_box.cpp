#include "win/windows/input_box.h"

#include "win/windows/dialog_kit.h"

namespace tarvek::win {

namespace {

using namespace input_box_ids;

constexpr WindowLayout kWindow{kInputBoxClass, L"", 5520, 1740};

constexpr DWORD kTab = WS_TABSTOP | WS_GROUP;

// The prompt names the text box that follows it; the buttons come after, as tab stops.
constexpr ControlLayout kControls[] = {
    {kPromptId, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0, 180, 180, 3960, 900},
    {kTextId, L"EDIT", L"", ES_AUTOHSCROLL | kTab, WS_EX_CLIENTEDGE, 180, 1230, 5160, 330},
    {kOkId, L"BUTTON", L"确定", BS_DEFPUSHBUTTON | kTab, 0, 4320, 180, 1020, 375},
    {kCancelId, L"BUTTON", L"取消", BS_PUSHBUTTON | kTab, 0, 4320, 630, 1020, 375},
};

class InputBoxWindow : public DialogWindow {
 public:
  InputBoxWindow() : DialogWindow(kWindow, kControls) {}

  std::string Ask(std::string_view prompt, std::string_view title, std::string_view preset) {
    SetTitle(title);
    SetText(kPromptId, prompt);
    SetText(kTextId, preset);
    SendMessageW(Control(kTextId), EM_SETSEL, 0, -1);
    RunModal();
    return answer_;
  }

 private:
  void OnCommand(int id, int notification) override {
    if (notification != BN_CLICKED) return;
    if (id == kOkId) {
      answer_ = Text(kTextId);
      EndModal();
    } else if (id == kCancelId) {
      answer_.clear();
      EndModal();
    }
  }
  HWND DefaultFocus() const override { return Control(kTextId); }

  std::string answer_;
};

}  // namespace

std::string InputBox(HWND owner, std::string_view prompt, std::string_view title,
                     std::string_view preset) {
  if (ModalEndRequested()) return {};
  InputBoxWindow box;
  if (!box.Create(GetModuleHandleW(nullptr), owner)) return {};
  return box.Ask(prompt, title, preset);
}

}  // namespace tarvek::win
