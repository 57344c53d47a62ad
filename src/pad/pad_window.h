// The drag-and-save pad "即拖即存" on screen: a sizable, always-on-top window of its own over
// the dialog kit, shown modeless, drawing PadModel and turning clicks, typing and OLE drops into
// calls on it. The program makes it on first use; its close box destroys it (only while nothing
// is unsaved), and the next use makes a new one with the default options.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <optional>
#include <string>

#include "pad/pad_model.h"
#include "win/windows/dialog_kit.h"
#include "win/windows/drop_target.h"

namespace tarvek {

// The controls, for the window itself and for anyone who reads them from outside. "修正" has the
// id the dialog keys send for Esc.
namespace pad_ids {
enum ControlId : int {
  kText1Id = 100,
  kCheck1Id,    // 收到拖放以后先清空原来的内容
  kCheck2Id,    // 支持文件拖放
  kCheck3Id,    // 仅支持文本文件的拖放
  kCheck4Id,    // 运行后自动最小化
  kOption1Id,   // 后接收的内容放在后面
  kOption2Id,   // 后接收的内容放在前面
  kCommand4Id,  // 清&R
  kCommand5Id,  // 计&S
  kCommand2Id,  // 保存(&S)
  kCommand1Id,  // 另存为...
  kCommand6Id,  // 打开(&O)
  kCommand3Id,  // 关闭(&C)
  kLine1Id,
  kLine2Id,
  kLine3Id,
  kLine4Id,
  kFrame1Id,               // 拖放设置
  kWait1Id,                // the busy panel
  kLabel2Id,               // 正在处理拖放内容
  kLabel3Id,               // the busy dots
  kCommand7Id = IDCANCEL,  // 修正
};
}  // namespace pad_ids

// What the pad needs from the program.
struct PadServices {
  AnsiCodec& codec;
  bool& contentSaved;  // the program-wide PadContentSaved
  // Lets the messages that are waiting run, as the program's loop would.
  std::function<void()> pumpMessages;
  DialogPort* dialogs = nullptr;  // none: the pad's own message boxes
  // None: the system's file dialogs.
  std::function<std::optional<std::string>(bool save)> chooseFile;
  // Told each change of PadContentSaved.
  std::function<void(bool saved)> savedChanged = nullptr;
};

class PadWindow : public win::DialogWindow, private PadView, private win::DropHandler {
 public:
  explicit PadWindow(PadServices services);
  ~PadWindow() override;

  // Makes the window hidden, topmost, with its drop target.
  bool Create(HINSTANCE instance);
  // Shows it in front (restored if minimised).
  void Show();
  // The action "使用即拖即存": shown, then minimised when "运行后自动最小化" is ticked.
  void ShowForAction();

  PadModel& Model() { return model_; }
  // The target OLE calls for drops on the text.
  IDropTarget* DropTargetForText() const { return dropTarget_.Get(); }

 private:
  class Files : public PadFilePort {
   public:
    bool FileExists(const std::string& path) override;
    Read ReadFile(const std::string& path, std::size_t maxBytes, std::string& bytes) override;
    bool ReplaceFile(const std::string& path, const std::string& bytes) override;
  };

  // DialogWindow
  void OnCreated() override;
  void OnCommand(int id, int notification) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnClose() override;
  HWND DefaultFocus() const override { return Control(pad_ids::kText1Id); }
  void LayOut() override;

  // PadView
  std::string Text() override;
  bool SetText(const std::string& text) override;
  void SetTitle(const std::string& title) override { DialogWindow::SetTitle(title); }
  void ShowBusy(bool on) override;
  void SetTopmost(bool on) override;
  void FocusText() override { SetFocus(Control(pad_ids::kText1Id)); }
  void Hide() override { ShowWindow(window_, SW_HIDE); }
  bool KeepResponsive() override;
  std::optional<std::string> ChooseFile(bool save, const std::string& currentFile) override;

  // DropHandler
  DWORD DragEffect(const win::DragOffer& offer, POINT screen) override;
  DWORD Dropped(IDataObject* data, const win::DragOffer& offer, POINT screen) override;

  // Places the controls by the window's size.
  void PlaceControls();
  void ReadOptions();
  // Files dropped by WM_DROPFILES on the text box.
  void FilesDropped(HDROP drop);
  // A drop read now and taken in once its source has its answer.
  void TakeLater(PadDrop drop);
  // Dragged text inserted where it was dropped, as the text box itself would.
  void InsertAt(POINT screen, const std::string& text);
  // The text box's Esc goes to the window, as the tidy command.
  static LRESULT CALLBACK TextBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);

  // Posted to the window: the drop read meanwhile is taken in.
  static constexpr UINT kTakeDropMessage = WM_APP + 1;

  PadServices services_;
  Files files_;
  PadModel model_;
  PadLayout layout_;
  win::DropTarget dropTarget_;
  std::optional<PadDrop> pendingDrop_;  // taken in once the drop's caller has returned
  bool settingText_ = false;            // text set by the program, not typed
  bool placeBoxAfter_ = false;          // the window changed size while a text went in
  bool layOutAfter_ = false;            // or its DPI
  ULONGLONG lastPump_ = 0;
};

}  // namespace tarvek
