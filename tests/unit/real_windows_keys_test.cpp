// The key boxes under an input method and the right Win key, the pad's word to Windows at the end
// of the session and its files dropped by WM_DROPFILES, and the grid's colours in high contrast.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/grid_colours.h"
#include "core/input/key_press.h"
#include "editor/editor_model.h"
#include "pad/pad_session.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::FakeGrid;
using testing::RecordingSystem;
using Texts = std::vector<std::string>;

constexpr int kShift = 0x10, kNumpad3 = 0x63;

TEST(KeyBoxPress, TheRealKeyBehindAnInputMethodAndEitherWinKey) {
  struct Case {
    int keyCode, inputMethodKey;
    int taken;
    bool fromInputMethod;
    std::optional<char> typed;
  };
  for (const Case& c : {
           Case{kProcessKeyCode, 'A', 'A', true, 'A'},  // a letter the input method composed
           Case{kProcessKeyCode, '7', '7', true, '7'},
           Case{kProcessKeyCode, kNumpad3, kNumpad3, true, '3'},
           Case{kProcessKeyCode, kShift, kShift, true, std::nullopt},  // its 中/英 switch
           Case{kProcessKeyCode, kRightWinKeyCode, kLeftWinKeyCode, true, std::nullopt},
           Case{kProcessKeyCode, 0, kProcessKeyCode, false, std::nullopt},  // nothing behind it
           Case{kProcessKeyCode, kProcessKeyCode, kProcessKeyCode, false, std::nullopt},
           Case{kRightWinKeyCode, 0, kLeftWinKeyCode, false, std::nullopt},
           Case{kLeftWinKeyCode, 0, kLeftWinKeyCode, false, std::nullopt},
           Case{'A', 0, 'A', false, std::nullopt},  // typed as ever, by the box itself
       }) {
    const BoxKey key = TranslateBoxKey(c.keyCode, c.inputMethodKey);
    EXPECT_EQ(key.keyCode, c.taken) << c.keyCode << " " << c.inputMethodKey;
    EXPECT_EQ(key.fromInputMethod, c.fromInputMethod) << c.keyCode << " " << c.inputMethodKey;
    EXPECT_EQ(key.typed, c.typed) << c.keyCode << " " << c.inputMethodKey;
  }

  // In the editor either Win key makes a modifier box "Win" and keeps the Start menu shut; the
  // base-key box takes neither; Shift an input method had is Shift.
  RecordingSystem system;
  FakeGrid grid;
  for (int box : {0, 1, 2}) {
    EditorModel model(grid, system, {});
    model.KeyDown(box, TranslateBoxKey(kRightWinKeyCode, 0).keyCode, 0);
    EXPECT_EQ(model.Box(box), box == 2 ? "A" : "Win") << box;
    EXPECT_EQ(EditorModel::TakesWinKey(box, kRightWinKeyCode), box != 2) << box;
    EXPECT_EQ(EditorModel::TakesWinKey(box, kLeftWinKeyCode), box != 2) << box;
  }
  EXPECT_FALSE(EditorModel::TakesWinKey(0, 'A'));
  EditorModel model(grid, system, {});
  model.KeyDown(1, TranslateBoxKey(kProcessKeyCode, kShift).keyCode, kShiftState);
  EXPECT_EQ(model.Box(1), "Shift");
}

// A pad window that holds a text and does nothing else, with no files.
class TextOnlyPad : public PadView, public PadFilePort {
 public:
  std::string text;
  std::string Text() override { return text; }
  bool SetText(const std::string& value) override {
    text = value;
    return true;
  }
  void SetTitle(const std::string&) override {}
  void ShowBusy(bool) override {}
  void SetTopmost(bool) override {}
  void FocusText() override {}
  void Hide() override {}
  bool KeepResponsive() override { return true; }
  std::optional<std::string> ChooseFile(bool, const std::string&) override { return {}; }
  bool FileExists(const std::string&) override { return false; }
  Read ReadFile(const std::string&, std::size_t, std::string&) override { return Read::kFailed; }
  bool ReplaceFile(const std::string&, const std::string&) override { return true; }
};

TEST(PadShutdownReason, StandsWhileThePadHoldsUnsavedText) {
  RecordingSystem system;
  TextOnlyPad view;
  bool saved = true;
  PadModel pad(view, view, system, system, saved);
  // What the main window does with each change: the step, and whether the system took it.
  ShutdownReasonDecision decision;
  Texts steps;
  bool systemRefuses = false;
  pad.onSavedChanged = [&](bool nowSaved) {
    const auto step = decision.Next(nowSaved);
    if (step == ShutdownReasonDecision::Step::kCreate) steps.push_back("create");
    if (step == ShutdownReasonDecision::Step::kDestroy) steps.push_back("destroy");
    decision.Took(step, !systemRefuses);
  };
  pad.Created();
  pad.TextEdited();
  pad.TextEdited();  // still unsaved: once is enough
  EXPECT_EQ(steps, (Texts{"create"}));
  pad.Clear();  // asks, and the user says OK
  EXPECT_EQ(steps, (Texts{"create", "destroy"}));
  EXPECT_FALSE(decision.Standing());
  pad.TakeDrop(PadDrop{std::nullopt, "拖来的"});
  pad.Close();  // discards without a question
  EXPECT_EQ(steps, (Texts{"create", "destroy", "create", "destroy"}));
  // A reason the system would not take is not taken back, and is asked for at the next change.
  systemRefuses = true;
  pad.TextEdited();
  EXPECT_FALSE(decision.Standing());
  systemRefuses = false;
  pad.Close();
  pad.TextEdited();
  EXPECT_TRUE(decision.Standing());
  EXPECT_EQ(steps, (Texts{"create", "destroy", "create", "destroy", "create", "create"}));
}

TEST(PadDroppedFiles, GoTheWayOfAnOleFileDrop) {
  PadOptions options;
  const std::vector<std::string> two{"C:\\a.txt", "C:\\b.txt"};
  std::optional<PadDrop> drop = PadDropOfFiles(two, options, false);
  ASSERT_TRUE(drop.has_value());
  EXPECT_EQ(drop->firstFile, "C:\\a.txt");
  EXPECT_EQ(drop->text, std::nullopt);
  EXPECT_FALSE(PadDropOfFiles({}, options, false).has_value());
  EXPECT_FALSE(PadDropOfFiles(two, options, true).has_value());  // a drop is under way
  options.takeDrops = false;  // the text box alone takes no files
  EXPECT_FALSE(PadDropOfFiles(two, options, false).has_value());
}

TEST(GridColours, TodaysColoursAndTheHighContrastThemes) {
  // The system colours of a high-contrast black theme, and of one whose link colour is its
  // background's.
  const SystemColours black{0x000000, 0xFFFFFF, 0x3FF23F, 0x00FFFF};
  const SystemColours blind{0xFFFFFF, 0x000000, 0x808080, 0xFFFFFF};
  struct Case {
    bool held, disabled, highContrast;
    const SystemColours& system;
    RowColours expected;
  };
  for (const Case& c : {
           Case{true, false, false, black, {kHeldRowRed, std::nullopt}},
           Case{false, true, false, black, {0x3FF23F, std::nullopt}},
           Case{true, true, false, blind, {0x808080, std::nullopt}},  // switched off wins
           Case{false, false, false, black, {}},
           Case{true, false, true, black, {0x00FFFF, 0x000000}},
           Case{false, true, true, black, {0x3FF23F, 0x000000}},
           Case{true, true, true, black, {0x3FF23F, 0x000000}},
           Case{true, false, true, blind, {0x000000, 0xFFFFFF}},
           Case{false, false, true, black, {}},  // ordinary rows keep the list's own
       }) {
    EXPECT_EQ(GridRowColours(c.held, c.disabled, c.highContrast, c.system), c.expected)
        << c.held << c.disabled << c.highContrast;
  }
}

}  // namespace
}  // namespace tarvek
