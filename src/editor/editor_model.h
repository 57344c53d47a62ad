// The hotkey editor "热键设置" without its window: what its boxes, lists, buttons and title
// show, and what each of its events does to them and to the grid. The dialog draws this model
// and forwards the user's actions to it; it decides nothing of its own.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/grid.h"
#include "core/launch/launch_options.h"
#include "core/input/key_press.h"
#include "core/ports.h"

namespace tarvek {

// What the main window hands over before it opens the editor.
struct EditorHandOver {
  bool EditorChangeMode = false;  // true: the opening replaces the binding in EditorRow
  int EditorRow = 0;              // its grid row (2 or more); read only in change mode
};

// What an apply did with a binding's launch options: the options the editor held for it, and
// the combination they belong to now; for the apply that replaced a binding, also the one they
// belonged to before.
struct EditorOptionsChange {
  bool replaces = false;
  std::string fromModifier, fromKey;
  std::string modifier, key;
  LaunchOptions options;
};

// The control the view should give the keyboard focus to next.
enum class EditorFocus { kNone, kModifier0, kModifier1, kKey, kTarget, kName };

// Combo1(0) and Combo1(1) hold modifier names, Combo1(2) the base key.
inline constexpr int kEditorKeyBoxes = 3;
inline constexpr int kEditorBaseKeyBox = 2;

// Modifier states of a key press as the key boxes receive them, summed.
inline constexpr int kShiftState = 1;
inline constexpr int kCtrlState = 2;
inline constexpr int kAltState = 4;

inline constexpr std::string_view kEditorTitle = "添加热键";
inline constexpr std::string_view kEditorApplyingTitle = "正在添加热键...";
inline constexpr std::string_view kEditorSavingTitle = "正在保存热键....";
inline constexpr std::string_view kTipsTitle = "选择程序的小技巧";
// The file chooser behind "...": one file type that shows every file.
inline constexpr std::string_view kFileChooserTitle = "选择你要调用的一个文件：";
inline constexpr std::string_view kFileChooserFilterName = "所有文件";

// The target box's list: the built-in actions, by the names they run under, then "输入文本".
// The twelve actions lock the name box to their own name; a binding that types a text is named
// by the user, so that a list may hold many.
inline constexpr std::size_t kEditorNamedActions = 12;
const std::array<std::string_view, kEditorNamedActions + 1>& EditorTargetList();
// The name box's list as it starts; names the user types are added to it while the program runs.
const std::array<std::string_view, 13>& EditorSampleNames();

class EditorModel {
 public:
  // reregisterAllHotkeys saves the grid, reloads it and registers every binding (OK). The
  // dialogs port shows the validation messages and the tips.
  EditorModel(GridPort& grid, DialogPort& dialogs, std::function<void()> reregisterAllHotkeys);

  // What the dialog shows.
  const std::string& Box(int index) const;  // Combo1(index): "无", a modifier or a key name
  const std::string& Target() const { return target_; }  // Combo2
  const std::string& Name() const { return name_; }      // Combo3
  const std::vector<std::string>& NameList() const { return names_; }
  bool NameEnabled() const { return nameEnabled_; }
  bool AllowNoModifier() const { return allowNoModifier_; }  // Check2 "允许不使用辅助键"
  bool CheckKeyInUse() const { return checkKeyInUse_; }  // Check1, the conflict check
  bool ApplyEnabled() const { return applyEnabled_; }    // "应用 &A"
  bool OkEnabled() const { return okEnabled_; }          // "确定 &C"
  const std::string& Title() const { return title_; }
  bool Visible() const { return visible_; }
  int AppliedCount() const { return appliedCount_; }
  EditorFocus FocusRequest() const { return focus_; }
  // The focus request, handed to the view once.
  EditorFocus TakeFocusRequest();

  // Set by the main window's add, change and drop commands.
  EditorHandOver handOver;

  // Each time the dialog is shown (not when it gets the focus back from its own message
  // boxes): nothing applied yet, Apply and OK disabled, focus in the first modifier box.
  void Shown();
  // An item chosen in key box index, by the user or by code: enables Apply. False, and
  // nothing changes, when the box does not offer the name.
  bool ChooseKey(int index, std::string_view name);
  // A key went down in key box index with this modifier state. The modifier boxes take the
  // modifier held alone and pass the focus on; the base-key box chooses a key that types no
  // character by its name (F13, 音量+, Delete), unless Alt is held. True when the press must go
  // no further (Alt, so that it does not open the menu; a key the base-key box took).
  bool KeyDown(int index, int keyCode, int shiftState);
  // A key went up: PrintScreen, which the system often lets through only on its way up, is
  // taken by the base-key box then. True when the release must go no further.
  bool KeyUp(int index, int keyCode, int shiftState);
  // Whether that press is a Win key a modifier box takes: when it goes up, the shell would open
  // the Start menu unless it saw another key with it.
  static bool TakesWinKey(int index, int keyCode);
  // The target text changed, typed or set by code: the built-in action test, then Apply.
  void TargetEdited(const std::string& text);
  // An item of the target list was chosen: the built-in action test only.
  void TargetChosen(const std::string& text);
  void NameEdited(const std::string& text);
  // The name box got the focus: an empty name gets a suggestion from the target; Apply.
  void NameFocused();
  // The name box lost the focus: a new name goes to the top of the name list.
  void NameLostFocus();
  void SetAllowNoModifier(bool ticked);
  void SetCheckKeyInUse(bool ticked);
  // What "..." returned: the chosen path, or nothing when it was cancelled.
  void FileChosen(const std::optional<std::string>& path);
  // "选择程序的小技巧": the tips in a message box.
  void Tips();
  static std::string TipsText();

  // "应用 &A": validates the boxes and, when they pass, puts the binding at the top of the
  // bindings and empties the boxes for the next one. False when refused (a message was shown),
  // among others when it would add a binding to a grid that holds as many as the table has slots.
  bool Apply();
  // "确定 &C": saves and registers the grid as the applies left it, and hides; refused (with a
  // message, the dialog staying open) when the grid holds more bindings than the table has slots.
  void Ok();
  // "取消 &C" and Esc: takes this opening's rows out of the grid again, puts back the row a
  // change replaced, and hides.
  void Cancel();
  // The window closed by its title bar: hides, leaving the grid as the applies left it.
  void Close();
  // The dialog's own message boxes, so that they stay in front of it; none: the ones given at
  // construction again.
  void UseDialogs(DialogPort* dialogs) { dialogs_ = dialogs != nullptr ? dialogs : &defaultDialogs_; }

  // The change command: the boxes get the binding in this grid row, which the opening then
  // replaces.
  void FillFromRow(int row);
  // A file dropped on the main window becomes the target, as if typed.
  void SetTargetForDrop(const std::string& path);
  // The add command, after the editor closed.
  void ResetAppliedCount() { appliedCount_ = 0; }

  // Told after any change of what the dialog shows; the dialog redraws from the model.
  std::function<void()> onChanged;

  // The launch options of the binding in the boxes, as "启动选项" set them: the defaults for a
  // new binding, the binding's own for a change.
  const LaunchOptions& Options() const { return options_; }
  // "启动选项" confirmed: a change of them is a change to apply.
  void SetOptions(const LaunchOptions& options);
  // The options a binding of the list has, for a change.
  std::function<LaunchOptions(const std::string& modifierText, const std::string& keyText)> optionsOf;
  // The applies of this opening, told when they are kept (OK, or the window closed by its
  // title bar) before anything is saved.
  std::function<void(const std::vector<EditorOptionsChange>&)> onOptionsApplied;

 private:
  // The binding row a change removed, kept until the opening ends, so that Cancel can put it
  // back where it was: its texts, its marks, its note and its slot.
  struct ReplacedRow {
    int row = 0;
    RowCells cells;
    bool held = false;
    bool disabled = false;
    std::string note;
    int slot = -1;
  };

  void SetBox(int index, std::string_view name);
  void SetTarget(const std::string& text);
  void BuiltInActionTest();
  void Changed();

  GridPort& grid_;
  DialogPort& defaultDialogs_;
  DialogPort* dialogs_;
  std::function<void()> reregisterAllHotkeys_;
  std::array<std::string, kEditorKeyBoxes> boxes_;
  std::string target_;
  std::string name_;
  std::vector<std::string> names_;
  bool nameEnabled_ = true;
  bool allowNoModifier_ = false;
  bool checkKeyInUse_ = true;
  bool applyEnabled_ = false;
  bool okEnabled_ = true;
  std::string title_;
  bool visible_ = false;
  int appliedCount_ = 0;
  EditorFocus focus_ = EditorFocus::kNone;
  std::optional<ReplacedRow> replaced_;
  LaunchOptions options_;
  std::vector<EditorOptionsChange> optionChanges_;  // this opening's applies
  void KeepOptionChanges();
};

// The name the name box suggests for a target: its file's base name, or a sample name for a
// mail address, a folder, a web address and a few well-known programs; none for a text to type.
std::string SuggestedName(std::string_view target);

}  // namespace tarvek
