// The file half of WinSystem on the real file system.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "win/system/files.h"
#include "win/system/strings.h"
#include "win/system/unique_handle.h"
#include "win/system/win_system.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

using Names = std::vector<std::string>;

class Files : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder.Path().empty()); }

  void MakeReadOnly(const std::string& path) {
    ASSERT_TRUE(SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_READONLY));
  }

  wintest::TempFolder folder;
  WinSystem system;
};

TEST_F(Files, ReplaceCreatesThenReplacesAndLeavesNothingElse) {
  const std::string path = folder.Join("热键列表.htk");
  ASSERT_TRUE(system.ReplaceFileBytes(path, "first, the longer content\r\n"));
  EXPECT_EQ(system.ReadFileBytes(path), std::optional<std::string>("first, the longer content\r\n"));

  // Shorter than before: nothing of the old file may remain at its end.
  ASSERT_TRUE(system.ReplaceFileBytes(path, "second"));
  EXPECT_EQ(system.ReadFileBytes(path), std::optional<std::string>("second"));
  EXPECT_EQ(folder.Entries(), Names{"热键列表.htk"});
}

TEST_F(Files, LeftoversOfACutShortReplacementGoAndNothingElse) {
  for (const char* name : {"热键.htk", "热键.htk.tmp4711", "a.HTK.tmp12", "a.htk.tmpx", "b.txt.tmp5", "c.htk.tmp"}) {
    ASSERT_TRUE(system.ReplaceFileBytes(folder.Join(name), "x"));
  }
  system.RemoveLeftoverTemporaries(folder.Join("*.htk"));
  EXPECT_EQ(folder.Entries(), (Names{"a.htk.tmpx", "b.txt.tmp5", "c.htk.tmp", "热键.htk"}));
}

TEST_F(Files, BytesAreKeptExactly) {
  const std::string path = folder.Join("bytes.htk");
  // Zero bytes, lone CR and LF, a Ctrl+Z and high bytes: no text-mode translation anywhere.
  const std::string bytes("a\0b\rc\nd\r\n\x1A\xFF\xCE\xD2", 12);
  ASSERT_TRUE(system.ReplaceFileBytes(path, bytes));
  EXPECT_EQ(system.ReadFileBytes(path), std::optional<std::string>(bytes));

  ASSERT_TRUE(system.ReplaceFileBytes(path, ""));
  EXPECT_EQ(system.ReadFileBytes(path), std::optional<std::string>(""));
  EXPECT_TRUE(system.FileExists(path));
}

TEST_F(Files, ReplaceInMissingFolderFails) {
  const std::string path = folder.Join("没有的文件夹\\SaveKey.htk");
  EXPECT_FALSE(system.ReplaceFileBytes(path, "x"));
  EXPECT_FALSE(system.FileExists(path));
  EXPECT_EQ(folder.Entries(), Names{});
}

TEST_F(Files, FailedReplaceKeepsTheOldFile) {
  const std::string path = folder.Join("SaveKey.htk");
  ASSERT_TRUE(system.ReplaceFileBytes(path, "old list"));
  MakeReadOnly(path);
  EXPECT_FALSE(system.ReplaceFileBytes(path, "new list"));
  EXPECT_EQ(system.ReadFileBytes(path), std::optional<std::string>("old list"));
  EXPECT_EQ(folder.Entries(), Names{"SaveKey.htk"});  // the temporary file went too
}

// What the old file was stays: a hidden list stays hidden, and a file with a second name (a
// hard link) changes under both names instead of losing one.
TEST_F(Files, ReplaceKeepsTheAttributesAndEveryNameOfTheFile) {
  const std::string path = folder.Join("SaveKey.htk");
  const std::string second = folder.Join("同步\\热键.htk");
  ASSERT_TRUE(system.ReplaceFileBytes(path, "old"));
  ASSERT_TRUE(SetFileAttributesW(Widen(path).c_str(), FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(system.ReplaceFileBytes(path, "new"));
  EXPECT_EQ(system.ReadFileBytes(path), std::optional<std::string>("new"));
  EXPECT_NE(GetFileAttributesW(Widen(path).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(folder.Entries(), Names{"SaveKey.htk"});

  ASSERT_TRUE(CreateDirectoryW(Widen(folder.Join("同步")).c_str(), nullptr));
  ASSERT_TRUE(CreateHardLinkW(Widen(second).c_str(), Widen(path).c_str(), nullptr));
  for (const char* bytes : {"longer than before", "short"}) {
    ASSERT_TRUE(system.ReplaceFileBytes(second, bytes));
    EXPECT_EQ(system.ReadFileBytes(path), std::optional<std::string>(bytes));
    EXPECT_EQ(system.ReadFileBytes(second), std::optional<std::string>(bytes));
  }
  EXPECT_NE(GetFileAttributesW(Widen(path).c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(folder.Entries(), (Names{"SaveKey.htk", "同步"}));
}

TEST_F(Files, ReplaceOfAFolderFails) {
  const std::string path = folder.Join("SaveKey.htk");
  ASSERT_TRUE(CreateDirectoryW(Widen(path).c_str(), nullptr));
  EXPECT_FALSE(system.ReplaceFileBytes(path, "x"));
  DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
  EXPECT_EQ(folder.Entries(), Names{"SaveKey.htk"});
}

TEST_F(Files, MissingFilesAndFolders) {
  EXPECT_EQ(system.ReadFileBytes(folder.Join("missing.htk")), std::nullopt);
  EXPECT_FALSE(system.FileExists(folder.Join("missing.htk")));
  EXPECT_FALSE(system.FileExists(folder.Path()));
  EXPECT_EQ(system.ReadFileBytes(folder.Path()), std::nullopt);

  const std::string path = folder.Join("present.htk");
  ASSERT_TRUE(system.ReplaceFileBytes(path, "x"));
  EXPECT_TRUE(system.FileExists(path));
  // A read-only list is still a list that can be read.
  MakeReadOnly(path);
  EXPECT_EQ(system.ReadFileBytes(path), std::optional<std::string>("x"));
}

// A list is taken for empty only when its folder is there and the file is not.
TEST_F(Files, WhatStandsAtAPathIsToldApartAndTheWriteProbeLeavesNothing) {
  using State = FilePort::PathState;
  const std::string list = folder.Join("热键.htk");
  ASSERT_TRUE(system.ReplaceFileBytes(list, "x"));
  EXPECT_EQ(system.QueryPath(list), State::kFile);
  EXPECT_EQ(system.QueryPath(folder.Join("没有.htk")), State::kNoFile);
  EXPECT_EQ(system.QueryPath(folder.Join("没有\\热键.htk")), State::kNoFolder);
  EXPECT_EQ(system.QueryPath(folder.Join("热键.htk\\a.htk")), State::kNoFolder);  // a file, no folder
  {
    UniqueKernelHandle held(CreateFileW(Widen(list).c_str(), GENERIC_READ, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    EXPECT_EQ(system.QueryPath(list), State::kLocked);
    EXPECT_EQ(system.ReadFileBytes(list), std::nullopt);
  }
  EXPECT_TRUE(system.FolderWritable(folder.Path()));
  EXPECT_FALSE(system.FolderWritable(folder.Join("没有")));
  EXPECT_EQ(folder.Entries(), Names{"热键.htk"});
}

// Past the old limit of 260 characters a list is saved, seen, read, listed and replaced like
// any other, also when its path takes a detour through "..".
TEST_F(Files, AListDeeperThan260CharactersIsLikeAnyOther) {
  std::vector<std::string> folders;
  std::string deep = folder.Path();
  while (Widen(deep).size() < 300) {
    deep += "\\一个很长的文件夹名称-" + std::to_string(folders.size());
    ASSERT_TRUE(CreateDirectoryW(FileCallPath(deep).c_str(), nullptr)) << GetLastError();
    folders.push_back(deep);
  }
  const std::string list = deep + "\\热键列表.htk";
  for (const char* bytes : {"first", "deep"}) ASSERT_TRUE(system.ReplaceFileBytes(list, bytes));
  EXPECT_TRUE(system.FileExists(list));
  EXPECT_EQ(system.QueryPath(list), FilePort::PathState::kFile);
  EXPECT_EQ(system.FileNamesIn(deep), Names{"热键列表.htk"});
  const std::string detour = deep + "\\..\\" + deep.substr(deep.find_last_of('\\') + 1) + "\\热键列表.htk";
  EXPECT_EQ(system.ReadFileBytes(detour), std::optional<std::string>("deep"));
  std::string bytes;
  EXPECT_EQ(ReadWholeFile(list, 100, bytes), FileRead::kOk);
  EXPECT_EQ(bytes, "deep");
  EXPECT_TRUE(system.RemoveFile(list));
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    EXPECT_TRUE(RemoveDirectoryW(FileCallPath(*it).c_str()));
  }
}

}  // namespace
}  // namespace tarvek::win
