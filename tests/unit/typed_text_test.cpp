#include "core/input/abbreviation_matcher.h"
#include "core/input/typed_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <utility>

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

TEST(TypedText, EventsTypeUnitsEnterAndTabAndMaskEveryModifier) {
  const Events typed =
      Strokes({'a', -0x0D, 'b', -0x09, 'c', -0x0D, 'd', -0x0D, 'e', 0xD83D, 0xDE00, 0xFFFD});
  EXPECT_EQ(TextInputEvents("a\r\nb\tc\nd\re\x01\x7F😀\xFF"), typed);
  // The limit cuts before a pair, never inside it.
  EXPECT_EQ(TextInputEvents(std::string(kMaxTypedTextUnits - 1, 'a') + "😀").size(),
            2 * (kMaxTypedTextUnits - 1));
  EXPECT_EQ(ReleaseHeldKeys({0xA2, 0x5B}),
            (Events{{kMaskKey, 0, false}, {kMaskKey, 0, true}, {0xA2, 0, true}, {0x5B, 0, true}}));
  // Shift alone too: its press and release with nothing between switch an input method.
  EXPECT_EQ(ReleaseHeldKeys({0xA0}), (Events{{kMaskKey, 0, false}, {kMaskKey, 0, true}, {0xA0, 0, true}}));
  EXPECT_EQ(ReleaseHeldKeys({'K'}), (Events{{'K', 0, true}}));
  EXPECT_EQ(HotkeyKeys(kModWin | kModControl, 'K'),
            (std::vector<int>{0xA2, 0xA3, 0x5B, 0x5C, 'K'}));
}

// Keys let go and windows changing as the pauses add up. Window 1 is this program's.
struct FakeDevice : TypingDevice {
  std::set<int> down;
  int releaseAtMs = 1 << 30, changeAtMs = 1 << 30, elapsedMs = 0;
  WindowRef front = 5;
  bool above = false, menu = false, comesToFront = true;
  std::size_t room = 1 << 30;  // the events Windows takes before input is blocked
  std::optional<std::uint32_t> inputMethod;  // its conversion mode while it is on
  std::vector<Events> sent;
  std::vector<std::string> told;
  std::vector<std::string> log;  // the input method's switches, the sends and the messages
  bool KeyDown(int key) override { return elapsedMs < releaseAtMs && down.count(key) != 0; }
  std::size_t Send(std::span<const KeyInput> events) override {
    const std::size_t taken = std::min(events.size(), room);
    room -= taken;
    sent.emplace_back(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(taken));
    log.push_back("send");
    return taken;
  }
  WindowRef Foreground() override { return elapsedMs < changeAtMs ? front : 9; }
  void BringToFront(WindowRef window) override {
    if (comesToFront) front = window;
  }
  bool OwnWindow(WindowRef window) override { return window == 1; }
  bool AboveThisProgram(WindowRef) override { return above; }
  bool InMenu(WindowRef) override { return menu; }
  std::optional<std::uint32_t> SwitchOffInputMethod(WindowRef window) override {
    log.push_back("off " + std::to_string(window));
    return std::exchange(inputMethod, std::nullopt);
  }
  void RestoreInputMethod(WindowRef window, std::uint32_t mode) override {
    log.push_back("on " + std::to_string(window) + " " + std::to_string(mode));
    inputMethod = mode;
  }
  std::optional<std::uint32_t> InputMethodMode(WindowRef) override { return inputMethod; }
  void Pause(int ms) override { elapsedMs += ms; }
  void Tell(const std::string& text) override {
    told.push_back(text);
    log.push_back("tell");
  }
  // Types with a hotkey of these modifiers and K; no modifier is ever pressed.
  TypingOutcome Type(const std::string& text, int modifiers, TypingJob job = {}) {
    job.text = text;
    job.hotkeyKeys = HotkeyKeys(modifiers, 'K');
    TypingOutcome outcome = TypeText(job, *this);
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
  EXPECT_EQ(waits.sent, (std::vector<Events>{Strokes({-kMaskKey}), Strokes({'h', 'i'})}));
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

// An abbreviation: Backspaces, then its text, into the window it was typed in only, and not
// while that window's input method composes (中): then nothing is sent and nothing said.
TEST(TypedText, AnExpansionGoesOnlyIntoItsWindowAndNeverIntoAComposition) {
  TypingJob job;
  job.abbreviation = true;
  job.erase = 2;
  job.window = 5;
  job.text = std::string(300, 'a');  // in one call with its Backspaces
  FakeDevice english;
  english.inputMethod = 0;  // on, in its English mode
  EXPECT_EQ(TypeText(job, english), TypingOutcome::kTyped);
  ASSERT_EQ(english.sent.size(), 1u);
  EXPECT_EQ(Events(english.sent[0].begin(), english.sent[0].begin() + 6), Strokes({-0x08, -0x08, 'a'}));
  EXPECT_EQ(english.sent[0].size(), 2 * 302u);
  FakeDevice composing;
  composing.inputMethod = kInputMethodNativeMode;
  EXPECT_EQ(TypeText(job, composing), TypingOutcome::kComposing);
  FakeDevice elsewhere, quiet;
  elsewhere.front = 7;
  EXPECT_EQ(TypeText(job, elsewhere), TypingOutcome::kNoWindow);
  quiet.above = true;
  job.quietWhenRefused = true;
  EXPECT_EQ(TypeText(job, quiet), TypingOutcome::kRefused);
  for (FakeDevice* d : {&composing, &elsewhere, &quiet}) {
    EXPECT_TRUE(d->sent.empty() && d->told.empty());
  }
}

// Windows took fewer events than sent: the keys it took down and not up go up again, the
// typing stops, and the message says whether anything was typed at all.
TEST(TypedText, AShortSendStopsTheTypingAndSaysSo) {
  EXPECT_EQ(KeysLeftDown(Strokes({'a', -0xA0, 'b'}), 3), (Events{{0xA0, 0, true}}));
  EXPECT_EQ(KeysLeftDown(Events{{'A', 0, false}, {0, 'b', false}, {'A', 0, true}}, 3),
            (Events{{0, 'b', true}}));
  EXPECT_EQ(KeysLeftDown(kMaskKeyEvents, 1), (Events{{kMaskKey, 0, true}}));
  EXPECT_EQ(KeysLeftDown(Strokes({'a', 'b'}), 4), Events{});
  FakeDevice blocked;
  blocked.room = 0;
  EXPECT_EQ(blocked.Type("ab", 0), TypingOutcome::kBlocked);
  EXPECT_EQ(blocked.told, std::vector<std::string>{std::string(kBlockedMessage)});
  FakeDevice partly;  // the first batch goes in, the second only in part, the third is never sent
  partly.room = kTypingBatchEvents + 3;
  EXPECT_EQ(partly.Type(std::string(kTypingBatchEvents * 2, 'a'), 0), TypingOutcome::kBlocked);
  EXPECT_EQ(partly.sent.size(), 2u);
  EXPECT_EQ(partly.told, std::vector<std::string>{std::string(kPartlyBlockedMessage)});
}

// The window's input method is off for exactly the sends of the text and on again before any
// message, whatever the outcome; a window refused or in a menu is not touched at all.
TEST(TypedText, TheInputMethodIsOffWhileTypingAndBackOnEveryOutcome) {
  auto typed = [](auto setUp) {
    FakeDevice device;
    device.inputMethod = 7;
    device.front = 6;
    setUp(device);
    device.Type(std::string(40, 'a'), 0);
    EXPECT_EQ(device.inputMethod, std::optional<std::uint32_t>(7));
    return device.log;
  };
  using Log = std::vector<std::string>;
  EXPECT_EQ(typed([](FakeDevice&) {}), (Log{"off 6", "send", "send", "on 6 7"}));
  EXPECT_EQ(typed([](FakeDevice& d) { d.changeAtMs = 1; }), (Log{"off 6", "send", "on 6 7"}));
  EXPECT_EQ(typed([](FakeDevice& d) { d.room = 70; }), (Log{"off 6", "send", "send", "on 6 7", "tell"}));
  EXPECT_EQ(typed([](FakeDevice& d) { d.above = true; }), Log{"tell"});
  EXPECT_EQ(typed([](FakeDevice& d) { d.menu = true; }), Log{"tell"});
  FakeDevice menu;
  menu.menu = true;
  EXPECT_EQ(menu.Type("x", 0), TypingOutcome::kInMenu);
  EXPECT_EQ(menu.told, std::vector<std::string>{std::string(kInMenuMessage)});
  FakeDevice off;  // an input method that was off stays off
  EXPECT_EQ(off.Type("x", 0), TypingOutcome::kTyped);
  EXPECT_EQ(off.log, (Log{"off 5", "send"}));
}

// A text chosen from the menu goes to the window in front before it opened, brought back; when
// there was none, or it does not come back, nothing is typed and the user is told.
TEST(TypedText, AMenuJobTypesIntoTheWindowBeforeTheMenuOrSaysWhyNot) {
  TypingJob fromMenu;
  fromMenu.fromMenu = true;
  fromMenu.window = 7;
  FakeDevice back;
  back.front = 1;  // the menu left this program's window in front
  EXPECT_EQ(back.Type("x", 0, fromMenu), TypingOutcome::kTyped);
  EXPECT_EQ(back.log, (std::vector<std::string>{"off 7", "send"}));
  FakeDevice stays;
  stays.front = 1;
  stays.comesToFront = false;
  EXPECT_EQ(stays.Type("x", 0, fromMenu), TypingOutcome::kNoWindow);
  EXPECT_EQ(stays.told, std::vector<std::string>{std::string(kWindowNotBackMessage)});
  for (WindowRef none : {WindowRef{0}, WindowRef{1}}) {
    fromMenu.window = none;
    FakeDevice nothing;
    EXPECT_EQ(nothing.Type("x", 0, fromMenu), TypingOutcome::kNoWindow);
    EXPECT_EQ(nothing.told, std::vector<std::string>{std::string(kNoWindowBeforeMenuMessage)});
    EXPECT_TRUE(nothing.sent.empty());
  }
}

// A binding's job is queued once while it waits (queued, or taken and not typing yet); other
// bindings' jobs and those of no binding always are.
TEST(TypedText, AWaitingJobOfABindingIsNotQueuedAgain) {
  FakeDevice device;
  TypingQueue queue;
  auto push = [&](int slot) { return queue.Push(TypingJob{"x", {}, slot}, device); };
  EXPECT_TRUE(push(3));
  EXPECT_FALSE(push(3));
  EXPECT_TRUE(push(4));
  EXPECT_TRUE(push(-1));
  EXPECT_TRUE(push(-1));
  EXPECT_EQ(queue.Take()->job.slot, 3);
  EXPECT_FALSE(push(3));  // taken, still waiting for the keys
  queue.Typing();
  EXPECT_TRUE(push(3));
  queue.Done();
  for (int slot : {4, -1, -1, 3}) EXPECT_EQ(queue.Take()->job.slot, slot);
  EXPECT_FALSE(queue.Idle());
  queue.Done();
  EXPECT_TRUE(queue.Idle());
  EXPECT_FALSE(queue.Take().has_value());
}

}  // namespace
}  // namespace tarvek
