// The drag-and-save pad "即拖即存" without its window: its options, its current file (shown as
// the caption), the program-wide flag PadContentSaved, and what each command, a drop and the
// close box do. The window draws this and forwards the user's actions; it decides nothing.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/ports.h"
#include "pad/pad_file.h"
#include "pad/pad_text.h"

namespace tarvek {

inline constexpr std::string_view kPadTitle = "即拖即存";
inline constexpr std::string_view kPadTidyingTitle = "正在修正文件......";
// The one file dialog for open and for save.
inline constexpr std::string_view kPadDialogTitle = "保存文件";
inline constexpr std::string_view kPadDialogFilter = "文本文件|*.TxT|所有文件|*.*";
inline constexpr std::string_view kPadDefaultExtension = "txt";
// A file beyond this is not taken in: as text it would not fit the pad's memory in one piece.
inline constexpr std::size_t kMaxPadFileBytes = 64u << 20;

// The options of the frame "拖放设置". Not stored: a new pad starts with these.
struct PadOptions {
  bool clearBeforeDrop = false;    // Check1 收到拖放以后先清空原来的内容
  bool takeDrops = true;           // Check2 支持文件拖放
  bool textFilesOnly = false;      // Check3 仅支持文本文件的拖放
  bool minimiseAfterShow = false;  // Check4 运行后自动最小化
  bool addAfter = false;  // Option1 后接收的内容放在后面 (else Option2, in front)
};

// What a drop holds, as the pad looks at it: a file list, else plain text.
struct PadDrop {
  std::optional<std::string> firstFile;  // the first of the dropped files
  std::optional<std::string> text;
};

// The pad's files: read whole up to a size, and written whole in one step.
class PadFilePort {
 public:
  enum class Read { kOk, kFailed, kTooLarge };
  virtual ~PadFilePort() = default;
  virtual bool FileExists(const std::string& path) = 0;
  virtual Read ReadFile(const std::string& path, std::size_t maxBytes, std::string& bytes) = 0;
  // Written beside path, then put in its place: false leaves the former file as it was.
  virtual bool ReplaceFile(const std::string& path, const std::string& bytes) = 0;
};

// The pad's window as the model drives it.
class PadView {
 public:
  virtual ~PadView() = default;
  virtual std::string Text() = 0;
  // False when the text box could not take the text; it then holds what it held before.
  virtual bool SetText(const std::string& text) = 0;
  virtual void SetTitle(const std::string& title) = 0;
  // The busy panel over the text with its dots running, or neither.
  virtual void ShowBusy(bool on) = 0;
  virtual void SetTopmost(bool on) = 0;
  virtual void FocusText() = 0;
  virtual void Hide() = 0;
  // Lets the window paint and answer; false: stop the work, the program is ending.
  virtual bool KeepResponsive() = 0;
  // The file dialog, for saving or opening, starting at the current file; none: cancelled.
  virtual std::optional<std::string> ChooseFile(bool save, const std::string& currentFile) = 0;
};

inline constexpr std::string_view kDropFailedText =
    "拖放内容太多或文件太大，文本框无法接受，请先清空文本框内容试一下。";
inline constexpr std::string_view kDropFailedTitle = "内部错误!";

// The places the window's size decides, in twips: the text box, the frame "拖放设置" below it,
// the busy panel over the text, and the left edge (within the frame) of the column of big
// buttons 保存, 另存为, 打开, 关闭.
struct PadLayout {
  int textWidth = 4335, textHeight = 2655;
  int frameTop = 2880, frameWidth = 4380;
  int busyWidth = 4335;
  int buttonsLeft = 3285;
  bool operator==(const PadLayout&) const = default;
};
inline constexpr int kPadFrameHeight = 1815;

// The layout for a window of outer width and height W and H (twips), from the one before: the
// text box is W - 350 wide and H - frame height - 700 high, the frame 215 below its top and as
// wide; the big buttons 1095 from the frame's right edge. A size that would come out negative
// is not changed (that step is skipped).
PadLayout LayOutPad(int outerWidth, int outerHeight, PadLayout previous);

class PadModel {
 public:
  // contentSaved is the program-wide PadContentSaved.
  PadModel(PadView& view, PadFilePort& files, AnsiCodec& codec, DialogPort& dialogs,
           bool& contentSaved);

  PadOptions options;
  // Called with PadContentSaved each time it changes.
  std::function<void(bool saved)> onSavedChanged;
  // Empty: no current file. The caption shows it, or "即拖即存".
  const std::string& CurrentFile() const { return currentFile_; }
  std::string Title() const;
  // A command, a drop or a dialog of the pad is under way; everything else waits for it.
  bool Busy() const { return busy_; }

  // The window was made: nothing unsaved.
  void Created();
  // The user changed the text in the text box.
  void TextEdited();
  // The close box: refused, silently, while the text is unsaved or the pad is busy.
  bool CloseBoxAllowed() const { return contentSaved_ && !busy_; }

  void Count();  // 计&S
  void Tidy();   // 修正, Esc
  void Clear();  // 清&R
  void Close();  // 关闭(&C)
  // Takes in a drop while "支持文件拖放" is ticked. False when the pad was busy and took
  // nothing.
  bool TakeDrop(const PadDrop& drop);
  void Open();    // 打开(&O)
  void Save();    // 保存(&S)
  void SaveAs();  // 另存为...
  // The second half of open, once a file is chosen.
  void OpenFile(const std::string& path);

  // Timer1: the busy panel's dots, from one to ten and round again.
  std::string NextDots();

 private:
  class BusyScope;
  struct FileText {
    enum class Status { kOk, kFailed, kTooLarge, kStopped } status;
    PadFileText file;
    std::string bytes;  // kept only when writing the text would not give them back
  };
  FileText ReadTextFile(const std::string& path);
  bool WriteTextFile(const std::string& path);
  void OpenFileSteps(const std::string& path);
  void SaveAsSteps();
  void Empty();
  void SetSaved(bool saved);
  KeepGoing Responsive();
  void ShowError(const std::string& text);

  PadView& view_;
  PadFilePort& files_;
  AnsiCodec& codec_;
  DialogPort& dialogs_;
  bool& contentSaved_;
  std::string currentFile_;
  // How the current file was written, which its saves keep.
  PadFileForm form_;
  // The bytes of a file that writing its text would not give back exactly (mixed line ends,
  // bytes its encoding does not allow): written as they were while the text is the one read
  // from them, known by its hash.
  std::optional<std::string> verbatim_;
  std::size_t verbatimTextHash_ = 0;
  bool busy_ = false;
  int dots_ = 0;
};

}  // namespace tarvek
