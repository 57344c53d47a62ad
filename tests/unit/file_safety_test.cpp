// Saves that wait out a moment's hold on the file, and checks of network paths that cannot
// freeze the program: the retry schedule, which paths count as remote, and what a check that
// never answers gives.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/active_list.h"
#include "core/busy_retry.h"
#include "core/remote_files.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::RecordingSystem;
using State = FilePort::PathState;

// A file held by another program for the first `held` tries: each try while it is held is
// refused as busy, and the first one after replaces the content.
struct HeldFile {
  explicit HeldFile(int heldTries) : held(heldTries) {}
  int held;
  int tries = 0;
  std::string content = "old";
  std::vector<int> pauses;
  bool Save() {
    return TryWhileBusy(
        [this] {
          if (++tries <= held) return TryResult::kBusy;
          content = "new";
          return TryResult::kDone;
        },
        [this](int ms) { pauses.push_back(ms); });
  }
};

TEST(BusyRetryTest, AHeldFileIsWaitedForAboutASecondThenTheSaveFailsWithTheOldFileKept) {
  for (int held : {0, 1, 5, 9}) {
    HeldFile file(held);
    EXPECT_TRUE(file.Save()) << held;
    EXPECT_EQ(file.content, "new");
    EXPECT_EQ(file.tries, held + 1);
    EXPECT_EQ(file.pauses.size(), static_cast<std::size_t>(held));
  }
  for (int held : {10, 1000}) {
    HeldFile file(held);
    EXPECT_FALSE(file.Save()) << held;
    EXPECT_EQ(file.content, "old");
    EXPECT_EQ(file.tries, 10);
    int total = 0;
    for (std::size_t i = 0; i < file.pauses.size(); ++i) {
      EXPECT_GE(file.pauses[i], 20);
      EXPECT_LE(file.pauses[i], 250);
      if (i > 0) {
        EXPECT_GT(file.pauses[i], file.pauses[i - 1]);
      }
      total += file.pauses[i];
    }
    EXPECT_GE(total, 800);
    EXPECT_LE(total, 1300);
  }
  // Refused for good: no waiting at all.
  std::vector<int> pauses;
  EXPECT_FALSE(
      TryWhileBusy([] { return TryResult::kFailed; }, [&](int ms) { pauses.push_back(ms); }));
  EXPECT_TRUE(pauses.empty());
}

TEST(RemotePathsTest, SharesAndNetworkDrivesAreRemoteEverythingElseLocal) {
  auto root = [](const std::string& path) {
    return RemoteRootOf(path, [](char drive) { return drive == 'Z'; });
  };
  EXPECT_EQ(root("\\\\Server\\Share\\热键\\SaveKey.htk"), "\\\\server\\share");
  EXPECT_EQ(root("//server/share/a.htk"), "\\\\server\\share");
  EXPECT_EQ(root("\\\\?\\UNC\\Server\\Share\\a.htk"), "\\\\server\\share");
  EXPECT_EQ(root("\\\\server"), "\\\\server");
  EXPECT_EQ(root("Z:\\lists\\a.htk"), "z:");
  EXPECT_EQ(root("z:a.htk"), "z:");
  EXPECT_EQ(root("\\\\?\\Z:\\a.htk"), "z:");
  for (const char* local : {"C:\\HK\\SaveKey.htk", "\\\\?\\C:\\HK\\a.htk", "\\\\.\\pipe\\x",
                            "\\\\?\\Volume{1}\\a.htk", "SaveKey.htk", "", "\\\\"}) {
    EXPECT_EQ(root(local), "") << local;
  }
}

// The checks of a share run through a runner that either lets them answer or leaves them
// waiting, as an offline network does.
struct RemoteWorld {
  RemoteWorld() {
    system.files["C:\\HK\\SaveKey.htk"] = "local";
    system.files["\\\\nas\\home\\SaveKey.htk"] = "remote";
  }
  RecordingSystem system;
  bool answers = true;
  int runs = 0;
  std::vector<std::function<void()>> waiting;
  RemoteBoundedFiles files{
      system,
      [](const std::string& path) { return RemoteRootOf(path, [](char) { return false; }); },
      [this](std::function<void()> job) {
        ++runs;
        if (!answers) {
          waiting.push_back(std::move(job));
          return false;
        }
        job();
        return true;
      }};
};

TEST(RemotePathsTest, AShareThatDoesNotAnswerCountsAsNotThereUntilItAnswers) {
  RemoteWorld w;
  const std::string list = "\\\\nas\\home\\SaveKey.htk";
  EXPECT_EQ(w.files.QueryPath("C:\\HK\\SaveKey.htk"), State::kFile);
  EXPECT_EQ(w.runs, 0);  // a local path is asked on the spot
  EXPECT_EQ(w.files.QueryPath(list), State::kFile);
  EXPECT_EQ(w.files.ReadFileBytes(list), std::optional<std::string>("remote"));
  EXPECT_EQ(w.runs, 2);

  w.answers = false;
  EXPECT_EQ(w.files.QueryPath(list), State::kNoFolder);
  // While that check waits, the share is not asked again: every answer comes at once.
  EXPECT_FALSE(w.files.FileExists(list));
  EXPECT_EQ(w.files.ReadFileBytes(list), std::nullopt);
  EXPECT_TRUE(w.files.FolderWritable("\\\\nas\\home"));
  EXPECT_FALSE(w.files.ReplaceFileBytes(list, "lost?"));
  EXPECT_EQ(w.system.files[list], "remote");
  EXPECT_EQ(w.runs, 3);
  EXPECT_EQ(w.files.QueryPath("\\\\other\\share\\a.htk"), State::kNoFolder);
  EXPECT_EQ(w.runs, 4);  // another share is asked for itself

  // The late answer frees the share.
  w.answers = true;
  for (auto& job : w.waiting) job();
  EXPECT_TRUE(w.files.ReplaceFileBytes(list, "saved"));
  EXPECT_EQ(w.files.QueryPath(list), State::kFile);
}

TEST(RemotePathsTest, AListOnAShareThatDoesNotAnswerIsNotLoaded) {
  RemoteWorld w;
  w.answers = false;
  FakeGrid grid;
  HotkeyTable table;
  ListRead read =
      ReadListFile("\\\\nas\\home\\SaveKey.htk", {grid, table, w.files, w.system, w.system});
  EXPECT_FALSE(read.Loaded());
  const std::vector<std::string> said = w.system.CallsStartingWith("MessageBox");
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("[热键列表没有载入]"), std::string::npos);
  EXPECT_EQ(table.Used(), 0);
}

}  // namespace
}  // namespace tarvek
