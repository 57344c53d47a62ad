// The program's settings: text values under its own registry key, read and written by name.
#pragma once

#include <string>
#include <string_view>

namespace tarvek {

namespace setting {
inline constexpr std::string_view kHotKeyName = "HotKeyName";
inline constexpr std::string_view kActivateStatus = "ActivateStatus";
inline constexpr std::string_view kFileSave = "FileSave";
inline constexpr std::string_view kShowIcon = "ShowIcon";
inline constexpr std::string_view kShowInfo = "ShowInfo";
inline constexpr std::string_view kMouseCtrl = "MouseCtrl";
inline constexpr std::string_view kPlaySound = "PlaySound";
inline constexpr std::string_view kShowHotKeyNameInMenu = "ShowHotKeyNameInMenu";
// "0": the "~" key is left to other programs; missing or anything else, it clicks the foreground
// window.
inline constexpr std::string_view kClickKey = "ClickKey";
// The FileSave value this program wrote for a program folder's own SaveKey.htk. While FileSave
// still equals it, the list is the one beside the program, wherever the folder has gone since.
inline constexpr std::string_view kFileSaveDefault = "FileSaveDefault";
}  // namespace setting

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value's text, or empty text when the key or the value cannot be read.
  virtual std::string Get(std::string_view name) = 0;
  // Stores the text (an empty text as one blank); true when it was written.
  virtual bool Set(std::string_view name, const std::string& value) = 0;
  // The start-with-Windows entry "HotKey" of the system's Run key, read and written the same way.
  virtual std::string GetRunEntry() = 0;
  virtual bool SetRunEntry(const std::string& value) = 0;
  // True when the settings live in a file beside the program rather than in the registry.
  virtual bool Portable() const { return false; }
};

// What the Run entry holds: the program's path in double quotes, so that a path with blanks
// cannot start another program at logon; switched off, one blank (the entry is never deleted).
std::string RunEntryValue(bool on, const std::string& programPath);
// On when the stored text is longer than one character.
bool RunEntryIsOn(const std::string& value);

// The numeric reading of a flag: its leading digits, 0 for empty or blank text.
bool FlagIsOn(const std::string& value);

}  // namespace tarvek
