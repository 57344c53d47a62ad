// Bytes other programs wrote, as the program's UTF-8: the checks that tell UTF-8 apart from a
// code page's bytes, and UTF-16 in either byte order.
#pragma once

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

// UTF-16 in either byte order to UTF-8; a surrogate without its partner, and an odd last byte,
// become U+FFFD.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

}  // namespace tarvek
