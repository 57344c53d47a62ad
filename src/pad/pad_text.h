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

// A dropped item joined to the text already there, with CR LF between them even when that
// text is empty: after it, or (the default) in front of it. The item's own room is used.
std::string CombineDrop(std::string_view old, std::string item, bool addAfter);

// Whether a dropped file counts as a text file: its last four characters are ".txt" in any case.
bool IsTextFilePath(std::string_view path);

// The number of UTF-16 code units of a UTF-8 text.
std::size_t Utf16Length(std::string_view utf8);

// Where the text box may wrap a line and where a word starts, for its word-break procedure:
// after blanks, and before or after each Chinese, Japanese or Korean character (except before
// closing punctuation such as "，" or "。", which never starts a line). It looks at the line it
// is given only: the box's own rule examines the whole text at every change, which for a long
// text takes seconds per change.
enum class PadWordBreak { kLeft = 0, kRight = 1, kIsDelimiter = 2 };  // WB_LEFT, WB_RIGHT, ...
int PadWordBreakAt(const char16_t* text, int index, int count, PadWordBreak action);

// How many characters of a long text go into the text box at a time. The box takes a piece in
// a time that grows with the piece (it lays out the piece's lines) and, under Wine, with the
// text it already holds (it moves that text and walks all its lines for every piece). It learns
// the first from each piece and the second from a small piece every so often, and picks the
// next piece so that it takes about targetMs. A piece never lays out for less time than the
// box spends on the text it holds, so that the whole text goes in in at most about twice the
// time it takes in one go; a piece grows by at most a quarter from one to the next.
class PadPieceSizer {
 public:
  PadPieceSizer(double targetMs, std::size_t first, std::size_t least, std::size_t most);
  // Characters for the next piece when the box holds `held`.
  std::size_t Next(std::size_t held) const;
  void Took(std::size_t characters, std::size_t held, double ms);

 private:
  static constexpr int kSoundEvery = 16;  // every 16th piece is a small one
  bool Sounding() const;

  double targetMs_;
  std::size_t least_, most_, last_;
  int taken_ = 0;
  double rate_ = 0;         // characters laid out a millisecond
  double walkPerHeld_ = 0;  // ms the box spends per piece on each character it holds
  double surprise_ = 1;     // how much longer than foreseen the last piece took
};

}  // namespace tarvek
