#include "core/input/typed_text.h"

#include <gtest/gtest.h>

#include <set>

#include "core/hotkey_table.h"

namespace tarvek {
namespace {

using Events = std::vector<KeyInput>;

// A press and a release per unit, or per virtual key when given as -key.
Events Strokes(std::initializer_list<int> keys) {
  Events events;
  for (int k : keys) {
    auto key = static_cast<std::uint16_t>(k < 0 ? -k : 0),
         unit = static_cast<std::uint16_t>(k < 0 ? 0 : k);
    events.insert(events.end(), {{key, unit, false}, {key, unit, true}});
  }
  return events;
}

TEST(TypedText, EscapesRoundTripAndHandWrittenBackslashesStand) {
  for (auto [text, escaped] : std::vector<std::pair<std::string, std::string>>{
           {"a\tb\r\nc\\d 文字😀", "a\\tb\\nc\\\\d 文字😀"},
           {"\\", "\\\\"},
           {"\\\\", "\\\\\\\\"},
           {"  ends \r\n\r\n", "  ends \\n\\n"}}) {
    EXPECT_EQ(EscapeTypedText(text), escaped);
    EXPECT_EQ(UnescapeTypedText(escaped), text);
  }
  EXPECT_EQ(EscapeTypedText("a\nb\rc"), "a\\nb\\nc");
  EXPECT_EQ(UnescapeTypedText("C:\\Tools\\x\\"), "C:\\Tools\\x\\");
}

TEST(TypedText, EventsTypeUnitsEnterAndTabAndMaskWinAndAlt) {
  const Events typed =
      Strokes({'a', -0x0D, 'b', -0x09, 'c', -0x0D, 'd', -0x0D, 'e', 0xD83D, 0xDE00, 0xFFFD});
  EXPECT_EQ(TextInputEvents("a\r\nb\tc\nd\re\x01\x7F😀\xFF"), typed);
  // The limit cuts before a pair, never inside it.
  EXPECT_EQ(TextInputEvents(std::string(kMaxTypedTextUnits - 1, 'a') + "😀").size(),
            2 * (kMaxTypedTextUnits - 1));
  EXPECT_EQ(ReleaseHeldKeys({0xA2, 0x5B}),
            (Events{{kMaskKey, 0, false}, {kMaskKey, 0, true}, {0xA2, 0, true}, {0x5B, 0, true}}));
  EXPECT_EQ(ReleaseHeldKeys({0xA0}), (Events{{0xA0, 0, true}}));
  EXPECT_EQ(HotkeyKeys(kModWin | kModControl, 'K'),
            (std::vector<int>{0xA2, 0xA3, 0x5B, 0x5C, 'K'}));
}

// Keys let go and windows changing as the pauses add up. Window 1 is this program's.
struct FakeDevice : TypingDevice {
  std::set<int> down;
  int releaseAtMs = 1 << 30, changeAtMs = 1 << 30, elapsedMs = 0;
  WindowRef front = 5;
  bool above = false;
  std::vector<Events> sent;
  std::vector<std::string> told;
  bool KeyDown(int key) override { return elapsedMs < releaseAtMs && down.count(key) != 0; }
  void Send(const Events& events) override { sent.push_back(events); }
  WindowRef Foreground() override { return elapsedMs < changeAtMs ? front : 9; }
  bool OwnWindow(WindowRef window) override { return window == 1; }
  bool AboveThisProgram(WindowRef) override { return above; }
  void Pause(int ms) override { elapsedMs += ms; }
  void Tell(const std::string& text) override { told.push_back(text); }
  // Types with a hotkey of these modifiers and K; no modifier is ever pressed.
  TypingOutcome Type(const std::string& text, int modifiers) {
    TypingOutcome outcome = TypeText({text, HotkeyKeys(modifiers, 'K')}, *this);
    for (const Events& batch : sent) {
      for (const KeyInput& e : batch)
        EXPECT_TRUE(e.up || e.virtualKey < 0x10 || e.virtualKey > 0xA5);
    }
    return outcome;
  }
};

TEST(TypedText, TypingWaitsForTheHotkeyAndLetsGoOfWhatIsStillDown) {
  FakeDevice waits;
  waits.down = {0xA2, 'K'};
  waits.releaseAtMs = 50;
  EXPECT_EQ(waits.Type("hi", kModControl), TypingOutcome::kTyped);
  EXPECT_EQ(waits.sent, (std::vector<Events>{Strokes({'h', 'i'})}));
  EXPECT_EQ(waits.elapsedMs, 50);
  FakeDevice held;  // Win never let go: masked at once, let go of after the wait
  held.down = {0x5B, 'K'};
  EXPECT_EQ(held.Type("x", kModWin), TypingOutcome::kTyped);
  EXPECT_EQ(held.elapsedMs, kKeyReleaseWaitMs);
  EXPECT_EQ(held.sent, (std::vector<Events>{Strokes({-kMaskKey}), ReleaseHeldKeys({0x5B, 'K'}),
                                            Strokes({'x'})}));
}

TEST(TypedText, TypingRefusesElevatedWindowsAndStopsWhenTheWindowChanges) {
  FakeDevice elevated;
  elevated.above = true;
  EXPECT_EQ(elevated.Type("x", kModControl), TypingOutcome::kRefused);
  EXPECT_EQ(elevated.told, (std::vector<std::string>{std::string(kElevatedWindowMessage)}));
  EXPECT_TRUE(elevated.sent.empty());
  FakeDevice pairs;  // a batch ends before a pair rather than inside it
  EXPECT_EQ(pairs.Type(std::string(31, 'a') + "😀", kModControl), TypingOutcome::kTyped);
  EXPECT_EQ(pairs.sent.back(), Strokes({0xD83D, 0xDE00}));
  FakeDevice changed;
  changed.changeAtMs = 1;
  EXPECT_EQ(changed.Type(std::string(100, 'a'), kModControl), TypingOutcome::kStopped);
  EXPECT_EQ(changed.sent.size(), 1u);
}

}  // namespace
}  // namespace tarvek
