#include "core/files/remote_files.h"

#include <algorithm>
#include <optional>
#include <thread>
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

namespace {

// Holds the flag for as long as it lives.
class Held {
 public:
  explicit Held(std::atomic_flag& flag) : flag_(flag) {
    while (flag_.test_and_set(std::memory_order_acquire)) std::this_thread::yield();
  }
  ~Held() { flag_.clear(std::memory_order_release); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

 private:
  std::atomic_flag& flag_;
};

}  // namespace

// Shared by the waiting thread and the job until both are done with it.
struct RemoteBoundedFiles::Call {
  Call(std::string p, std::string r, Check c) : path(std::move(p)), root(std::move(r)), check(c) {}
  std::string path;
  std::string root;
  Check check;
  Answer answer;
  std::atomic<int> holders{2};
  void Drop() {
    if (holders.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
  }
};

RemoteBoundedFiles::RemoteBoundedFiles(FilePort& inner,
                                       std::function<std::string(const std::string&)> rootOf,
                                       BoundedRun run)
    : inner_(inner), rootOf_(std::move(rootOf)), run_(std::move(run)) {}

bool RemoteBoundedFiles::Waiting(const std::string& root) {
  Held held(busy_);
  return std::find(waiting_.begin(), waiting_.end(), root) != waiting_.end();
}

void RemoteBoundedFiles::Answered(const std::string& root) {
  Held held(busy_);
  auto it = std::find(waiting_.begin(), waiting_.end(), root);
  if (it != waiting_.end()) waiting_.erase(it);
}

bool RemoteBoundedFiles::Bounded(const std::string& path, Check check, Answer& answer) {
  const std::string root = rootOf_(path);
  if (root.empty()) {
    check(inner_, path, answer);
    return true;
  }
  {
    Held held(busy_);
    if (std::find(waiting_.begin(), waiting_.end(), root) != waiting_.end()) return false;
    waiting_.push_back(root);
  }
  // The job may end long after this returned: what it fills in is the call's, not answer.
  Call* call = new Call(path, root, check);
  const bool answered = run_([this, call] {
    call->check(inner_, call->path, call->answer);
    Answered(call->root);
    call->Drop();
  });
  if (answered) answer = std::move(call->answer);
  call->Drop();
  return answered;
}

bool RemoteBoundedFiles::FileExists(const std::string& path) {
  Answer answer;
  Bounded(
      path, [](FilePort& f, const std::string& p, Answer& a) { a.value = f.FileExists(p); },
      answer);
  return answer.value != 0;
}

std::optional<std::string> RemoteBoundedFiles::ReadFileBytes(const std::string& path) {
  Answer answer;
  Bounded(
      path, [](FilePort& f, const std::string& p, Answer& a) { a.bytes = f.ReadFileBytes(p); },
      answer);
  return std::move(answer.bytes);
}

bool RemoteBoundedFiles::ReplaceFileBytes(const std::string& path, const std::string& bytes) {
  const std::string root = rootOf_(path);
  if (!root.empty() && Waiting(root)) return false;
  return inner_.ReplaceFileBytes(path, bytes);
}

void RemoteBoundedFiles::RemoveLeftoverTemporaries(const std::string& filePattern) {
  Answer answer;
  Bounded(
      filePattern,
      [](FilePort& f, const std::string& p, Answer&) { f.RemoveLeftoverTemporaries(p); }, answer);
}

FilePort::PathState RemoteBoundedFiles::QueryPath(const std::string& path) {
  Answer answer;
  auto query = [](FilePort& f, const std::string& p, Answer& a) {
    a.value = static_cast<int>(f.QueryPath(p));
  };
  if (!Bounded(path, query, answer)) return PathState::kNoFolder;
  return static_cast<PathState>(answer.value);
}

bool RemoteBoundedFiles::FolderWritable(const std::string& folder) {
  Answer answer{1, {}};
  Bounded(
      folder, [](FilePort& f, const std::string& p, Answer& a) { a.value = f.FolderWritable(p); },
      answer);
  return answer.value != 0;
}

}  // namespace tarvek
