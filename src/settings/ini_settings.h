// Portable mode: the settings in TarvekHotKey.ini beside the program instead of the registry.
// The same value names and texts, in the section [Tarvek HotKey], written as UTF-8 with a
// byte-order mark. Only the start-with-Windows entry stays in the registry: Windows looks
// nowhere else for it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/ports.h"
#include "settings/settings_store.h"

namespace tarvek {

inline constexpr std::string_view kIniSection = "Tarvek HotKey";

// The file's bytes as UTF-8 text: a UTF-8 or UTF-16 byte-order mark is taken off (UTF-16 is
// converted), text without one is read as UTF-8 when it is well-formed and as the ANSI code
// page otherwise, so that a file saved by any editor reads as its author meant it.
std::string IniTextFromBytes(const std::string& bytes, AnsiCodec& codec);

// The value of name in section (both matched without regard to ASCII case), or none. Blanks
// around the value are not part of it, except that a value of blanks only reads as one blank.
std::optional<std::string_view> IniValue(std::string_view text, std::string_view section,
                                         std::string_view name);

// The file's new bytes: the text with name set to value in section (the first entry of that
// name replaced where it stands, else a new entry at the end of the section, else a new section
// at the end), after a UTF-8 byte-order mark. Every other line stays as it was; lines end in
// CR LF.
std::string WithIniValue(std::string_view text, std::string_view section, std::string_view name,
                         std::string_view value);

class IniSettings : public SettingsStore {
 public:
  // runEntry keeps the start-with-Windows entry (the registry's Run key).
  IniSettings(FilePort& files, AnsiCodec& codec, std::string path, SettingsStore& runEntry);

  // The file is read at each call: a few small reads at start and one per change, and a file
  // edited by hand while the program runs is never overwritten with an old copy.
  std::string Get(std::string_view name) override;
  // False, and the file untouched, when it is there but cannot be read (a value that cannot
  // stand on one line is not written either).
  bool Set(std::string_view name, const std::string& value) override;
  std::string GetRunEntry() override { return runEntry_.GetRunEntry(); }
  bool SetRunEntry(const std::string& value) override { return runEntry_.SetRunEntry(value); }
  bool Portable() const override { return true; }

 private:
  FilePort& files_;
  AnsiCodec& codec_;
  std::string path_;
  SettingsStore& runEntry_;
};

// The store a start uses: the file beside the program when it is there (portable mode), none
// (the registry) otherwise. Chosen once, at start.
std::unique_ptr<SettingsStore> PortableSettingsIfPresent(FilePort& files, AnsiCodec& codec,
                                                         const std::string& programFolder,
                                                         SettingsStore& registry);

}  // namespace tarvek
