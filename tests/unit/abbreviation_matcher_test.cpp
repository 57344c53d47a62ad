#include <gtest/gtest.h>

#include "core/input/abbreviation_matcher.h"

namespace tarvek {
namespace {

using Kind = AbbreviationAction::Kind;

Abbreviation A(std::string abbreviation, std::string text, bool immediate = false, bool inWord = false,
               ProgramScope scope = ProgramScope::kEverywhere, std::string programs = "") {
  return {std::move(abbreviation), std::move(text), scope, std::move(programs), immediate, inWord};
}

const std::vector<Abbreviation> kEntries = {
    A("addr", "北京\r\n邮编"),
    A(";sig", "张三", true),             // immediate
    A("btw", "by the way", false, true),  // in words too
    A("dr", "Doctor"),                   // ends "addr"
    A(std::string(33, 'a'), "x"),        // none: never matches, not even its first 32
};

AbbreviationAction Expansion(std::size_t entry, std::size_t erase, char32_t ending) {
  AbbreviationAction a;
  a.kind = Kind::kExpand;
  a.entry = entry;
  a.erase = erase;
  a.ending = ending;
  return a;
}

// Types the text into a fresh matcher (each "\b" a Backspace) and gives the last answer.
AbbreviationAction Type(AbbreviationMatcher& m, const AbbreviationIndex& index, std::u32string_view keys,
                        const AbbreviationAllowed& allowed = {}) {
  AbbreviationAction last;
  for (char32_t c : keys) last = c == U'\b' ? m.Backspace() : m.Feed(index, c, allowed);
  return last;
}

// Whether the keys, typed after a forgetting, end in the entry's expansion.
std::optional<std::size_t> Expands(std::u32string_view keys) {
  static const AbbreviationIndex index(kEntries);
  AbbreviationMatcher m;
  AbbreviationAction a = Type(m, index, keys);
  if (a.kind != Kind::kExpand) return std::nullopt;
  return a.entry;
}

TEST(AbbreviationMatcher, ExpandsAtWordStartsAndEndingCharacters) {
  for (char32_t ending : std::u32string_view(U" \r\n\t.,;:!?'\"()[]{}/\\-")) {
    EXPECT_EQ(Expands(std::u32string(U"addr") + ending), 0u) << static_cast<int>(ending);
    EXPECT_EQ(Expands(std::u32string(U"x") + ending + U"AdDr "), 0u);
  }
  EXPECT_EQ(Expands(U"addr"), std::nullopt);   // waits for the ending character
  EXPECT_EQ(Expands(U"addr_"), std::nullopt);  // not one
  EXPECT_EQ(Expands(U"xaddr "), std::nullopt);
  EXPECT_EQ(Expands(U"中addr "), std::nullopt);
  EXPECT_EQ(Expands(U"x dr "), 3u);
  EXPECT_EQ(Expands(U";sig"), 1u);             // immediate
  EXPECT_EQ(Expands(U"x;sig"), std::nullopt);
  EXPECT_EQ(Expands(U"abtw "), 2u);            // in a word
  EXPECT_EQ(Expands(U"addx\br "), 0u);         // Backspace takes back the x
  EXPECT_EQ(Expands(U"x\x1B" U"addr "), 0u);   // a control character forgets: a word start
  // Forty letters push the tail's start out: what came before is a word.
  EXPECT_EQ(Expands(std::u32string(40, U'x') + U"addr "), std::nullopt);
  EXPECT_EQ(Expands(std::u32string(40, U'x') + U" addr "), 0u);
  EXPECT_EQ(Expands(std::u32string(32, U'a') + U" "), std::nullopt);

  static const AbbreviationIndex index(kEntries);
  AbbreviationMatcher m;
  EXPECT_EQ(Type(m, index, U"x"), AbbreviationAction{});
  m.Forget();
  EXPECT_EQ(Type(m, index, U"ADDR\t"), Expansion(0, 5, U'\t'));
  EXPECT_EQ(Type(m, index, U";sig"), Expansion(1, 4, 0));
}

TEST(AbbreviationMatcher, BackspaceRightAfterAnExpansionUndoesItUntilTheNextWord) {
  const AbbreviationIndex index(kEntries);
  AbbreviationMatcher m;
  Type(m, index, U"Addr,");
  AbbreviationAction undo = m.Backspace();
  EXPECT_EQ(undo.kind, Kind::kUndo);
  EXPECT_EQ(undo.erase, 6u);  // 北京, the line break as one Enter, 邮编, and the comma
  EXPECT_EQ(undo.typed, U"Addr,");
  EXPECT_EQ(Type(m, index, U"\b "), AbbreviationAction{});  // asleep: the word stays as typed
  EXPECT_EQ(Type(m, index, U"addr "), Expansion(0, 5, U' '));
  // Not right after: a key came between, or the window changed.
  EXPECT_EQ(Type(m, index, U"x\b\b"), AbbreviationAction{});
  m.Forget();
  EXPECT_EQ(Type(m, index, U";sig").kind, Kind::kExpand);
  m.Forget();
  EXPECT_EQ(m.Backspace(), AbbreviationAction{});
  EXPECT_EQ(Type(m, index, U";sig\b").typed, U";sig");
}

TEST(AbbreviationMatcher, AsksForAnEntryOnlyOnceItIsCompleteAndFallsBackToAShorterOne) {
  const AbbreviationIndex index(AbbreviationStore({A("addr", "1"), A("dr", "2", false, true)}));
  AbbreviationMatcher m;
  std::vector<std::size_t> asked;
  const AbbreviationAllowed notAddr = [&asked](std::size_t entry) {
    asked.push_back(entry);
    return entry != 0;
  };
  EXPECT_EQ(Type(m, index, U"addr", notAddr), AbbreviationAction{});
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(Type(m, index, U" ", notAddr), Expansion(1, 3, U' '));
  EXPECT_EQ(asked, (std::vector<std::size_t>{0, 1}));
}

TEST(AbbreviationMatcher, TenThousandEntriesEachFoundAsTyped) {
  std::vector<Abbreviation> entries;
  for (int n = 0; n < 10000; ++n) entries.push_back(A("k" + std::to_string(n * 7919 % 100000), "x"));
  const AbbreviationIndex index(entries);
  AbbreviationMatcher m;
  for (std::size_t n = 0; n < entries.size(); ++n) {
    std::u32string keys(entries[n].abbreviation.begin(), entries[n].abbreviation.end());
    AbbreviationAction a = Type(m, index, keys + U" ");
    ASSERT_EQ(a.kind, Kind::kExpand) << n;
    ASSERT_EQ(a.entry, n);
  }
}

TEST(AbbreviationMatcher, TypedLengthCountsWhatOneBackspaceTakesBack) {
  EXPECT_EQ(TypedLength("a\r\nb\nc\rd\te\x01" "\xF0\x9F\x98\x80中"), 11u);
  EXPECT_TRUE(InputMethodComposes(0x0009));
  EXPECT_FALSE(InputMethodComposes(0x0000));  // open, English mode
  EXPECT_FALSE(InputMethodComposes(std::nullopt));
}

// Every key that moves the caret or leaves the text forgets it; AltGr's characters are text,
// a Ctrl or Alt combination is not.
TEST(AbbreviationMatcher, KeysThatForgetWhatWasTyped) {
  for (int key : {0x25, 0x26, 0x27, 0x28, 0x24, 0x23, 0x21, 0x22, 0x1B, 0xE7, 0xE5}) {
    EXPECT_EQ(ClassifyTypedKey(key, false, false, false), TypedKey::kForget) << key;
  }
  EXPECT_EQ(ClassifyTypedKey('A', false, false, true), TypedKey::kForget);  // Win + A
  EXPECT_EQ(ClassifyTypedKey(0x08, true, false, false), TypedKey::kForget);  // Ctrl + Backspace
  EXPECT_EQ(ClassifyTypedKey(0x08, false, false, false), TypedKey::kBackspace);
  EXPECT_EQ(ClassifyTypedKey(0xA0, false, false, false), TypedKey::kNothing);  // Shift alone
  EXPECT_EQ(ClassifyTypedKey(0x5B, false, false, true), TypedKey::kNothing);   // Win alone
  EXPECT_EQ(ClassifyTypedKey('A', true, false, false), TypedKey::kRead);
  EXPECT_FALSE(KeyTypedText(true, false, 1, 0x01));  // Ctrl + A
  EXPECT_FALSE(KeyTypedText(false, true, 1, u'a'));  // Alt + A
  EXPECT_TRUE(KeyTypedText(true, true, 1, u'@'));    // AltGr + Q on a German keyboard
  EXPECT_FALSE(KeyTypedText(true, true, 0, 0));
  EXPECT_TRUE(KeyTypedText(false, false, 1, u'a'));
}

TEST(AbbreviationMatcher, TheTableAsksForTheProgramOnlyOfEntriesThatHaveOne) {
  std::vector<Abbreviation> entries = {A("a", "x"), A("b", "y"), A("c", "z")};
  entries[1].scope = ProgramScope::kOnlyIn;
  entries[1].programs = "notepad.exe";
  const AbbreviationTablePtr table =
      MakeAbbreviationTable(AbbreviationEntries(new AbbreviationStore(entries)));
  int asked = 0;
  auto notepad = [&asked] { return ++asked, std::string("C:\\Windows\\notepad.exe"); };
  auto other = [] { return std::string("C:\\other.exe"); };
  EXPECT_TRUE(table->Allowed(0, notepad) && table->Allowed(2, other));
  EXPECT_EQ(asked, 0);
  EXPECT_TRUE(table->Allowed(1, notepad));
  EXPECT_FALSE(table->Allowed(1, other));
  EXPECT_EQ(MakeAbbreviationTable(AbbreviationEntries(new AbbreviationStore())), nullptr);
}

}  // namespace
}  // namespace tarvek
