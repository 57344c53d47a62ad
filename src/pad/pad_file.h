// The pad's text files: how a file's bytes become the pad's text, and the text the file's bytes
// again, in the form the file came in (its encoding, its line ends, a line end at its end or
// not). Long files are worked through in pieces, letting the window run between them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/ports.h"
#include "pad/pad_text.h"

namespace tarvek {

enum class PadEncoding { kAnsi, kUtf8, kUtf8Mark, kUtf16Le, kUtf16Be };
enum class PadLineEnd { kCrLf, kCr, kLf };

struct PadFileForm {
  PadEncoding encoding = PadEncoding::kAnsi;
  PadLineEnd lineEnd = PadLineEnd::kCrLf;
  // False: the file's last line had no line end, and the CR LF that ends the pad's text was
  // added in reading; writing leaves it out again.
  bool finalLineEnd = true;
  bool operator==(const PadFileForm&) const = default;
};

struct PadFileText {
  std::string text;  // every line followed by CR LF
  PadFileForm form;
  // Writing the text in the form gives the file's bytes back. Not so for a file with both
  // CR LF and lone CR line ends, bytes its encoding does not allow, or a NUL.
  bool exact = true;
};

// The bytes are read by the same rule as the list files: a byte-order mark says; else UTF-8
// with a wide character is UTF-8; else the ANSI code page. A line ends at CR LF or a lone CR, a
// lone LF staying inside its line; in a file that has no CR at all, LF ends a line. A NUL
// would end the text box's text there: each is taken in as a blank. Nothing when keepGoing said
// stop.
std::optional<PadFileText> ReadPadFile(std::string_view bytes, AnsiCodec& codec,
                                       const KeepGoing& keepGoing);

// The file's bytes for the pad's text in the form: its line ends, and its encoding unless the
// text no longer fits it (a character the code page lacks, or bytes that would be read another
// way), then UTF-8 with a mark. The default form writes the text unchanged in the ANSI code
// page. Nothing when keepGoing said stop.
std::optional<std::string> WritePadFile(std::string_view text, const PadFileForm& form,
                                        AnsiCodec& codec, const KeepGoing& keepGoing);

}  // namespace tarvek
