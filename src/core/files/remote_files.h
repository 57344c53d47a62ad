// A list on a network share or a mapped drive that is offline: on Windows, merely asking whether
// it is there waits 20 to 30 seconds for the network, and on the user-interface thread that
// would freeze the window and every hotkey meanwhile. Checks of such paths run on another thread
// and are waited for a few seconds at most; a path that did not answer counts as not there (its
// folder cannot be reached), which the active list's not-loaded rules then guard. A path on
// this machine is checked as before, on the calling thread.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/ports.h"

namespace tarvek {

// The share or the network drive that a full path lies on, in lower case ("\\server\share",
// "z:"), or empty for a path on this machine. The long forms "\\?\UNC\server\share\..." and
// "\\?\Z:\..." count as the short ones; a device ("\\.\pipe\...") is local. driveIsRemote tells
// whether a drive letter (upper case) is a network drive.
std::string RemoteRootOf(std::string_view fullPath, const std::function<bool(char)>& driveIsRemote);

// Runs the job on another thread and waits for it for a few seconds at most: true when it ended
// in that time. A job that did not goes on alone, holding what it uses.
using BoundedRun = std::function<bool(std::function<void()> job)>;

// The files of inner, with the checks of paths on other machines bounded in time. While a check
// of a share or drive still waits for its answer, later ones there get theirs at once (not
// there, nothing read, nothing written) rather than each waiting again.
class RemoteBoundedFiles : public FilePort {
 public:
  // rootOf: the remote root of a path (RemoteRootOf its full form). inner is used from other
  // threads too: it must keep no state of its own, and it and this object must outlive every
  // job (the program's live as long as the process).
  RemoteBoundedFiles(FilePort& inner, std::function<std::string(const std::string&)> rootOf,
                     BoundedRun run);

  bool FileExists(const std::string& path) override;
  std::optional<std::string> ReadFileBytes(const std::string& path) override;
  // A write is never left running on its own after it was reported failed; it only fails at
  // once while its share has not answered yet.
  bool ReplaceFileBytes(const std::string& path, const std::string& bytes) override;
  void RemoveLeftoverTemporaries(const std::string& filePattern) override;
  // kNoFolder when the path did not answer in time.
  PathState QueryPath(const std::string& path) override;
  // True when the folder did not answer in time: nothing is said that is not known.
  bool FolderWritable(const std::string& folder) override;

 private:
  // What a check found: a yes or no, a path state, or a file's bytes.
  struct Answer {
    int value = 0;
    std::optional<std::string> bytes;
  };
  using Check = void (*)(FilePort&, const std::string& path, Answer&);
  struct Call;
  // Runs the check of path, bounded when the path is remote. False, and answer untouched, when
  // it did not answer in time or its share is still waiting for an earlier one.
  bool Bounded(const std::string& path, Check check, Answer& answer);
  bool Waiting(const std::string& root);
  void Answered(const std::string& root);

  FilePort& inner_;
  std::function<std::string(const std::string&)> rootOf_;
  BoundedRun run_;
  // The shares and drives with a check not yet answered, touched for a moment at a time by
  // this thread and a job's. A flag taken in turn guards them: a mutex would bring its
  // exceptions along, some 50 KB of the program.
  std::atomic_flag busy_ = ATOMIC_FLAG_INIT;
  std::vector<std::string> waiting_;
};

}  // namespace tarvek
