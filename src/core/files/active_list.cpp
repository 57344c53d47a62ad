#include "core/files/active_list.h"

#include <algorithm>
#include <memory>

#include "core/validation.h"

namespace tarvek {

namespace {

using PathState = FilePort::PathState;

constexpr const char* kNotLoadedTitle = "热键列表没有载入";

// Why the list could not be loaded, as the user can act on it: for kNoFolder, kLocked and
// kUnreadable, in that order. "%" stands for the list's path in every text here.
constexpr std::string_view kNotLoadedReasons[] = {
    "找不到热键列表文件所在的文件夹或驱动器：\n%\n\n"
    "可能是 U 盘、移动硬盘、网络驱动器或云盘文件夹还没有连接。",
    "热键列表文件正被其他程序占用，现在无法读取：\n%",
    "无法读取热键列表文件：\n%\n\n可能没有读取它的权限，或者磁盘出错。",
};

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The text with its "%" replaced by value.
std::string Fill(std::string_view text, std::string_view value) {
  std::size_t at = text.find('%');
  std::string filled(text.substr(0, at));
  if (at != std::string_view::npos) filled.append(value).append(text.substr(at + 1));
  return filled;
}

std::string NotLoadedReason(PathState state, std::string_view path) {
  int i = state == PathState::kNoFolder ? 0 : state == PathState::kLocked ? 1 : 2;
  return Fill(kNotLoadedReasons[i], path);
}

std::string LoadReportText(const std::string& path, const ListLoadReport& report,
                           const std::string& copy) {
  std::string text = "热键列表文件 " + path + " 中有些内容没有载入：";
  if (report.surplus > 0) {
    text += "\n超过 101 个热键，后面的 " + std::to_string(report.surplus) + " 个没有载入。";
  }
  if (report.withoutModifier > 0) {
    text += "\n有 " + std::to_string(report.withoutModifier) + " 个热键缺少功能键，没有载入。";
  }
  if (report.incompleteTail) text += "\n最后一个热键不完整（少于四行），没有载入。";
  text += "\n\n保存热键列表时，没有载入的内容将不会保存。";
  if (copy.empty()) return text + "请先备份该文件。";
  return text + Fill("第一次保存之前，会先把原文件完整地复制为：\n%", copy);
}

// The table's bindings in the grid's rows 2 and up, in place of those there.
void ShowBindings(GridPort& grid, const std::vector<BindingTexts>& bindings) {
  while (grid.Rows() > kFirstBindingRow) grid.RemoveRow(grid.Rows() - 1);
  // Cell by cell: a Tab a hand edit put into a name stays in that name.
  for (const BindingTexts& b : bindings) grid.AddRowCells(b);
}

std::string LeftOutText(const std::vector<BindingTexts>& leftOut) {
  std::string text = "重新载入的热键列表中已经有下列热键的名称或按键（或者已满 101 个），"
                     "它们没有加入：\n";
  for (const BindingTexts& b : leftOut) {
    text.append("\n").append(b[2]).append("（").append(b[0]).append(" + ").append(b[1]);
    text.append("）  ").append(b[3]);
  }
  return text + "\n\n如果还需要它们，请换一个名称或按键再添加。";
}

}  // namespace

bool SamePath(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

std::string FolderOfPath(std::string_view path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

ListRead ReadListFile(const std::string& path, ListFileContext ctx, bool tellNotLoaded) {
  ListRead read;
  const std::string trimmed = TrimBlanks(path);
  const std::int16_t previousCount = ctx.table.HotkeyCount;
  // A list that is not there, or cannot be read, is written anew as today's lists are.
  if (ctx.activeForm != nullptr) *ctx.activeForm = {trimmed, ListTextForm::kAnsi};
  if (!trimmed.empty()) read.state = ctx.files.QueryPath(trimmed);
  std::optional<std::string> bytes;
  if (read.state == PathState::kFile) {
    bytes = ctx.files.ReadFileBytes(trimmed);
    // Seen as there, yet not read: a cloud file that cannot be fetched, a disk error.
    if (!bytes) read.state = PathState::kUnreadable;
  }
  if (!bytes) {
    ParseList({}, ctx.codec, ctx.table);  // empties the table; the count stays
    ctx.table.HotkeyCount = previousCount;
    if (!read.Loaded() && tellNotLoaded) {
      std::string text = NotLoadedReason(read.state, trimmed);
      text += "\n\n这次没有载入其中的热键，程序也不会改写这个文件。连接好或关闭占用它的程序后，"
              "添加或删除热键时可以选择重新载入它。";
      ctx.dialogs.ShowMessageBox(text, kNotLoadedTitle, kMbIconError);
    }
    return read;
  }
  read.bytes = std::move(*bytes);
  read.report = ParseList(read.bytes, ctx.codec, ctx.table);
  if (ctx.activeForm != nullptr) ctx.activeForm->form = read.report.form;
  if (!read.report.Clean()) {
    ctx.dialogs.ShowMessageBox(
        LoadReportText(trimmed, read.report, BackupPathFor(trimmed, read.bytes, ctx.files)),
        "热键列表", kMbIconExclamation);
  }
  return read;
}

std::string PathBesideList(std::string_view listPath, std::string_view extension) {
  std::string path = TrimBlanks(listPath);
  std::size_t slash = path.find_last_of("\\/");
  std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
  return path.append(extension);
}

std::string BackupPathFor(const std::string& path, const std::string& bytes, FilePort& files) {
  for (int n = 1; n < 100; ++n) {
    std::string copy = path;
    if (n > 1) copy.append(1, '.').append(std::to_string(n));
    copy += ".bak";
    if (!files.FileExists(copy)) return copy;
    if (files.ReadFileBytes(copy) == bytes) return copy;
  }
  return {};
}

MergedBindings MergeBindings(std::vector<BindingTexts> loaded,
                             const std::vector<BindingTexts>& added) {
  MergedBindings merged{std::move(loaded), {}};
  for (const BindingTexts& binding : added) {
    const std::vector<BindingTexts>& kept = merged.kept;
    if (std::find(kept.begin(), kept.end(), binding) != kept.end()) continue;
    bool clash = std::any_of(kept.begin(), kept.end(), [&binding](const BindingTexts& k) {
      return k[2] == binding[2] || SameCombination(k[0], k[1], binding[0], binding[1]);
    });
    if (clash || static_cast<int>(kept.size()) >= kTableSlots) {
      merged.leftOut.push_back(binding);
    } else {
      merged.kept.push_back(binding);
    }
  }
  return merged;
}

void ActiveList::Took(const std::string& path, const ListRead& read) {
  path_ = path;
  notLoaded_.reset();
  if (!read.Loaded()) notLoaded_ = read.state;
  dropped_.reset();
  if (!read.report.Clean()) dropped_ = read.bytes;
}

bool ActiveList::Load(const std::string& path, ListFileContext ctx) {
  ListRead read = ReadListFile(path, ctx);
  Took(path, read);
  return read.Loaded();
}

bool ActiveList::Decide(const std::string& path, ListFileContext ctx, ListSaveOutcome& outcome) {
  while (notLoaded_) {
    std::string question = NotLoadedReason(*notLoaded_, TrimBlanks(path));
    question += "\n\n要保存刚才的修改，请选择：\n"
                "“是”：重新载入这个文件，把刚才添加的热键加进去以后一起保存；\n"
                "“否”：用列表中现在的热键替换这个文件（能读取时，原文件先在旁边复制一份）；\n"
                "“取消”：这次不保存，文件保持原样。";
    int answer =
        ctx.dialogs.ShowMessageBox(question, kNotLoadedTitle, kMbYesNoCancel | kMbIconExclamation);
    if (answer == kIdNo) return KeepCopy(path, {}, ctx);
    if (answer != kIdYes) return false;
    // Read beside the table: the table's slots are the registered ones until the caller
    // registers the merged list anew.
    auto loaded = std::make_unique<HotkeyTable>();
    ListRead read = ReadListFile(path, {ctx.grid, *loaded, ctx.files, ctx.codec, ctx.dialogs, ctx.activeForm},
                                 /*tellNotLoaded=*/false);
    Took(path, read);
    if (!read.Loaded()) continue;  // asked again, with what stands in the way now
    MergedBindings merged = MergeBindings(TableBindings(*loaded), GridBindings(ctx.grid));
    ShowBindings(ctx.grid, merged.kept);
    outcome.merged = true;
    if (!merged.leftOut.empty()) {
      ctx.dialogs.ShowMessageBox(LeftOutText(merged.leftOut), "热键列表", kMbIconExclamation);
    }
  }
  return true;
}

ListSaveOutcome ActiveList::Save(const std::string& path, ListFileContext ctx) {
  ListSaveOutcome outcome;
  // A path the user has pointed the list to since is saved to as it is.
  if (!SamePath(path, path_)) {
    Took(path, ListRead{});
  }
  if (!Decide(path, ctx, outcome)) return outcome;
  if (dropped_ && !KeepCopy(path, *dropped_, ctx)) return outcome;
  if (!HotkeyListFile("put", path, ctx)) return outcome;
  notLoaded_.reset();
  dropped_.reset();
  outcome.saved = true;
  return outcome;
}

bool ActiveList::KeepCopy(const std::string& path, const std::string& bytesIfUnreadable,
                          ListFileContext ctx) {
  const std::string trimmed = TrimBlanks(path);
  // What is there now is what the save would write over.
  std::optional<std::string> bytes;
  if (ctx.files.QueryPath(trimmed) == PathState::kFile) bytes = ctx.files.ReadFileBytes(trimmed);
  if (!bytes) bytes = bytesIfUnreadable;
  if (bytes->empty()) return true;  // nothing a save could lose
  std::string copy = BackupPathFor(trimmed, *bytes, ctx.files);
  if (!copy.empty() && (ctx.files.FileExists(copy) || ctx.files.ReplaceFileBytes(copy, *bytes))) {
    return true;
  }
  ctx.dialogs.ShowMessageBox(
      Fill("保存之前，要先把热键列表文件复制一份，以免丢失其中没有载入的内容，但无法保存这份副本：\n%"
           "\n\n这次没有保存热键列表，文件保持原样。",
           copy.empty() ? trimmed : copy),
      "错误!", kMbIconError);
  return false;
}

void ActiveList::WarnIfFolderRefusesFiles(const std::string& path,
                                          const std::string& programFolder,
                                          ListFileContext ctx) {
  const std::string folder = FolderOfPath(TrimBlanks(path));
  // A folder that is not there was named when the list was not loaded.
  if (folder.empty() || notLoaded_ || ctx.files.FolderWritable(folder)) return;
  const std::string text = Fill(
      SamePath(folder, programFolder)
          ? "本程序所在的文件夹不能写入：\n%\n\n（例如 C:\\Program Files 下的文件夹，普通用户不能在"
            "那里保存文件。）对热键的修改和保存的列表都将无法保存。\n\n请退出本程序，把整个程序"
            "文件夹移到你自己的文件夹中，例如“文档”下的一个文件夹，再从那里启动本程序。"
          : "热键列表文件所在的文件夹不能写入：\n%\n\n对热键的修改都将无法保存。请在“软件设置”中"
            "把“热键列表存放路径”改到你自己的文件夹中，例如“文档”下的一个文件夹。",
      folder);
  ctx.dialogs.ShowMessageBox(text, "无法保存热键列表", kMbIconExclamation);
}

}  // namespace tarvek
