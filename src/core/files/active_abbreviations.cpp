#include "core/files/active_abbreviations.h"

#include <optional>
#include <string>
#include <utility>

#include "core/files/active_list.h"
#include "core/files/list_file.h"

namespace tarvek {

namespace {

constexpr const char* kAbbreviationTitle = "缩写替换";

// Why an entry or a line was left out, in a few words after its name.
const char* FaultText(AbbreviationFault fault) {
  switch (fault) {
    case AbbreviationFault::kOutsideSection:
      return "在第一个缩写之前，不属于任何缩写";
    case AbbreviationFault::kEmpty:
      return "缩写是空的";
    case AbbreviationFault::kTooLong:
      return "太长（超过 32 个字符）";
    case AbbreviationFault::kBlank:
      return "含空格";
    case AbbreviationFault::kNotTyped:
      return "含键盘不能直接输入的字符";
    case AbbreviationFault::kDuplicate:
      return "与前面的缩写重复";
    case AbbreviationFault::kNoText:
      return "没有替换文字";
    case AbbreviationFault::kUnknownKey:
      return "有一行无法识别，已略过";
    case AbbreviationFault::kRepeatedKey:
      return "有一项设置写了两次，只用第一个";
    case AbbreviationFault::kBadValue:
      return "Immediate= 或 InWord= 的值不是 0 或 1，按 0 读入";
    case AbbreviationFault::kNone:
      break;
  }
  return "";
}

std::string PartlyReadText(const std::string& path, const AbbreviationFileReport& report,
                           bool anyTaken, const std::string& copy) {
  // Nothing is left out of a file that is no text: it is not read at all.
  std::string text = "缩写文件 " + path;
  if (report.damaged) {
    text += " 的内容不是 UTF-8 或 UTF-16 文本（或者超过 " +
            std::to_string(kMaxAbbreviationFileBytes >> 20) + " MB），没有读入任何缩写。";
  } else if (report.leftOutCount == 0) {
    text += " 是 UTF-16 编码，缩写已全部读入。";
  } else {
    text += " 中有 " + std::to_string(report.leftOutCount) + " 处没有读入：";
    for (const AbbreviationFileReport::LeftOut& item : report.firstLeftOut) {
      // An entry by its section, as the file shows it; a stray line as it is.
      text += "\n    ";
      text += item.fault == AbbreviationFault::kOutsideSection ? item.name : "[" + item.name + "]";
      text.append("：").append(FaultText(item.fault));
    }
    if (report.leftOutCount > report.firstLeftOut.size()) {
      text += "\n    ……另有 " + std::to_string(report.leftOutCount - report.firstLeftOut.size()) +
              " 处";
    }
    if (report.utf16) text += "\n文件是 UTF-16 编码。";
  }
  text += "\n\n";
  if (anyTaken) text += "读入的缩写照常使用。";
  text += "在“缩写替换”中保存缩写表之前，程序不会改动这个文件";
  if (report.utf16) text += "；保存时改用 UTF-8 编码";
  text += "。";
  if (copy.empty()) return text + "它旁边的 .bak 备份已经太多，保存之前请先删去一些。";
  return text + "第一次保存之前，会先把原文件完整地复制为：\n" + copy;
}

}  // namespace

std::string AbbreviationPathFor(std::string_view listPath) {
  return PathBesideList(listPath, ".abbr");
}

void ActiveAbbreviations::Load(const std::string& listPath, FilePort& files, DialogPort& dialogs) {
  path_ = TrimBlanks(listPath).empty() ? std::string() : AbbreviationPathFor(listPath);
  entries_ = AbbreviationEntries(new AbbreviationStore());
  unreadable_ = false;
  partlyRead_.clear();
  if (path_.empty()) return;
  const FilePort::PathState state = files.QueryPath(path_);
  if (state == FilePort::PathState::kNoFile) return;
  // A folder that cannot be reached may hold a file or not: nothing is said about a file that
  // may not be there (the list beside it told of its folder), and nothing is written there.
  if (state == FilePort::PathState::kNoFolder) {
    unreadable_ = true;
    return;
  }
  std::optional<std::string> bytes;
  if (state == FilePort::PathState::kFile) bytes = files.ReadFileBytes(path_);
  if (!bytes) {
    unreadable_ = true;
    dialogs.ShowMessageBox(
        (state == FilePort::PathState::kLocked ? "缩写文件正被其他程序占用，无法读取：\n"
                                               : "无法读取缩写文件：\n") +
            path_ +
            "\n\n这次不使用其中的缩写，程序也不会改写这个文件。下次载入热键列表时会再读取它。",
        kAbbreviationTitle, kMbIconExclamation);
    return;
  }
  AbbreviationFileReport report;
  entries_ = AbbreviationEntries(new AbbreviationStore(ParseAbbreviationStore(*bytes, &report)));
  if (report.Clean()) return;
  partlyRead_ = std::move(*bytes);
  dialogs.ShowMessageBox(
      PartlyReadText(path_, report, !entries_->Empty(), BackupPathFor(path_, partlyRead_, files)),
      kAbbreviationTitle, kMbIconExclamation);
}

bool ActiveAbbreviations::Writable() const { return !path_.empty() && !unreadable_; }

bool ActiveAbbreviations::Replace(std::vector<Abbreviation> entries, FilePort& files,
                                  FolderPort& folders, DialogPort& dialogs) {
  entries_ = AbbreviationEntries(new AbbreviationStore(entries));
  if (!Writable()) {
    dialogs.ShowMessageBox(
        path_.empty() ? std::string("没有载入热键列表，缩写表无法保存。")
                      : "载入热键列表时无法读取缩写文件：\n" + path_ +
                            "\n\n为免覆盖其中的缩写，这次不能保存。请在它可以读取后重新启动程序"
                            "或导入列表，再修改缩写。",
        kAbbreviationTitle, kMbIconError);
    return false;
  }
  // An empty table is no file rather than a file of nothing.
  const bool remove = entries_->Empty();
  if (remove && !files.FileExists(path_)) {
    partlyRead_.clear();
    return true;
  }
  // The file read in part is kept whole before anything writes over it; without that copy the
  // lines left out would be lost, so nothing is written.
  if (!partlyRead_.empty()) {
    const std::string copy = BackupPathFor(path_, partlyRead_, files);
    if (copy.empty() || (!files.FileExists(copy) && !files.ReplaceFileBytes(copy, partlyRead_))) {
      dialogs.ShowMessageBox("无法为原来的缩写文件做备份：\n" + path_ +
                                 "\n\n为免丢失其中没有读入的内容，缩写表没有保存。",
                             kAbbreviationTitle, kMbIconError);
      return false;
    }
  }
  const bool done = remove ? folders.RemoveFile(path_)
                           : files.ReplaceFileBytes(path_, SerializeAbbreviationFile(entries_->All()));
  if (!done) {
    dialogs.ShowMessageBox(
        (remove ? "缩写表已清空，但无法删除缩写文件：\n" : "无法保存缩写文件：\n") + path_ +
            "\n\n文件可能正被其他程序使用，或者所在的文件夹不能写入。"
            "这次对缩写的修改没有保存。",
        kAbbreviationTitle, kMbIconError);
    return false;
  }
  partlyRead_.clear();
  return true;
}

void ActiveAbbreviations::SaveBeside(const std::string& listPath, FilePort& files,
                                     FolderPort& folders) const {
  const std::string path = AbbreviationPathFor(listPath);
  // The running list's own file is written by Replace only, which keeps a file read in part.
  if (SamePath(path, path_)) return;
  if (entries_->Empty()) {
    if (files.FileExists(path)) folders.RemoveFile(path);
    return;
  }
  files.ReplaceFileBytes(path, SerializeAbbreviationFile(entries_->All()));
}

}  // namespace tarvek
