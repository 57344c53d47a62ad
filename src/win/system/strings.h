// Every conversion between the program's UTF-8 text, Windows' UTF-16 and the ANSI code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarvek::win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// Text in the system's ANSI code page to UTF-8 and back. The way back is empty when the text
// holds a character the code page cannot represent (nothing is replaced by '?').
std::string AnsiToUtf8(std::string_view ansi);
// Text in the given code page (936: GBK) to UTF-8.
std::string CodePageToUtf8(unsigned codePage, std::string_view bytes);
std::optional<std::string> Utf8ToAnsi(std::string_view utf8);

}  // namespace tarvek::win
