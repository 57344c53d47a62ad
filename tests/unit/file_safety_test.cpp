// Saves that wait out a moment's hold on the file, and checks of network paths that cannot
// freeze the program: the retry schedule, which paths are remote, and a share that never answers.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/files/active_list.h"
#include "core/files/busy_retry.h"
#include "core/files/remote_files.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using State = FilePort::PathState;

// A file held by another program for the first `held` tries, replaced by the first try after.
TEST(BusyRetryTest, AHeldFileIsWaitedForAboutASecondThenTheOldFileStays) {
  for (int held : {0, 1, 9, 10, 1000}) {
    int tries = 0, waited = 0, lastPause = 0;
    std::string content = "old";
    bool saved = TryWhileBusy(
        [&] {
          if (++tries <= held) return TryResult::kBusy;
          content = "new";
          return TryResult::kDone;
        },
        [&](int ms) {
          EXPECT_GT(ms, lastPause);  // growing, from 20 ms to 250 ms
          EXPECT_GE(ms, 20);
          EXPECT_LE(ms, 250);
          lastPause = ms;
          waited += ms;
        });
    EXPECT_EQ(saved, held < 10) << held;
    EXPECT_EQ(content, saved ? "new" : "old");
    EXPECT_EQ(tries, saved ? held + 1 : 10);
    EXPECT_TRUE(saved || (waited >= 800 && waited <= 1300)) << waited;
  }
  int pauses = 0;
  EXPECT_FALSE(TryWhileBusy([] { return TryResult::kFailed; }, [&](int) { ++pauses; }));
  EXPECT_EQ(pauses, 0);  // refused for good: no waiting
}

TEST(RemotePathsTest, SharesAndNetworkDrivesAreRemoteEverythingElseLocal) {
  auto root = [](const std::string& path) {
    return RemoteRootOf(path, [](char drive) { return drive == 'Z'; });
  };
  for (const char* share : {"\\\\Server\\Share\\热键\\SaveKey.htk", "//server/share/a.htk",
                            "\\\\?\\UNC\\SERVER\\share\\a.htk"}) {
    EXPECT_EQ(root(share), "\\\\server\\share") << share;
  }
  for (const char* drive : {"Z:\\lists\\a.htk", "z:a.htk", "\\\\?\\Z:\\a.htk"}) {
    EXPECT_EQ(root(drive), "z:") << drive;
  }
  for (const char* local : {"C:\\HK\\SaveKey.htk", "\\\\?\\C:\\HK\\a.htk", "\\\\.\\pipe\\x",
                            "\\\\?\\Volume{1}\\a.htk", "SaveKey.htk", ""}) {
    EXPECT_EQ(root(local), "") << local;
  }
}

// Checks of a share go through a runner that lets them answer, or leaves them waiting as an
// offline network does.
struct RemoteWorld {
  testing::RecordingSystem system;
  bool answers = true;
  int runs = 0;
  std::vector<std::function<void()>> waiting;
  RemoteBoundedFiles files{
      system, [](const std::string& p) { return RemoteRootOf(p, [](char) { return false; }); },
      [this](std::function<void()> job) {
        ++runs;
        if (answers)
          job();
        else
          waiting.push_back(std::move(job));
        return answers;
      }};
};

TEST(RemotePathsTest, AShareThatDoesNotAnswerIsNotThereUntilItAnswersAndItsListNotLoaded) {
  RemoteWorld w;
  const std::string list = "\\\\nas\\home\\SaveKey.htk";
  w.system.files = {{"C:\\HK\\SaveKey.htk", "local"}, {list, "remote"}};
  EXPECT_EQ(w.files.QueryPath("C:\\HK\\SaveKey.htk"), State::kFile);
  EXPECT_EQ(w.runs, 0);  // a local path is asked on the spot
  EXPECT_EQ(w.files.ReadFileBytes(list), std::optional<std::string>("remote"));

  w.answers = false;
  testing::FakeGrid grid;
  HotkeyTable table;
  EXPECT_FALSE(ReadListFile(list, {grid, table, w.files, w.system, w.system}).Loaded());
  EXPECT_EQ(w.system.CallsStartingWith("MessageBox [找不到热键列表文件所在的文件夹").size(), 1u);
  // While that check waits the share is not asked again: every answer comes at once.
  EXPECT_FALSE(w.files.FileExists(list));
  EXPECT_TRUE(w.files.FolderWritable("\\\\nas\\home"));
  EXPECT_FALSE(w.files.ReplaceFileBytes(list, "lost?"));
  EXPECT_EQ(w.system.files[list], "remote");
  EXPECT_EQ(w.runs, 2);
  EXPECT_EQ(w.files.QueryPath("\\\\other\\share\\a.htk"), State::kNoFolder);
  EXPECT_EQ(w.runs, 3);  // another share is asked for itself

  w.answers = true;
  for (auto& job : w.waiting) job();  // the late answer frees the share
  EXPECT_TRUE(w.files.ReplaceFileBytes(list, "saved"));
  EXPECT_EQ(w.files.QueryPath(list), State::kFile);
}

}  // namespace
}  // namespace tarvek
