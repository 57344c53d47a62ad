// The active list file as the running program holds it. A list that cannot be read now (its
// drive or folder not there yet, the file held by another program, no right to read it) is not
// loaded: the user is told, the grid stays empty, and the file is never written over until the
// user says whether to load it again or to replace it. A load that left lines out (bindings
// beyond the 101 slots, a cut-short last binding, bindings without a modifier line) keeps a
// copy of the file beside it before the first save drops them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/files/list_file.h"

namespace tarvek {

// Windows paths: the same file whatever the letter case of A to Z, and blanks around ignored.
bool SamePath(std::string_view a, std::string_view b);
// The folder part of a path, without its last backslash; empty for a bare name.
std::string FolderOfPath(std::string_view path);

// What one reading of a list file found.
struct ListRead {
  FilePort::PathState state = FilePort::PathState::kNoFile;
  ListLoadReport report;
  std::string bytes;  // the file as it was read
  // Read, or no file in a folder that is there: an empty list, made at the first save.
  bool Loaded() const {
    return state == FilePort::PathState::kFile || state == FilePort::PathState::kNoFile;
  }
};

// Reads the list at path into the table. A blank path, or no file in a folder that is there,
// empties the table and keeps HotkeyCount, silently. A file that cannot be read now empties
// the table as well and keeps the count; the user is told why unless tellNotLoaded is false.
// A load that left lines out says which, and names the copy the first save keeps.
ListRead ReadListFile(const std::string& path, ListFileContext context, bool tellNotLoaded = true);

// A file that goes with the list at listPath: the same folder and base name, the extension
// given (".opt", ".abbr") in place of the list's own.
std::string PathBesideList(std::string_view listPath, std::string_view extension);

// Where a copy of bytes goes beside path: path + ".bak", else path + ".2.bak", ".3.bak" and so
// on, the first name that is free or already holds these very bytes (an older copy of other
// bytes is never written over). Empty when none of them is.
std::string BackupPathFor(const std::string& path, const std::string& bytes, FilePort& files);

// A list loaded late and the bindings added while it was not loaded: the loaded ones first, in
// their order, then each added one that is new. An added one equal to a loaded one is the same
// binding; one that shares its name or its combination with a kept one, or finds all 101 slots
// taken, is left out.
struct MergedBindings {
  std::vector<BindingTexts> kept;
  std::vector<BindingTexts> leftOut;
};
MergedBindings MergeBindings(std::vector<BindingTexts> loaded,
                             const std::vector<BindingTexts>& added);

struct ListSaveOutcome {
  bool saved = false;
  // The list was loaded after all and the grid's binding rows replaced by the merged list:
  // their registrations and slots are to be made anew.
  bool merged = false;
};

class ActiveList {
 public:
  // The load at start, on import and the one that replaces the list: ReadListFile, and
  // whether the list at path is loaded and what its next save would drop.
  bool Load(const std::string& path, ListFileContext context);
  // The save after an add, change or delete. While the list is not loaded the user is asked
  // first: load it again (the grid's bindings join the loaded ones), replace the file with the
  // grid's bindings, or save nothing. A save that would drop lines the load left out keeps a
  // copy of the file first; when no copy can be made nothing is saved.
  ListSaveOutcome Save(const std::string& path, ListFileContext context);
  // At start: a list whose folder takes no new file (a standard user in a folder under
  // Program Files) cannot be saved, and the user is told where to go instead.
  void WarnIfFolderRefusesFiles(const std::string& path, const std::string& programFolder,
                                ListFileContext context);
  bool Loaded() const { return !notLoaded_; }

 private:
  void Took(const std::string& path, const ListRead& read);
  // Asks until the list is loaded, or the user chose to replace it (true), or to save nothing.
  bool Decide(const std::string& path, ListFileContext context, ListSaveOutcome& outcome);
  bool KeepCopy(const std::string& path, const std::string& bytesIfUnreadable,
                ListFileContext context);

  std::string path_;  // the list the state below is about
  std::optional<FilePort::PathState> notLoaded_;  // why it is not loaded
  std::optional<std::string> dropped_;  // the bytes the last load left lines of out
};

}  // namespace tarvek
