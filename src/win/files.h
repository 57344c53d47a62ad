// Whole files read and written through the wide file calls: the list files and the pad's text
// files both go through here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/ports.h"

namespace tarvek::win {

enum class FileRead { kOk, kFailed, kTooLarge };

// The whole file into bytes, or kTooLarge (nothing read) when it holds more than maxBytes.
FileRead ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes);

// Writes the bytes to a file beside path and puts it in place of the old file in one step, so
// that no reader ever sees half a file. What the old file was stays: a symbolic link is
// followed and stays a link, the attributes (hidden) are kept, and a file with more than one
// name (hard links) is written in place, so that every name sees the new content. False
// leaves the old file as it was; a read-only file is left alone on Wine too, which would
// otherwise replace it.
bool ReplaceFileAtomically(const std::string& path, const std::string& bytes);

// What stands at path: a file that opens for reading, no file in a folder that is there, no
// folder (or drive, or network share), a file another program holds without sharing, or one
// that cannot be read.
FilePort::PathState QueryPathState(const std::string& path);

// Whether this user can make a file in the folder: a hidden temporary file is made there, and
// goes when it is closed.
bool CanMakeFilesIn(const std::string& folder);

// The file beside path is named path + this + the writing process's id; a program ended while
// it wrote leaves it behind.
inline constexpr std::wstring_view kReplaceSuffix = L".tmp";

}  // namespace tarvek::win
