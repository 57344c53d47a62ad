// The abbreviations of the running list, kept in the file beside it (SaveKey.htk →
// SaveKey.abbr): read at every load, told about once when the reader left something out, and
// written only when the user saves the table from the dialog "缩写替换".
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/files/abbreviation_file.h"
#include "core/ports.h"

namespace tarvek {

// The abbreviation file of a list: the same folder and base name, extension ".abbr".
std::string AbbreviationPathFor(std::string_view listPath);

class ActiveAbbreviations {
 public:
  // Reads the file beside the list at listPath. No file (or no list): an empty table. A file
  // read in part (entries left out, UTF-16, bytes that are no text): what is sound is taken and
  // the user is told once, in one message, how many entries were left out and the first few by
  // name; the file stays as it is until the user saves from the dialog, and is then first kept
  // in a .bak beside it. A file that cannot be read at all (locked, a folder, offline): no
  // table, one message, and nothing writes over it (Writable() is false).
  void Load(const std::string& listPath, FilePort& files, DialogPort& dialogs);

  // The entries one by one, made for the dialog.
  std::vector<Abbreviation> Entries() const { return entries_->All(); }
  // As they are kept, for whoever keeps them as long as they need (the key hook's table).
  const AbbreviationEntries& Shared() const { return entries_; }
  const std::string& Path() const { return path_; }
  // Whether the dialog may save the table: there is a list, and its file was not unreadable.
  bool Writable() const;

  // The dialog's 确定: the table becomes `entries` and the file is written (an empty table
  // removes a file that is there). The file read in part at Load is first copied to a .bak
  // beside it (BackupPathFor), once; when that copy cannot be made, nothing is written. A
  // failure is told; false then, and the table in memory is `entries` all the same (the next
  // save tries again).
  bool Replace(std::vector<Abbreviation> entries, FilePort& files, FolderPort& folders,
               DialogPort& dialogs);

  // As a named list saved at listPath keeps them: written beside it when there is any, and an
  // older abbreviation file of that name removed when there is none. The running list's own
  // file is left to Replace.
  void SaveBeside(const std::string& listPath, FilePort& files, FolderPort& folders) const;

 private:
  std::string path_;
  AbbreviationEntries entries_{new AbbreviationStore()};  // never null
  bool unreadable_ = false;    // the file could not be read: never written over
  std::string partlyRead_;     // the bytes of a file read in part, kept in a .bak before a save
};

}  // namespace tarvek
