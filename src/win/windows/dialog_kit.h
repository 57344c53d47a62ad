// The small base every secondary window of the program is built on: a code-built top-level
// window made from a table of standard controls placed in twips at the window's DPI, in the
// system's message font, run modally with the dialog keys, owning its message boxes and file
// dialogs. A window adds its table, its handlers and its model.
//
// It also keeps count of the program's modal loops (its own windows' loops, message boxes and
// file dialogs), so that the end of the program can wait until every one has returned instead
// of destroying a window whose loop is still running.
#pragma once

#include <windows.h>
// after windows.h
#include <commdlg.h>

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports.h"
#include "win/windows/dpi.h"
#include "win/system/unique_handle.h"

namespace tarvek::win {

// One control of a window's table. The table's order is the creation order, and so the tab
// order; a label comes before what it names, so that screen readers take it as its name.
struct ControlLayout {
  int id;
  const wchar_t* className;
  const wchar_t* caption;
  DWORD style;  // WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS are added
  DWORD exStyle;
  int left, top, width, height;  // twips in the client area; a combo box's with its list open
};

struct WindowLayout {
  const wchar_t* className;
  const wchar_t* title;
  int clientWidth, clientHeight;  // twips
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
};

// --- Modal loops ---------------------------------------------------------------------------

// Held for as long as a modal loop of the program runs.
class ModalScope {
 public:
  ModalScope();
  ~ModalScope();
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;
};

bool AnyModalRunning();
// The program is ending: every modal loop is asked to return (our windows' loops end, message
// boxes and file dialogs of this thread are cancelled, new ones are not shown), and whenDone
// runs once the last one has returned.
void EndModalLoops(std::function<void()> whenDone);
bool ModalEndRequested();

// The dialog keys (Tab, access keys, Esc, Enter) for the program's modeless windows: true when
// the message was one of a modeless window's and has been handled. Every message loop of the
// program calls this before dispatching.
bool HandleModelessDialogMessage(MSG& message);

// MessageBox counted as a modal loop; IDCANCEL at once while the program is ending.
int ModalMessageBox(HWND owner, const std::string& text, const std::string& title, unsigned flags);

// --- Helpers -------------------------------------------------------------------------------

std::string WindowText(HWND window);
// A fixed-pitch font of the message font's height whose every character is one cell of the
// given width: a label of plus signs and blanks then lines up with the boxes it stands between.
HFONT MakeCellFont(UINT dpi, int cellPixels);
// Empties a list box and adds the items in their order (the box must not sort).
void SetListBoxItems(HWND list, const std::vector<std::string>& items);
// "描述|*.ext" (pairs separated by "|") as the file dialogs take it.
std::wstring DialogFilter(std::string_view pipeSeparated);

struct FileDialogOptions {
  bool save = false;
  std::string filter;            // "热键文件(*.htk)|*.HTK"
  std::string title;             // empty: the system's
  std::string defaultExtension;  // without the dot; empty: none
  std::string file;              // preset file name or path
  std::string folder;            // initial folder; empty: the system's choice
  DWORD flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
};
// The chosen path, or none when the user cancelled (or the program is ending).
std::optional<std::string> ShowFileDialog(HWND owner, const FileDialogOptions& options);

// --- The window ----------------------------------------------------------------------------

class DialogWindow {
 public:
  DialogWindow(const WindowLayout& window, std::span<const ControlLayout> controls);
  virtual ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // Makes the window hidden, with its controls, owned by owner (none: a window of its own).
  bool Create(HINSTANCE instance, HWND owner);
  // Shows the window and returns when EndModal() was called, the window went away or the
  // program is ending; it is hidden then. The owner is disabled meanwhile; every other message
  // of the thread is dispatched as usual, so hotkeys keep working. Returns at once when the
  // window is showing already.
  void RunModal();
  void EndModal() { inModal_ = false; }
  // Shows the window without a loop of its own and brings it to the front: the program's loops
  // give it its dialog keys (HandleModelessDialogMessage). A minimised window is restored; the
  // first showing places it, later ones leave it where the user put it.
  void ShowModeless();
  bool InModal() const { return inModal_; }

  // Null once the window is destroyed.
  HWND Handle() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  std::string Text(int id) const { return WindowText(Control(id)); }
  void SetText(int id, std::string_view text);
  // Sets the window's title.
  void SetTitle(std::string_view text);
  void Enable(int id, bool enabled) { EnableWindow(Control(id), enabled ? TRUE : FALSE); }
  // A check box's tick.
  void SetChecked(int id, bool checked);
  bool Checked(int id) const;
  // A drop-down list: filled with the items in their order, one selected; the selected one
  // (-1: none).
  void SetListItems(int id, std::span<const std::string_view> items, int selected);
  int Selected(int id) const;
  UINT Dpi() const;
  int Px(int twips) const;
  HFONT Font() const { return static_cast<HFONT>(font_.get()); }
  // Message boxes owned by this window, so that they stay in front of it.
  DialogPort& Messages() { return messages_; }
  std::optional<std::string> FileDialog(FileDialogOptions options) { return ShowFileDialog(window_, options); }
  // A tool tip over a control. Like any tip it shows while the control is enabled.
  void AddToolTip(int id, const wchar_t* text);

 protected:
  // After the controls are made and placed.
  virtual void OnCreated() {}
  virtual void OnCommand(int /*id*/, int /*notification*/) {}
  // Any other message; nothing: the default handling.
  virtual std::optional<LRESULT> OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return std::nullopt;
  }
  // The close box and Alt+F4: by default what Esc does (the IDCANCEL button).
  virtual void OnClose() { OnCommand(IDCANCEL, BN_CLICKED); }
  // Checked after every message of the modal loop.
  virtual bool StillModal() const { return true; }
  // The loop ended without EndModal (the program is ending).
  virtual void OnModalAbandoned() {}
  // Where the focus goes when the window is shown, and when it is activated with no earlier
  // focus to give back.
  virtual HWND DefaultFocus() const;
  // The font of a control; the message font unless a window wants another for one.
  virtual HFONT FontFor(int /*id*/) const { return Font(); }
  // Fonts of the window's own are made here, at the window's DPI.
  virtual void OnFontsMade() {}
  // Sizes the window (a sizable one only when it is made) and places every control of the
  // table; a window may place some again after.
  virtual void LayOut();
  // Places the window on its owner (or the work area), never partly off the monitor.
  virtual void PlaceBeforeShowing();

  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  HWND owner_ = nullptr;

 private:
  class OwnedMessages : public DialogPort {
   public:
    HWND owner = nullptr;
    int ShowMessageBox(const std::string& text, const std::string& title, unsigned flags) override {
      return ModalMessageBox(owner, text, title, flags);
    }
  };

  static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  void MakeFonts();

  WindowLayout layout_;
  std::span<const ControlLayout> controls_;
  OwnedMessages messages_;
  UniqueGdiObject font_;
  HWND lastFocus_ = nullptr;  // given back when the window is activated again
  HWND toolTip_ = nullptr;    // made with the first tip; owned by the window, which ends it
  bool inModal_ = false;
  bool sized_ = false;   // a sizable window keeps the size the user gives it
  bool placed_ = false;  // shown modeless before
};

}  // namespace tarvek::win
