#include "win/system/strings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace tarvek::win {
namespace {

// Checks both directions between the program's UTF-8 and Windows' UTF-16.
void CheckWide(const std::string& utf8, const std::wstring& utf16) {
  EXPECT_EQ(Widen(utf8), utf16) << utf8;
  EXPECT_EQ(Narrow(utf16), utf8) << utf8;
}

// Checks both directions between UTF-8 and the ANSI code page.
void CheckAnsi(const std::string& utf8, const std::string& ansi) {
  EXPECT_EQ(Utf8ToAnsi(utf8), std::optional<std::string>(ansi)) << utf8;
  EXPECT_EQ(AnsiToUtf8(ansi), utf8) << utf8;
}

TEST(Strings, Utf8AndUtf16RoundTrip) {
  CheckWide("", L"");
  CheckWide("C:\\Windows\\calc.exe", L"C:\\Windows\\calc.exe");
  CheckWide("我的计算器", L"\x6211\x7684\x8BA1\x7B97\x5668");
  CheckWide("←→↑↓", L"\x2190\x2192\x2191\x2193");
  // Outside the basic plane: one character, two UTF-16 units.
  CheckWide("\xF0\x9F\x98\x80", L"\xD83D\xDE00");
  CheckWide("a\xF0\x9F\x98\x80我\tb", L"a\xD83D\xDE00\x6211\tb");
}

// Everything below depends on the emulator's locale; a wrong one is named, not guessed at.
class AnsiCodePage : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 936u) << "the ANSI code page must be GBK: run under LANG=zh_CN.UTF-8";
  }
};

TEST_F(AnsiCodePage, ConvertsToAndFromGbk) {
  CheckAnsi("", "");
  CheckAnsi("Ctrl + Alt", "Ctrl + Alt");
  CheckAnsi("我的计算器", "\xCE\xD2\xB5\xC4\xBC\xC6\xCB\xE3\xC6\xF7");
  CheckAnsi("←→↑↓", "\xA1\xFB\xA1\xFA\xA1\xFC\xA1\xFD");
  // A real question mark is kept, and is not taken for a character that could not be converted.
  CheckAnsi("谁?\r\n", "\xCB\xAD?\r\n");
}

TEST_F(AnsiCodePage, RefusesWhatGbkCannotHold) {
  EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80"), std::nullopt);
  EXPECT_EQ(Utf8ToAnsi("我的\xF0\x9F\x98\x80计算器"), std::nullopt);
  // Hangul is not in GBK; a best-fit or '?' replacement would lose the name silently.
  EXPECT_EQ(Utf8ToAnsi("\xED\x95\x9C"), std::nullopt);
}

}  // namespace
}  // namespace tarvek::win
