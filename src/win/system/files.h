// Whole files read and written through the wide file calls: the list files and the pad's text
// files both go through here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/ports.h"
#include "win/system/strings.h"

namespace tarvek::win {

// The path as the file calls take it: a path too long for the old limit of 260 characters is
// made full and given the "\\?\" form, which every Windows 10 takes whatever its long-path
// setting; any other path stays as it is.
std::wstring FileCallPath(std::wstring path);
inline std::wstring FileCallPath(std::string_view utf8) { return FileCallPath(Widen(utf8)); }

enum class FileRead { kOk, kFailed, kTooLarge };

// The whole file into bytes, or kTooLarge (nothing read) when it holds more than maxBytes.
FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes);

// Writes the bytes to a file beside path and puts it in place of the old file in one step, so
// that no reader ever sees half a file. What the old file was stays: a symbolic link is
// followed and stays a link, the attributes (hidden) are kept, and a file with more than one
// name (hard links) is written in place, so that every name sees the new content. A file that
// another program holds for a moment (a cloud client, the virus scanner) is waited for, about a
// second. False leaves the old file as it was and nothing beside it; a read-only file is left
// alone on Wine too, which would otherwise replace it.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);

// What stands at path: a file that opens for reading, no file in a folder that is there, no
// folder (or drive, or network share), a file another program holds without sharing, or one
// that cannot be read.
FilePort::PathState QueryPathState(const std::string& path);

// Whether this user can make a file in the folder: a hidden temporary file is made there, and
// goes when it is closed.
bool CanMakeFilesIn(const std::string& folder);

// Deletes the temporaries that replacements cut short left beside the files the pattern names
// (it may hold wildcards), and beside the file each of them links to, where a save through a
// link wrote its temporary. This process's own are left alone: one may be in use.
void RemoveLeftoverTemporaries(const std::string& filePattern);

// The share or network drive the path is on ("\\server\share", "z:"), or empty for a path on
// this machine; a relative path is taken in the current folder.
std::string RemoteRootOfPath(const std::string& path);

// The file beside path is named path + this + the writing process's id; a program ended while
// it wrote leaves it behind.
inline constexpr std::wstring_view kReplaceSuffix = L".tmp";

}  // namespace tarvek::win
