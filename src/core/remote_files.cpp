#include "core/remote_files.h"

#include <optional>
#include <utility>

namespace tarvek {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsSlash(char c) { return c == '\\' || c == '/'; }

bool StartsWith(std::string_view text, std::string_view start) {
  if (text.size() < start.size()) return false;
  for (std::size_t i = 0; i < start.size(); ++i) {
    if (IsSlash(start[i]) ? !IsSlash(text[i]) : Lower(text[i]) != Lower(start[i])) return false;
  }
  return true;
}

// "\\server\share" of "server\share\rest", lower case; "\\server" when no share follows.
std::string ShareRoot(std::string_view serverOn) {
  std::size_t end = 0;
  for (int parts = 0; parts < 2 && end < serverOn.size(); ++parts) {
    if (parts > 0) ++end;  // the slash between server and share
    while (end < serverOn.size() && !IsSlash(serverOn[end])) ++end;
  }
  std::string root = "\\\\";
  for (char c : serverOn.substr(0, end)) root += IsSlash(c) ? '\\' : Lower(c);
  return root;
}

}  // namespace

std::string RemoteRootOf(std::string_view path, const std::function<bool(char)>& driveIsRemote) {
  if (StartsWith(path, "\\\\?\\UNC\\")) return ShareRoot(path.substr(8));
  // "\\?\" and "\\.\" take off the system's reading of the path; what follows is a drive or a
  // device of this machine.
  if (StartsWith(path, "\\\\?\\") || StartsWith(path, "\\\\.\\")) {
    path.remove_prefix(4);
  } else if (path.size() > 2 && IsSlash(path[0]) && IsSlash(path[1])) {
    return ShareRoot(path.substr(2));
  }
  const char drive = path.size() >= 2 && path[1] == ':' ? Upper(path[0]) : '\0';
  if (drive < 'A' || drive > 'Z' || !driveIsRemote(drive)) return {};
  return std::string{Lower(drive), ':'};
}

RemoteBoundedFiles::RemoteBoundedFiles(FilePort& inner,
                                       std::function<std::string(const std::string&)> rootOf,
                                       BoundedRun run)
    : inner_(inner), rootOf_(std::move(rootOf)), run_(std::move(run)) {}

template <class T>
T RemoteBoundedFiles::Bounded(const std::string& path, std::function<T(FilePort&)> check,
                              T unanswered) {
  const std::string root = rootOf_(path);
  if (root.empty()) return check(inner_);
  {
    std::lock_guard<std::mutex> hold(waiting_->lock);
    if (!waiting_->roots.insert(root).second) return unanswered;
  }
  // The job may end long after this returned: it holds its own share of everything it touches.
  auto answer = std::make_shared<std::optional<T>>();
  FilePort* inner = &inner_;
  std::shared_ptr<Waiting> waiting = waiting_;
  const bool answered = run_([answer, inner, waiting, root, check = std::move(check)] {
    *answer = check(*inner);
    std::lock_guard<std::mutex> hold(waiting->lock);
    waiting->roots.erase(root);
  });
  if (!answered || !answer->has_value()) return unanswered;
  return std::move(**answer);
}

bool RemoteBoundedFiles::FileExists(const std::string& path) {
  return Bounded<bool>(path, [path](FilePort& f) { return f.FileExists(path); }, false);
}

std::optional<std::string> RemoteBoundedFiles::ReadFileBytes(const std::string& path) {
  return Bounded<std::optional<std::string>>(
      path, [path](FilePort& f) { return f.ReadFileBytes(path); }, std::nullopt);
}

bool RemoteBoundedFiles::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
  const std::string root = rootOf_(path);
  if (!root.empty()) {
    std::lock_guard<std::mutex> hold(waiting_->lock);
    if (waiting_->roots.count(root) != 0) return false;
  }
  return inner_.ReplaceFileBytes(path, bytes);
}

void RemoteBoundedFiles::RemoveLeftoverTemporaries(const std::string& filePattern) {
  Bounded<bool>(
      filePattern,
      [filePattern](FilePort& f) {
        f.RemoveLeftoverTemporaries(filePattern);
        return true;
      },
      false);
}

FilePort::PathState RemoteBoundedFiles::QueryPath(const std::string& path) {
  return Bounded<PathState>(path, [path](FilePort& f) { return f.QueryPath(path); },
                            PathState::kNoFolder);
}

bool RemoteBoundedFiles::FolderWritable(const std::string& folder) {
  return Bounded<bool>(folder, [folder](FilePort& f) { return f.FolderWritable(folder); }, true);
}

}  // namespace tarvek
