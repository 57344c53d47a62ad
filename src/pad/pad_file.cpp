#include "pad/pad_file.h"

#include <algorithm>

#include "core/hotkey_table.h"
#include "core/files/text_encoding.h"

namespace tarvek {

namespace {

// About this much is converted between two turns of the window's messages.
constexpr std::size_t kPieceBytes = 1u << 20;
constexpr std::string_view kMark = "\xEF\xBB\xBF";

bool Continue(const KeepGoing& keepGoing) { return !keepGoing || keepGoing(); }

// The next piece of bytes in one of the byte encodings: about kPieceBytes, ending after a line
// feed, or else after a byte below `below`. A byte below 0x40 never continues a character in
// UTF-8 or a double-byte code page; one below 0x80 that is no CR also keeps CR LF together.
std::size_t NextPiece(std::string_view rest, unsigned char below, bool notCr) {
  if (rest.size() <= kPieceBytes) return rest.size();
  std::size_t lf = rest.rfind('\n', kPieceBytes - 1);
  if (lf != std::string_view::npos && lf >= kPieceBytes / 2) return lf + 1;
  for (std::size_t i = kPieceBytes; i < rest.size(); ++i) {
    auto byte = static_cast<unsigned char>(rest[i - 1]);
    if (byte < below && !(notCr && byte == '\r')) return i;
  }
  return rest.size();
}

// UTF-16: an even length that does not end between the halves of a surrogate pair.
std::size_t NextUtf16Piece(std::string_view rest, bool bigEndian) {
  if (rest.size() <= kPieceBytes) return rest.size();
  std::size_t size = kPieceBytes;
  auto high = static_cast<unsigned char>(rest[bigEndian ? size - 2 : size - 1]);
  if (high >= 0xD8 && high <= 0xDB) size -= 2;
  return size;
}

// The line ends a text holds, counted across the pieces it comes in.
struct LineEnds {
  std::size_t crLf = 0, loneCr = 0, loneLf = 0;
  bool pendingCr = false;
  void Add(std::string_view text) {
    for (char c : text) {
      if (c == '\n') {
        ++(pendingCr ? crLf : loneLf);
      } else if (pendingCr) {
        ++loneCr;
      }
      pendingCr = c == '\r';
    }
  }
  void Finish() {
    if (pendingCr) ++loneCr;
    pendingCr = false;
  }
};

bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool StartsWithMark(std::string_view bytes) {
  return bytes.starts_with(kMark) || bytes.starts_with("\xFF\xFE") ||
         bytes.starts_with("\xFE\xFF");
}

// Each `from` byte of the text followed by CR LF's second half; used for the lone CRs and LFs
// that end lines.
std::optional<std::string> EndLinesWithCrLf(std::string_view text, char from, std::size_t count,
                                            const KeepGoing& keepGoing) {
  std::string out;
  out.reserve(text.size() + count + 2);
  while (!text.empty()) {
    std::size_t size = NextPiece(text, 0x80, false);
    for (std::size_t i = 0; i < size; ++i) {
      char c = text[i];
      bool loneCr = from == '\r' && c == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n');
      if (from == '\n' && c == '\n') {
        out += "\r\n";
      } else {
        out += c;
        if (loneCr) out += '\n';
      }
    }
    text.remove_prefix(size);
    if (!Continue(keepGoing)) return std::nullopt;
  }
  return out;
}

}  // namespace

std::optional<PadFileText> ReadPadFile(std::string_view bytes, AnsiCodec& codec,
                                       const KeepGoing& keepGoing) {
  PadFileText file;
  const unsigned codePage = codec.AnsiCodePage();
  TextBytes kind = TextBytes::kAnsi;
  std::string_view body = bytes;
  if (StartsWithMark(bytes)) {
    kind = ClassifyTextBytes(bytes.substr(0, 3), codePage);
    body.remove_prefix(kind == TextBytes::kUtf8Mark ? 3 : 2);
  } else {
    // The check over the whole file, a piece at a time.
    Utf8Check check;
    for (std::string_view rest = bytes; !rest.empty();) {
      std::size_t size = NextPiece(rest, 0x80, false);
      check = check + CheckUtf8(rest.substr(0, size));
      rest.remove_prefix(size);
      if (!Continue(keepGoing)) return std::nullopt;
    }
    kind = ClassifyUnmarkedBytes(check, codePage);
  }
  const bool bigEndian = kind == TextBytes::kUtf16Be;
  switch (kind) {
    case TextBytes::kAnsi: file.form.encoding = PadEncoding::kAnsi; break;
    case TextBytes::kUtf8: file.form.encoding = PadEncoding::kUtf8; break;
    case TextBytes::kUtf16Le: file.form.encoding = PadEncoding::kUtf16Le; break;
    case TextBytes::kUtf16Be: file.form.encoding = PadEncoding::kUtf16Be; break;
    // GBK from before the system took UTF-8 is saved as UTF-8, as the lists are.
    case TextBytes::kUtf8Mark:
    case TextBytes::kGbk: file.form.encoding = PadEncoding::kUtf8Mark; break;
  }

  std::string decoded;
  // Room for the text and a last line end, so that neither grows it by copying it whole.
  decoded.reserve((kind == TextBytes::kUtf8 || kind == TextBytes::kUtf8Mark ? body.size()
                                                                           : body.size() / 2 * 3) +
                  2);
  LineEnds ends;
  while (!body.empty()) {
    bool utf16 = kind == TextBytes::kUtf16Le || kind == TextBytes::kUtf16Be;
    std::size_t size = utf16 ? NextUtf16Piece(body, bigEndian) : NextPiece(body, 0x40, false);
    std::string piece(body.substr(0, size));
    body.remove_prefix(size);
    std::string text;
    switch (kind) {
      case TextBytes::kAnsi:
        text = codec.AnsiToUtf8(piece);
        file.exact = file.exact && codec.Utf8ToAnsi(text) == piece;
        break;
      case TextBytes::kUtf8:
        text = std::move(piece);
        break;
      case TextBytes::kUtf8Mark:
        // A hand edit or a damaged disk may have cut a character short.
        text = ValidUtf8(piece);
        file.exact = file.exact && text == piece;
        break;
      case TextBytes::kUtf16Le:
      case TextBytes::kUtf16Be:
        text = Utf16ToUtf8(piece, bigEndian);
        file.exact = file.exact && Utf8ToUtf16(text, bigEndian) == piece;
        break;
      case TextBytes::kGbk:
        text = ValidUtf8(codec.Cp936ToUtf8(piece));
        file.exact = false;
        break;
    }
    if (text.find('\0') != std::string::npos) {
      std::replace(text.begin(), text.end(), '\0', ' ');
      file.exact = false;
    }
    ends.Add(text);
    decoded += text;
    if (!Continue(keepGoing)) return std::nullopt;
  }
  ends.Finish();

  // A file of LF line ends only takes them as its lines' ends; any other keeps a lone LF inside
  // its line, and writes back the line end it has (CR LF, or a lone CR where it has no CR LF).
  std::optional<std::string> text;
  if (ends.crLf == 0 && ends.loneCr == 0 && ends.loneLf > 0) {
    file.form.lineEnd = PadLineEnd::kLf;
    file.form.finalLineEnd = EndsWith(decoded, "\n");
    text = EndLinesWithCrLf(decoded, '\n', ends.loneLf, keepGoing);
  } else {
    file.form.lineEnd = ends.loneCr > 0 && ends.crLf == 0 ? PadLineEnd::kCr : PadLineEnd::kCrLf;
    file.form.finalLineEnd = decoded.empty() || EndsWith(decoded, "\r") || EndsWith(decoded, "\r\n");
    file.exact = file.exact && !(ends.loneCr > 0 && ends.crLf > 0);
    if (ends.loneCr == 0) {
      text = std::move(decoded);  // CR LF throughout: the text as it is
    } else {
      text = EndLinesWithCrLf(decoded, '\r', ends.loneCr, keepGoing);
    }
  }
  if (!text) return std::nullopt;
  decoded = std::string();
  if (!file.form.finalLineEnd) text->append("\r\n");
  file.text = std::move(*text);
  return file;
}

std::optional<std::string> WritePadFile(std::string_view text, const PadFileForm& form,
                                        AnsiCodec& codec, const KeepGoing& keepGoing) {
  if (!form.finalLineEnd && EndsWith(text, "\r\n")) text.remove_suffix(2);
  const unsigned codePage = codec.AnsiCodePage();
  PadEncoding encoding = form.encoding;
  for (;;) {
    std::string out;
    if (encoding == PadEncoding::kUtf8Mark) out = kMark;
    if (encoding == PadEncoding::kUtf16Le) out = "\xFF\xFE";
    if (encoding == PadEncoding::kUtf16Be) out = "\xFE\xFF";
    out.reserve(out.size() + (encoding == PadEncoding::kUtf16Le || encoding == PadEncoding::kUtf16Be
                                  ? text.size() * 2
                                  : text.size()));
    Utf8Check check;
    bool fits = true;
    for (std::string_view rest = text; fits && !rest.empty();) {
      std::size_t size = NextPiece(rest, 0x80, true);
      std::string piece(rest.substr(0, size));
      rest.remove_prefix(size);
      if (form.lineEnd != PadLineEnd::kCrLf) {
        // CR LF back to the file's own line end.
        std::string lines;
        lines.reserve(piece.size());
        for (std::size_t i = 0; i < piece.size(); ++i) {
          if (piece[i] == '\r' && i + 1 < piece.size() && piece[i + 1] == '\n') {
            lines += form.lineEnd == PadLineEnd::kLf ? '\n' : '\r';
            ++i;
          } else {
            lines += piece[i];
          }
        }
        piece = std::move(lines);
      }
      switch (encoding) {
        case PadEncoding::kAnsi:
          if (std::optional<std::string> ansi = codec.Utf8ToAnsi(piece)) {
            check = check + CheckUtf8(*ansi);
            out += *ansi;
          } else {
            fits = false;
          }
          break;
        case PadEncoding::kUtf8:
          check = check + CheckUtf8(piece);
          out += piece;
          break;
        case PadEncoding::kUtf8Mark:
          out += piece;
          break;
        case PadEncoding::kUtf16Le:
        case PadEncoding::kUtf16Be:
          out += Utf8ToUtf16(piece, encoding == PadEncoding::kUtf16Be);
          break;
      }
      if (!Continue(keepGoing)) return std::nullopt;
    }
    // Bytes that the next reading would take for another encoding do not fit either.
    if (encoding == PadEncoding::kAnsi && fits) {
      fits = !StartsWithMark(out) &&
             (codePage == kUtf8CodePage || ClassifyUnmarkedBytes(check, codePage) == TextBytes::kAnsi);
    } else if (encoding == PadEncoding::kUtf8) {
      fits = !StartsWithMark(out) &&
             (check.ascii || ClassifyUnmarkedBytes(check, codePage) == TextBytes::kUtf8);
    }
    if (fits) return out;
    encoding = PadEncoding::kUtf8Mark;
  }
}

}  // namespace tarvek
