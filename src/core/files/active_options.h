// The launch options of the running list: read from the file beside it at every load, given to
// the table's slots, changed as the bindings change and written back only when what the file
// would hold changed. The list is always saved first and on its own: nothing here can keep a
// list from being saved or lose one.
#pragma once

#include <string>
#include <string_view>

#include "core/hotkey_table.h"
#include "core/files/options_file.h"
#include "core/ports.h"

namespace tarvek {

// The options file of a list: the same folder and base name, extension ".opt".
std::string OptionsPathFor(std::string_view listPath);

class ActiveOptions {
 public:
  // Reads the options beside the list at listPath. No file: every binding has the defaults.
  // A file that cannot be read, or is no options file, gives the defaults too and one message,
  // and is not written over until the user changes an option.
  void Load(const std::string& listPath, FilePort& files, DialogPort& dialogs);
  // Every binding slot of the table takes the options of its section.
  void Fill(HotkeyTable& table) const;

  LaunchOptions Get(std::string_view modifierText, std::string_view keyText) const {
    return file_.Get(modifierText, keyText);
  }
  // The user set a binding's options.
  void Set(std::string_view modifierText, std::string_view keyText, const LaunchOptions& options);
  // A binding's combination changed, or the binding was deleted.
  void Move(std::string_view fromModifier, std::string_view fromKey, std::string_view toModifier,
            std::string_view toKey);
  void Remove(std::string_view modifierText, std::string_view keyText);

  // Writes the file when what it would hold changed. A failure is told; false then.
  bool Save(FilePort& files, DialogPort& dialogs);
  // Something is changed and not written yet.
  bool Unsaved() const;
  // The options as a named list saved at listPath keeps them: written beside it when any
  // binding has options, and an older options file of that name removed when none has.
  void SaveBeside(const std::string& listPath, FilePort& files, FolderPort& folders) const;

  const std::string& Path() const { return path_; }
  const OptionsFile& File() const { return file_; }

 private:
  std::string path_;
  OptionsFile file_;
  bool fileThere_ = false;
  std::string written_;  // what the file holds, as read or last written
  // The file could not be read or was damaged: left alone until the user changes an option.
  bool guarded_ = false;
  std::string damaged_;  // a damaged file's bytes, copied beside it before it is written over
};

}  // namespace tarvek
