#include "core/files/active_options.h"

#include "core/files/active_list.h"
#include "core/files/list_file.h"

namespace tarvek {

namespace {

constexpr const char* kOptionsTitle = "启动选项";

}  // namespace

std::string OptionsPathFor(std::string_view listPath) { return PathBesideList(listPath, ".opt"); }

void ActiveOptions::Load(const std::string& listPath, FilePort& files, DialogPort& dialogs) {
  path_ = TrimBlanks(listPath).empty() ? std::string() : OptionsPathFor(listPath);
  file_ = OptionsFile{};
  fileThere_ = false;
  written_.clear();
  damaged_.clear();
  guarded_ = false;
  if (path_.empty()) return;
  FilePort::PathState state = files.QueryPath(path_);
  if (state == FilePort::PathState::kNoFile || state == FilePort::PathState::kNoFolder) return;
  std::optional<std::string> bytes;
  if (state == FilePort::PathState::kFile) bytes = files.ReadFileBytes(path_);
  bool damaged = false;
  if (bytes) file_ = OptionsFile::Parse(*bytes, &damaged);
  if (bytes && !damaged) {
    fileThere_ = true;
    // What the file says, as it would be written: a file written by hand in another form is
    // not written again until something in it changes.
    written_ = file_.Serialize();
    return;
  }
  guarded_ = true;
  fileThere_ = true;
  if (bytes) damaged_ = *bytes;
  dialogs.ShowMessageBox(
      (bytes ? "启动选项文件已损坏，无法读取：\n" : "无法读取启动选项文件：\n") + path_ +
          "\n\n这次所有热键都按默认的启动选项运行。修改某个热键的启动选项之前，程序不会改写这个文件。",
      kOptionsTitle, kMbIconExclamation);
}

void ActiveOptions::Fill(HotkeyTable& table) const {
  for (HotkeyEntry& e : table.slots) {
    e.Options = e.ModifierText.empty() ? LaunchOptions{} : file_.Get(e.ModifierText, e.KeyText);
  }
}

void ActiveOptions::Set(std::string_view modifierText, std::string_view keyText,
                        const LaunchOptions& options) {
  if (file_.Get(modifierText, keyText) == options) return;
  file_.Set(modifierText, keyText, options);
  guarded_ = false;  // the user changed an option: the file may be written now
}

void ActiveOptions::Move(std::string_view fromModifier, std::string_view fromKey,
                         std::string_view toModifier, std::string_view toKey) {
  file_.Move(fromModifier, fromKey, toModifier, toKey);
}

void ActiveOptions::Remove(std::string_view modifierText, std::string_view keyText) {
  file_.Remove(modifierText, keyText);
}

bool ActiveOptions::Unsaved() const {
  if (guarded_ || path_.empty()) return false;
  if (!fileThere_) return !file_.Empty();
  return file_.Serialize() != written_;
}

bool ActiveOptions::Save(FilePort& files, DialogPort& dialogs) {
  if (!Unsaved()) return true;
  // A damaged file the user now writes over is kept beside it first, as far as it can be.
  if (!damaged_.empty()) {
    std::string copy = BackupPathFor(path_, damaged_, files);
    if (!copy.empty() && !files.FileExists(copy)) files.ReplaceFileBytes(copy, damaged_);
  }
  std::string bytes = file_.Serialize();
  if (!files.ReplaceFileBytes(path_, bytes)) {
    dialogs.ShowMessageBox("无法保存启动选项文件：\n" + path_ +
                               "\n\n热键列表已经保存；这次对启动选项的修改没有保存。",
                           kOptionsTitle, kMbIconError);
    return false;
  }
  fileThere_ = true;
  written_ = std::move(bytes);
  damaged_.clear();
  return true;
}

void ActiveOptions::SaveBeside(const std::string& listPath, FilePort& files,
                               FolderPort& folders) const {
  const std::string path = OptionsPathFor(listPath);
  if (file_.Empty()) {
    if (files.FileExists(path)) folders.RemoveFile(path);
    return;
  }
  files.ReplaceFileBytes(path, file_.Serialize());
}

}  // namespace tarvek
