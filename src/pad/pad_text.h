// The drag-and-save pad's text rules, without its window: counting, tidying, how a text file
// becomes the pad's text and back, and how a dropped item joins the text already there.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/ports.h"

namespace tarvek {

// The long loops over a text call this every kPadYieldEvery characters (or lines), so that the
// window can keep painting and answering; false stops the work (the program is ending).
using KeepGoing = std::function<bool()>;
inline constexpr std::size_t kPadYieldEvery = 4096;

struct PadCount {
  std::size_t characters = 0;  // UTF-16 code units, as the text box counts them
  std::size_t bytes = 0;       // in the ANSI code page
  std::size_t blanks = 0;      // U+0020 only
};

// Nothing when keepGoing said stop.
std::optional<PadCount> CountPadText(std::string_view text, AnsiCodec& codec,
                                     const KeepGoing& keepGoing);
// "共 4个字, 4个字节.\r\n其中空格 1个.": each number with one leading blank.
std::string PadCountMessage(const PadCount& count);

// Drops each blank that follows a "<" in the text as it was: "< " loses its blank, "<  " keeps
// one. Nothing when keepGoing said stop.
std::optional<std::string> TidyPadText(std::string_view text, const KeepGoing& keepGoing);

// The characters of a file's bytes: UTF-8 or UTF-16 after a byte-order mark (the mark itself
// dropped), otherwise the ANSI code page. A NUL would end the text box's text there, losing
// what follows; each is taken in as a blank.
std::string DecodeTextFile(std::string_view bytes, AnsiCodec& codec);

// Lines as the pad reads them: CR LF or a lone CR ends a line, a lone LF stays inside its line,
// text after the last line end is one more line. The result is every line followed by CR LF
// (an empty text stays empty). Nothing when keepGoing said stop.
std::optional<std::string> PadTextFromLines(std::string_view text, const KeepGoing& keepGoing);

// A file's bytes for the text, unchanged: in the ANSI code page, or as UTF-8 after a
// byte-order mark when the code page cannot hold every character.
std::string EncodeTextFile(const std::string& text, AnsiCodec& codec);

// A dropped item joined to the text already there, with CR LF between them even when that
// text is empty: after it, or (the default) in front of it.
std::string CombineDrop(std::string_view old, std::string_view item, bool addAfter);

// Whether a dropped file counts as a text file: its last four characters are ".txt" in any case.
bool IsTextFilePath(std::string_view path);

// The number of UTF-16 code units of a UTF-8 text.
std::size_t Utf16Length(std::string_view utf8);

}  // namespace tarvek
