// Bytes other programs wrote, as the program's UTF-8: the checks that tell UTF-8 apart from a
// code page's bytes, and UTF-16 in either byte order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvek {

struct Utf8Check {
  bool wellFormed = true;  // every byte belongs to a whole, shortest-form UTF-8 character
  bool ascii = true;       // no byte above 0x7F
  // Holds a character from U+0800 to U+1FFFF (Chinese, Japanese, emoji, ...). Double-byte code
  // page text is often well-formed UTF-8 by chance, but then nearly always as two-byte
  // characters only: "系统" in GBK is CF B5 CD B3, which UTF-8 reads as "ϵͳ".
  bool wide = false;
};
Utf8Check CheckUtf8(std::string_view bytes);
// The check of two pieces one after the other, split where no character is cut.
Utf8Check operator+(const Utf8Check& first, const Utf8Check& second);

// How bytes another program wrote are read. A mark says which it is; otherwise well-formed UTF-8
// with a wide character is UTF-8 (on a code page of one byte a character, any well-formed UTF-8
// is), and the rest is the ANSI code page; on a system whose code page is UTF-8, bytes that are
// no UTF-8 are GBK written before the switch.
enum class TextBytes { kAnsi, kUtf8Mark, kUtf16Le, kUtf16Be, kUtf8, kGbk };
TextBytes ClassifyTextBytes(std::string_view bytes, unsigned codePage);
// The same, for bytes without a mark whose check is already known.
TextBytes ClassifyUnmarkedBytes(const Utf8Check& check, unsigned codePage);

// One code point added to UTF-8 text.
void AppendUtf8(std::string& out, char32_t c);

// UTF-16 in either byte order to UTF-8; a surrogate without its partner, and an odd last byte,
// become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);
// UTF-8 to UTF-16 bytes in either byte order, without a mark; a byte that begins no whole
// character becomes U+FFFD.
std::string Utf8ToUtf16(std::string_view utf8, bool bigEndian);

// The program's own INI-like files (.opt, .abbr) as UTF-8 without the mark: UTF-8 with or
// without the mark, or UTF-16 with its mark. Nothing for bytes that are no such text, or that
// hold a NUL (text never does: such a file is some other kind of file).
std::optional<std::string> DecodeMarkedText(std::string_view bytes);

}  // namespace tarvek
