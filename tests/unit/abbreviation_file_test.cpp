#include <gtest/gtest.h>

#include "core/files/abbreviation_file.h"

namespace tarvek {
namespace {

using Fault = AbbreviationFault;
using LeftOut = AbbreviationFileReport::LeftOut;

Abbreviation A(std::string abbreviation, std::string text, bool immediate = false, bool inWord = false,
               ProgramScope scope = ProgramScope::kEverywhere, std::string programs = "") {
  return {std::move(abbreviation), std::move(text), scope, std::move(programs), immediate, inWord};
}

TEST(AbbreviationFile, WritesEveryOptionAndReadsItBackByteForByte) {
  const std::vector<Abbreviation> entries = {
      A("addr", "北京市海淀区 1 号\r\n邮编 100080"),
      A(";Sig", "张三\t产品部 C:\\Tools\\", true, false, ProgramScope::kOnlyIn, "notepad.exe;Code"),
      A("btw", " by the way ", false, true, ProgramScope::kNotIn, "D:\\x\\a.exe"),
  };
  const std::string bytes = SerializeAbbreviationFile(entries);
  EXPECT_EQ(bytes,
            "\xEF\xBB\xBF[addr]\r\nText=北京市海淀区 1 号\\n邮编 100080\r\n\r\n"
            "[;Sig]\r\nText=张三\\t产品部 C:\\\\Tools\\\\\r\nOnlyIn=notepad.exe;Code\r\nImmediate=1\r\n\r\n"
            "[btw]\r\nText= by the way \r\nNotIn=D:\\x\\a.exe\r\nInWord=1\r\n");
  AbbreviationFileReport report;
  EXPECT_EQ(ParseAbbreviationFile(bytes, &report), entries);
  EXPECT_TRUE(report.Clean());
  // By hand: LF only, no mark, keys in any case with blanks around (but for the text, whose
  // blanks count), a hand-written backslash.
  EXPECT_EQ(ParseAbbreviationFile("\n[ ADDR ]\n Text=x\\n\\qy\\\nimmediate = 1\n inWORD =0\n"),
            (std::vector<Abbreviation>{A("ADDR", "x\r\n\\qy\\", true)}));
  // UTF-16 with its mark reads as the UTF-8 does.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[a]\r\nText=b\r\n")) utf16 += std::string{c, '\0'};
  EXPECT_EQ(ParseAbbreviationFile(utf16, &report), (std::vector<Abbreviation>{A("a", "b")}));
  EXPECT_TRUE(report.utf16);
}

TEST(AbbreviationFile, TakesWhatIsSoundAndNamesTheFirstLeftOut) {
  AbbreviationFileReport report;
  const std::vector<Abbreviation> entries = ParseAbbreviationFile(
      "stray\n[Addr]\nText=1\n[addr]\nText=2\n[" + std::string(33, 'x') +
          "]\nText=3\n[a b]\nText=4\n[none]\n[k]\nText=5\nColor=red\nText=6\nNotIn=a.exe\n"
          "OnlyIn=b.exe\nImmediate=yes\n[]\nText=7\n[中]\nText=8\n[e]\nText=\n[none]\nText=9\n",
      &report);
  EXPECT_EQ(entries, (std::vector<Abbreviation>{A("Addr", "1"),
                                                A("k", "5", false, false, ProgramScope::kNotIn, "a.exe"),
                                                A("none", "9")}));
  EXPECT_EQ(report.leftOutCount, 12u);
  EXPECT_EQ(report.firstLeftOut,
            (std::vector<LeftOut>{{Fault::kOutsideSection, "stray"},
                                  {Fault::kDuplicate, "addr"},
                                  {Fault::kTooLong, std::string(33, 'x')},
                                  {Fault::kBlank, "a b"},
                                  {Fault::kNoText, "none"}}));
  EXPECT_FALSE(report.damaged);

  // No text at all: nothing taken, and said so.
  for (std::string bytes : {std::string("[a]\nText=\xC4\xE3\xBA\xC3\n"), std::string("[a]\nText=b\0", 11)}) {
    EXPECT_TRUE(ParseAbbreviationFile(bytes, &report).empty());
    EXPECT_TRUE(report.damaged);
  }
  EXPECT_EQ(CheckAbbreviation("~!@#$%^&*()_+{}|:\"<>?`-=\\;',./"), Fault::kNone);
  EXPECT_EQ(CheckAbbreviation("a]"), Fault::kNotTyped);
  EXPECT_EQ(CheckAbbreviation(std::string(32, 'a')), Fault::kNone);
}

}  // namespace
}  // namespace tarvek
