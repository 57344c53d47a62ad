#include "pad/pad_model.h"

#include <functional>
#include <new>

namespace tarvek {

// Marks the pad busy for as long as a command runs: its message boxes and dialogs, and the
// long loops that let other messages through, must not see a second command start under them.
class PadModel::BusyScope {
 public:
  explicit BusyScope(PadModel& model) : model_(model) { model_.busy_ = true; }
  ~BusyScope() { model_.busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  PadModel& model_;
};

PadModel::PadModel(PadView& view, PadFilePort& files, AnsiCodec& codec, DialogPort& dialogs,
                   bool& contentSaved)
    : view_(view), files_(files), codec_(codec), dialogs_(dialogs), contentSaved_(contentSaved) {}

PadLayout LayOutPad(int outerWidth, int outerHeight, PadLayout layout) {
  if (outerWidth - 350 >= 0) layout.textWidth = outerWidth - 350;
  if (outerHeight - kPadFrameHeight - 700 >= 0)
    layout.textHeight = outerHeight - kPadFrameHeight - 700;
  layout.frameTop = layout.textHeight + 215;
  layout.frameWidth = layout.textWidth;
  layout.busyWidth = layout.textWidth;
  layout.buttonsLeft = layout.frameWidth - 1095;
  return layout;
}

std::string PadModel::Title() const {
  return currentFile_.empty() ? std::string(kPadTitle) : currentFile_;
}

void PadModel::SetSaved(bool saved) {
  const bool changed = contentSaved_ != saved;
  contentSaved_ = saved;
  if (changed && onSavedChanged) onSavedChanged(saved);
}

void PadModel::Created() { SetSaved(true); }

void PadModel::TextEdited() {
  SetSaved(false);
  verbatim_.reset();
}

KeepGoing PadModel::Responsive() {
  return [this] { return view_.KeepResponsive(); };
}

void PadModel::ShowError(const std::string& text) {
  dialogs_.ShowMessageBox(text, std::string(kPadTitle), kMbIconError | kMbOk);
}

void PadModel::Count() {
  if (busy_) return;
  BusyScope busy(*this);
  std::optional<PadCount> count = CountPadText(view_.Text(), codec_, Responsive());
  if (!count) return;
  dialogs_.ShowMessageBox(PadCountMessage(*count), std::string(kPadTitle),
                          kMbIconInformation | kMbOk);
}

void PadModel::Tidy() {
  if (busy_) return;
  BusyScope busy(*this);
  view_.SetTitle(std::string(kPadTidyingTitle));
  std::string text = view_.Text();
  std::optional<std::string> tidied = TidyPadText(text, Responsive());
  view_.SetTitle(Title());
  // A text without "< " is left alone, and with it the flag.
  if (tidied && *tidied != text && view_.SetText(*tidied)) TextEdited();
}

void PadModel::Empty() {
  view_.SetText({});
  currentFile_.clear();
  form_ = {};
  verbatim_.reset();
  view_.SetTitle(Title());
  SetSaved(true);
}

void PadModel::Clear() {
  if (busy_) return;
  BusyScope busy(*this);
  if (!contentSaved_ && dialogs_.ShowMessageBox("文本框中的内容尚未保存，确实要清空吗?", "清空",
                                                kMbIconInformation | kMbOkCancel) != kIdOk) {
    return;
  }
  Empty();
}

void PadModel::Close() {
  if (busy_) return;
  view_.FocusText();
  view_.Hide();
  Empty();
}

PadModel::FileText PadModel::ReadTextFile(const std::string& path) {
  std::string bytes;
  switch (files_.ReadFile(path, kMaxPadFileBytes, bytes)) {
    case PadFilePort::Read::kFailed:
      return {FileText::Status::kFailed, {}, {}};
    case PadFilePort::Read::kTooLarge:
      return {FileText::Status::kTooLarge, {}, {}};
    case PadFilePort::Read::kOk:
      break;
  }
  std::optional<PadFileText> file = ReadPadFile(bytes, codec_, Responsive());
  if (!file) return {FileText::Status::kStopped, {}, {}};
  // The file's bytes are not needed beside its text, unless only they give the file back.
  if (file->exact) bytes = std::string();
  return {FileText::Status::kOk, std::move(*file), std::move(bytes)};
}

bool PadModel::TakeDrop(const PadDrop& drop) {
  if (busy_) return false;
  BusyScope busy(*this);
  if (options.clearBeforeDrop && !view_.Text().empty() && view_.SetText({})) TextEdited();
  view_.ShowBusy(true);
  bool taken = false;
  try {
    std::optional<std::string> item;
    std::string newFile;
    PadFileForm newForm;
    if (drop.firstFile) {
      const std::string& file = *drop.firstFile;
      if (options.textFilesOnly && !IsTextFilePath(file)) {
        item = file;  // the path itself, as text
      } else {
        FileText read = ReadTextFile(file);
        if (read.status == FileText::Status::kStopped) {
          view_.ShowBusy(false);
          return true;
        }
        if (read.status == FileText::Status::kOk) {
          item = std::move(read.file.text);
          newForm = read.file.form;
        }
        if (!options.textFilesOnly) newFile = file;
      }
    } else if (drop.text) {
      item = *drop.text;
    }
    if (item && view_.SetText(CombineDrop(view_.Text(), std::move(*item), options.addAfter))) {
      taken = true;
      TextEdited();
      if (!newFile.empty()) {
        currentFile_ = newFile;
        form_ = newForm;
        view_.SetTitle(Title());
      }
    }
  } catch (const std::bad_alloc&) {
    // Too much text to hold twice while joining: reported like any drop the box cannot take.
  }
  if (!taken) {
    // The pad is topmost: the message would be hidden behind it.
    view_.SetTopmost(false);
    dialogs_.ShowMessageBox(std::string(kDropFailedText), std::string(kDropFailedTitle),
                            kMbIconError | kMbOk);
    view_.SetTopmost(true);
  }
  view_.ShowBusy(false);
  return true;
}

void PadModel::Open() {
  if (busy_) return;
  BusyScope busy(*this);
  std::optional<std::string> path = view_.ChooseFile(false, currentFile_);
  if (!path || *path == currentFile_) return;
  OpenFileSteps(*path);
}

void PadModel::OpenFile(const std::string& path) {
  if (busy_) return;
  BusyScope busy(*this);
  OpenFileSteps(path);
}

void PadModel::OpenFileSteps(const std::string& path) {
  // A long file takes a while: the busy panel shows meanwhile, as for a drop.
  view_.ShowBusy(true);
  FileText read = ReadTextFile(path);
  const bool set = read.status == FileText::Status::kOk && view_.SetText(read.file.text);
  view_.ShowBusy(false);
  switch (read.status) {
    case FileText::Status::kStopped:
      return;
    case FileText::Status::kFailed:
      ShowError("无法打开文件：\n" + path +
                "\n\n文件可能正被其他程序使用，或者已经不存在。即拖即存中的内容没有改动。");
      return;
    case FileText::Status::kTooLarge:
      ShowError("文件太大，即拖即存无法打开：\n" + path + "\n\n即拖即存中的内容没有改动。");
      return;
    case FileText::Status::kOk:
      break;
  }
  if (!set) {
    ShowError("文件的内容太多，文本框无法接受：\n" + path + "\n\n即拖即存中的内容没有改动。");
    return;
  }
  currentFile_ = path;
  form_ = read.file.form;
  verbatim_.reset();
  if (!read.file.exact) {
    verbatim_ = std::move(read.bytes);
    verbatimTextHash_ = std::hash<std::string>{}(read.file.text);
  }
  view_.SetTitle(Title());
  SetSaved(true);
}

bool PadModel::WriteTextFile(const std::string& path) {
  // Nothing else runs while the file is written: what is written is what then counts as saved.
  std::string text = view_.Text();
  std::optional<std::string> bytes = verbatim_ && std::hash<std::string>{}(text) == verbatimTextHash_
                                         ? verbatim_
                                         : WritePadFile(text, form_, codec_, nullptr);
  if (files_.ReplaceFile(path, *bytes)) return true;
  ShowError("无法保存到文件：\n" + path +
            "\n\n文件可能是只读的、正被其他程序使用，或者所在的文件夹已经不存在。"
            "原来的文件没有改动，文本仍留在即拖即存中。");
  return false;
}

void PadModel::SaveAsSteps() {
  std::optional<std::string> path = view_.ChooseFile(true, currentFile_);
  if (!path) return;
  if (files_.FileExists(*path) &&
      dialogs_.ShowMessageBox("文件" + *path + "已经存在，要覆盖吗？", std::string(kPadDialogTitle),
                              kMbIconError | kMbOkCancel) != kIdOk) {
    return;
  }
  if (!WriteTextFile(*path)) return;
  SetSaved(true);
  currentFile_ = *path;
  view_.SetTitle(Title());
}

void PadModel::SaveAs() {
  if (busy_) return;
  BusyScope busy(*this);
  SaveAsSteps();
  view_.FocusText();
}

void PadModel::Save() {
  if (busy_) return;
  BusyScope busy(*this);
  if (currentFile_.empty()) {
    SaveAsSteps();
  } else if (WriteTextFile(currentFile_)) {
    SetSaved(true);
  }
  view_.FocusText();
}

std::string PadModel::NextDots() {
  dots_ = dots_ + 1;
  std::string dots(static_cast<std::size_t>(dots_), '.');
  if (dots_ == 10) dots_ = 0;
  return dots;
}

}  // namespace tarvek
