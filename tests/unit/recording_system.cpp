#include "recording_system.h"

#include <iconv.h>

#include <map>
#include <sstream>
#include <utility>

#include "core/hotkey_table.h"

namespace tarvek::testing {

namespace {

std::string Join(std::initializer_list<std::string> parts) {
  std::string line;
  for (const std::string& p : parts) {
    if (!line.empty()) line += ' ';
    line += p;
  }
  return line;
}

}  // namespace

std::optional<std::string> Recode(const char* to, const char* from, const std::string& in) {
  // Opened once per direction for the whole run (opening loads the converter: slow, and the
  // fuzz targets convert for every input).
  static auto* opened = new std::map<std::pair<std::string, std::string>, iconv_t>;
  iconv_t& cd = (*opened)[{to, from}];
  if (cd == nullptr) cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  std::string out(in.size() * 4 + 4, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  if (rc == static_cast<size_t>(-1)) return std::nullopt;
  out.resize(out.size() - dstLeft);
  return out;
}

std::string GbkToUtf8(const std::string& gbk) {
  return Recode("UTF-8", "GBK", gbk).value_or("?");
}

std::optional<std::string> Utf8ToGbk(const std::string& utf8) {
  return Recode("GBK", "UTF-8", utf8);
}

std::vector<std::string> GbkCorpus() {
  std::vector<std::string> texts = {
      "系统", "学习", "影院", "一些", "确实要删", "系统维护", "家庭影院", "我的电脑", "记事本",
      "腾讯QQ", "微信", "网易云音乐", "酷狗音乐", "迅雷", "百度网盘", "搜狗输入法", "画图",
      "截图工具", "控制面板", "任务管理器", "命令提示符", "浏览器", "关闭计算机", "清空回收站",
      "穹顶",  // F1 B7 B6 A5: a four-byte character beyond plane 1
      "C:\\Program Files\\腾讯\\QQ\\Bin\\QQ.exe", "D:\\软件\\系统工具\\清理.exe",
      "D:\\我的文档\\工作\\报表.xls", "E:\\学习\\英语\\单词.txt", "C:\\用户\\桌面\\影院.lnk"};
  for (int lead = 0xB0; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      std::string character = GbkToUtf8({static_cast<char>(lead), static_cast<char>(trail)});
      if (character != "?") texts.push_back(character);
    }
  }
  return texts;
}

std::vector<std::string> RecordingSystem::CallsStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& c : calls) {
    if (c.rfind(prefix, 0) == 0) found.push_back(c);
  }
  return found;
}

bool RecordingSystem::RegisterHotkey(int id, int modifiers, int virtualKey) {
  calls.push_back(Join({"RegisterHotkey", std::to_string(id), std::to_string(modifiers),
                        std::to_string(virtualKey)}));
  // As on Windows: an id that is registered already is refused, even for the same window.
  if (heldByOthers.count({modifiers, virtualKey}) != 0 || registered.count(id) != 0) return false;
  registered.insert(id);
  return true;
}
void RecordingSystem::UnregisterHotkey(int id) {
  calls.push_back("UnregisterHotkey " + std::to_string(id));
  registered.erase(id);
}
void RecordingSystem::ShellOpen(const std::string& command, const std::string& workingFolder,
                                WindowRef owner) {
  calls.push_back("ShellOpen " + command + (workingFolder.empty() ? "" : " in " + workingFolder) +
                  (owner == 0 ? "" : " owner " + std::to_string(owner)));
}
StartResult RecordingSystem::StartProgram(const std::string& exePath) {
  calls.push_back("StartProgram " + exePath);
  return Started(exePath);
}
void RecordingSystem::OpenDefaultBrowser() { calls.push_back("OpenDefaultBrowser"); }
WindowRef RecordingSystem::ForegroundWindow() { return foreground; }
void RecordingSystem::ShowWindow(WindowRef window, int showCommand) {
  calls.push_back(Join({"ShowWindow", std::to_string(window), std::to_string(showCommand)}));
}
void RecordingSystem::PostClose(WindowRef window) {
  calls.push_back("PostClose " + std::to_string(window));
}
Rect RecordingSystem::WindowRect(WindowRef) { return foregroundRect; }
void RecordingSystem::SetCursorPos(int x, int y) {
  calls.push_back(Join({"SetCursorPos", std::to_string(x), std::to_string(y)}));
}
void RecordingSystem::MouseEvent(int flags, int dx, int dy) {
  calls.push_back(
      Join({"MouseEvent", std::to_string(flags), std::to_string(dx), std::to_string(dy)}));
}
void RecordingSystem::PlayWaveAsync(const std::string& path) {
  calls.push_back("PlayWaveAsync " + path);
}
void RecordingSystem::SendMciCommand(const std::string& command) {
  calls.push_back("SendMciCommand " + command);
}
long RecordingSystem::EmptyRecycleBin() {
  calls.push_back("EmptyRecycleBin");
  return recycleBinResult;
}
void RecordingSystem::UpdateRecycleBinIcon() { calls.push_back("UpdateRecycleBinIcon"); }
void RecordingSystem::EnableShutdownPrivilege() { calls.push_back("EnableShutdownPrivilege"); }
void RecordingSystem::ExitWindowsSession(unsigned flags, unsigned reason) {
  calls.push_back(Join({"ExitWindows", std::to_string(flags), std::to_string(reason)}));
}
int RecordingSystem::ShowMessageBox(const std::string& text, const std::string& title,
                                unsigned flags) {
  std::ostringstream line;
  line << "MessageBox [" << text << "] [" << title << "] 0x" << std::hex << flags;
  calls.push_back(line.str());
  return nextAnswer_ < messageBoxAnswers.size() ? messageBoxAnswers[nextAnswer_++] : kIdOk;
}
namespace {

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool Under(const std::string& path, const std::set<std::string>& folders) {
  for (const std::string& folder : folders) {
    if (path == folder || path.rfind(folder + "\\", 0) == 0) return true;
  }
  return false;
}

}  // namespace

bool RecordingSystem::FileExists(const std::string& path) {
  return files.count(path) != 0 && !Under(path, absentFolders);
}
FilePort::PathState RecordingSystem::QueryPath(const std::string& path) {
  if (Under(path, absentFolders)) return PathState::kNoFolder;
  if (lockedPaths.count(path) != 0) return PathState::kLocked;
  if (unreadablePaths.count(path) != 0) return PathState::kUnreadable;
  return files.count(path) != 0 ? PathState::kFile : PathState::kNoFile;
}
bool RecordingSystem::FolderWritable(const std::string& folder) {
  return !Under(folder, absentFolders) && readOnlyFolders.count(folder) == 0;
}
std::optional<std::string> RecordingSystem::ReadFileBytes(const std::string& path) {
  calls.push_back("ReadFileBytes " + path);
  if (unreadablePaths.count(path) != 0 || lockedPaths.count(path) != 0) return std::nullopt;
  if (Under(path, absentFolders)) return std::nullopt;
  auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second;
}
bool RecordingSystem::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
  calls.push_back("ReplaceFileBytes " + path);
  if (unwritablePaths.count(path) != 0 || lockedPaths.count(path) != 0) return false;
  if (Under(path, absentFolders) || readOnlyFolders.count(FolderOf(path)) != 0) return false;
  files[path] = bytes;
  return true;
}
std::vector<std::string> RecordingSystem::FileNamesIn(const std::string& folder) {
  calls.push_back("FileNamesIn " + folder);
  std::vector<std::string> names;
  const std::string prefix = folder + "\\";
  for (const auto& [path, bytes] : files) {
    if (path.rfind(prefix, 0) == 0 && path.find('\\', prefix.size()) == std::string::npos) {
      names.push_back(path.substr(prefix.size()));
    }
  }
  return names;
}

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

bool RecordingSystem::RemoveFile(const std::string& path) {
  calls.push_back("RemoveFile " + path);
  if (lockedPaths.count(path) != 0) return false;
  return files.erase(path) != 0;
}

bool RecordingSystem::RenameFile(const std::string& from, const std::string& to) {
  calls.push_back("RenameFile " + from + " -> " + to);
  auto source = files.find(from);
  if (source == files.end() || lockedPaths.count(from) != 0) return false;
  for (const auto& [path, bytes] : files) {
    if (path != from && Lower(path) == Lower(to)) return false;
  }
  std::string bytes = std::move(source->second);
  files.erase(source);
  files[to] = std::move(bytes);
  return true;
}

std::string RecordingSystem::AnsiToUtf8(const std::string& ansi) {
  if (ansiCodePage == 936) return GbkToUtf8(ansi);
  if (ansiCodePage == kUtf8CodePage) return ValidUtf8(ansi);
  return Recode("UTF-8", ("CP" + std::to_string(ansiCodePage)).c_str(), ansi).value_or("?");
}

std::string RecordingSystem::Cp936ToUtf8(const std::string& gbk) { return GbkToUtf8(gbk); }

std::optional<std::string> RecordingSystem::Utf8ToAnsi(const std::string& utf8) {
  if (ansiCodePage == 936) return Utf8ToGbk(utf8);
  if (ansiCodePage == kUtf8CodePage) return utf8;
  return Recode(("CP" + std::to_string(ansiCodePage)).c_str(), "UTF-8", utf8);
}

void RecordingSystem::RunInBackground(std::function<void(SystemPort&)> job) {
  const std::size_t first = calls.size();
  const bool outer = inBackground_;
  inBackground_ = true;
  job(*this);
  inBackground_ = outer;
  for (std::size_t i = first; i < calls.size(); ++i) calls[i] = "Background " + calls[i];
}
PathKind RecordingSystem::KindOfPath(const std::string& path) {
  if (files.count(path) != 0) return PathKind::kFile;
  return folders.count(path) != 0 ? PathKind::kFolder : PathKind::kNeither;
}

FakeGrid::FakeGrid() {
  rows.push_back({"功能键", "基本键", "调用的程序", "程序路径"});
  held.push_back(false);
  disabled.push_back(false);
  slots.push_back(-1);
  notes.emplace_back();
}

void FakeGrid::MarkRowHeld(int row, bool isHeld) {
  if (row > 0 && row < Rows()) held[row] = isHeld;
}

bool FakeGrid::RowHeld(int row) const { return row > 0 && row < Rows() && held[row]; }

void FakeGrid::SetRowSlot(int row, int slot) {
  if (row > 0 && row < Rows()) slots[row] = slot;
}

int FakeGrid::RowSlot(int row) const { return row > 0 && row < Rows() ? slots[row] : -1; }

std::vector<int> FakeGrid::SelectedRows() const {
  if (!selection.empty()) return selection;
  if (currentRow > 0 && currentRow < Rows()) return {currentRow};
  return {};
}

std::string FakeGrid::Cell(int row, int column) const {
  if (row < 0 || row >= Rows() || column < 0 || column >= 4) return {};
  return rows[row][column];
}

void FakeGrid::SetCell(int row, int column, const std::string& text) {
  if (row >= 0 && row < Rows() && column >= 0 && column < 4) rows[row][column] = text;
}

void FakeGrid::AddRow(const std::string& text, int row) {
  std::vector<std::string> cells;
  std::size_t start = 0;
  for (int c = 0; c < 4; ++c) {
    std::size_t tab = text.find('\t', start);
    cells.push_back(text.substr(start, c == 3 ? std::string::npos : tab - start));
    start = tab == std::string::npos ? text.size() : tab + 1;
  }
  if (row < 0 || row > Rows()) row = Rows();
  rows.insert(rows.begin() + row, cells);
  held.insert(held.begin() + row, false);
  disabled.insert(disabled.begin() + row, false);
  slots.insert(slots.begin() + row, -1);
  notes.insert(notes.begin() + row, std::string());
}

void FakeGrid::AddRowCells(const RowCells& cells, int row) {
  if (row < 0 || row > Rows()) row = Rows();
  rows.insert(rows.begin() + row, std::vector<std::string>(cells.begin(), cells.end()));
  held.insert(held.begin() + row, false);
  disabled.insert(disabled.begin() + row, false);
  slots.insert(slots.begin() + row, -1);
  notes.insert(notes.begin() + row, std::string());
}

void FakeGrid::RemoveRow(int row) {
  if (row > 0 && row < Rows()) {
    rows.erase(rows.begin() + row);
    held.erase(held.begin() + row);
    disabled.erase(disabled.begin() + row);
    slots.erase(slots.begin() + row);
    notes.erase(notes.begin() + row);
  }
}

std::string PictureName(TrayPicture picture) {
  switch (picture) {
    case TrayPicture::kPressed:
      return "Pressed";
    case TrayPicture::kDisabled:
      return "Disabled";
    case TrayPicture::kNormal:
      break;
  }
  return "Normal";
}

std::string MemorySettings::Get(std::string_view name) {
  auto it = values.find(name);
  return it == values.end() ? std::string() : it->second;
}

bool MemorySettings::Set(std::string_view name, const std::string& value) {
  if (calls != nullptr) calls->push_back("Set " + std::string(name) + " " + value);
  values[std::string(name)] = value.empty() ? " " : value;
  return true;
}

}  // namespace tarvek::testing

namespace tarvek::testing {

namespace {

std::string Described(const LaunchCommand& command, const std::string& parametersWord) {
  std::string line;
  if (!command.parameters.empty()) line += " " + parametersWord + command.parameters;
  if (!command.folder.empty()) line += " in " + command.folder;
  if (command.showCommand != 1) line += " show " + std::to_string(command.showCommand);
  if (command.owner != 0) line += " owner " + std::to_string(command.owner);
  return line;
}

}  // namespace

StartResult RecordingSystem::StartProgramWith(const LaunchCommand& command) {
  calls.push_back("StartProgramWith \"" + command.file + "\"" + Described(command, ""));
  return Started(command.file);
}
StartResult RecordingSystem::Started(const std::string& file) {
  if (needsElevation.count(file) != 0) return {StartResult::Outcome::kNeedsElevation, {}};
  const std::uint32_t id = nextProcessId++;
  return {StartResult::Outcome::kStarted, {id, std::uint64_t{id} * 10}};
}
std::vector<WindowRef> RecordingSystem::WindowsOfProcesses(
    const std::vector<StartedProcess>& processes) {
  std::vector<WindowRef> found;
  for (const StartedProcess& process : processes) {
    auto it = processWindows.find(process.id);
    if (it != processWindows.end()) found.insert(found.end(), it->second.begin(), it->second.end());
  }
  return found;
}
std::optional<std::string> RecordingSystem::AliasAppId(const std::string& path) {
  auto it = aliases.find(path);
  if (it == aliases.end()) return std::nullopt;
  return it->second;
}
void RecordingSystem::SetEnvironmentValue(const std::string& name,
                                          const std::optional<std::string>& value) {
  calls.push_back("SetEnvironmentValue " + name + (value ? "=" + *value : " removed"));
  std::string upper = name;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (value) {
    environment[upper] = *value;
  } else {
    environment.erase(upper);
  }
}
void RecordingSystem::ShellExecuteWith(const std::string& verb, const LaunchCommand& command) {
  calls.push_back("ShellExecute" + (verb.empty() ? "" : " " + verb) + " " + command.file +
                  Described(command, "with "));
}
bool RecordingSystem::ShellExecuteAsDesktopUser(const LaunchCommand& command) {
  calls.push_back("DesktopShellExecute " + command.file + Described(command, "with "));
  return desktopShellAnswers;
}
std::vector<WindowRef> RecordingSystem::WindowsOfProgram(const std::string& exePath) {
  auto it = programWindows.find(Lower(exePath));
  return it == programWindows.end() ? std::vector<WindowRef>{} : it->second;
}
void RecordingSystem::BringToFront(WindowRef window) {
  calls.push_back("BringToFront " + std::to_string(window));
}
std::optional<std::string> RecordingSystem::FindProgram(const std::string& name) {
  auto it = programsFound.find(name);
  if (it == programsFound.end()) return std::nullopt;
  return it->second;
}
std::optional<std::string> RecordingSystem::EnvironmentVariable(const std::string& name) {
  std::string upper = name;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  auto it = environment.find(upper);
  if (it == environment.end()) return std::nullopt;
  return it->second;
}

}  // namespace tarvek::testing

namespace tarvek::testing {

void RecordingSystem::TypeTextInFront(const TypingJob& job) {
  calls.push_back("TypeTextInFront " + job.text);
  typedJobs.push_back(job);
}

void RecordingSystem::WatchKeys(std::shared_ptr<const WatchedBindings> bindings) {
  if (bindings != nullptr && bindings->bindings.empty()) bindings = nullptr;
  calls.push_back("WatchKeys " + std::to_string(bindings == nullptr ? 0 : bindings->bindings.size()));
  watched = std::move(bindings);
}

void RecordingSystem::WatchMouse(std::shared_ptr<const WatchedBindings> bindings) {
  if (bindings != nullptr && bindings->bindings.empty()) bindings = nullptr;
  calls.push_back("WatchMouse " + std::to_string(bindings == nullptr ? 0 : bindings->bindings.size()));
  watchedMouse = std::move(bindings);
}

}  // namespace tarvek::testing
