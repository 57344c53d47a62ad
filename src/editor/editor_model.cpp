#include "editor/editor_model.h"

#include <algorithm>

#include "core/actions.h"
#include "core/hotkey_table.h"
#include "core/input/key_press.h"
#include "core/validation.h"

namespace tarvek {

namespace {

// The modifier boxes' items, by their place in the list.
constexpr int kCtrlItem = 1;
constexpr int kAltItem = 2;
constexpr int kShiftItem = 3;
constexpr int kWinItem = 4;

bool Offers(int index, std::string_view name) {
  auto has = [name](const auto& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  return index == kEditorBaseKeyBox ? has(KeyNames()) : has(ModifierNames());
}

std::string AsciiLower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

}  // namespace

const std::array<std::string_view, kEditorNamedActions + 1>& EditorTargetList() {
  static const std::array<std::string_view, kEditorNamedActions + 1> items = {
      "使用即拖即存",        "打开我的电脑", "打开浏览器",     "清空回收站",
      "关闭计算机",          "重新启动算机", "注销",           "打开\\关闭光驱",
      "隐藏\\显示当前窗口",  "关闭当前窗口", "最小化当前窗口", "最大化当前窗口",
      action_name::kTypeText};
  return items;
}

const std::array<std::string_view, 13>& EditorSampleNames() {
  static const std::array<std::string_view, 13> names = {
      "我的文件夹", "我的记事本", "精彩网站", "经典音乐", "朋友的信箱", "我的计算器", "家庭影院",
      "听音乐",     "程序设计之", "学习英语", "文件排版", "浏览图象",   "系统维护"};
  return names;
}

std::string SuggestedName(std::string_view target) {
  // A text to type says nothing of what it is for: the user names it.
  if (target == action_name::kTypeText) return {};
  // The base name lies strictly between the last "\" and the last "."; a "." inside a folder
  // name (before the last "\") gives none.
  std::size_t slash = target.rfind('\\');
  std::size_t dot = target.rfind('.');
  std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  std::string base;
  if (dot != std::string_view::npos && dot >= start) base = target.substr(start, dot - start);

  if (target.find('@') != std::string_view::npos) return "朋友的信箱";
  if (base.empty()) return "我的文件夹";
  if (CountOccurrences(target, ".") >= 2) return "经典网站";
  static const std::array<std::pair<std::string_view, std::string_view>, 6> programs = {{
      {"calc", "我的计算器"},
      {"notepad", "我的记事本"},
      {"word", "文件排版"},
      {"shtvcd", "家庭影院"},
      {"shtdvd", "家庭影院"},
      {"winamp", "听音乐"},
  }};
  std::string lower = AsciiLower(base);
  for (const auto& [program, name] : programs) {
    if (lower == program) return std::string(name);
  }
  return base;
}

EditorModel::EditorModel(GridPort& grid, DialogPort& dialogs,
                         std::function<void()> reregisterAllHotkeys)
    : grid_(grid),
      defaultDialogs_(dialogs),
      dialogs_(&dialogs),
      reregisterAllHotkeys_(std::move(reregisterAllHotkeys)),
      boxes_{std::string(ModifierNames()[0]), std::string(ModifierNames()[0]), "A"},
      names_(EditorSampleNames().begin(), EditorSampleNames().end()),
      title_(kEditorTitle) {}

const std::string& EditorModel::Box(int index) const {
  static const std::string none;
  return index >= 0 && index < kEditorKeyBoxes ? boxes_[index] : none;
}

EditorFocus EditorModel::TakeFocusRequest() {
  EditorFocus focus = focus_;
  focus_ = EditorFocus::kNone;
  return focus;
}

void EditorModel::Changed() {
  if (onChanged) onChanged();
}

void EditorModel::SetBox(int index, std::string_view name) {
  // A name the box does not offer leaves it with no item chosen, for the user to choose one.
  boxes_[index] = Offers(index, name) ? std::string(name) : std::string();
  applyEnabled_ = true;
}

void EditorModel::BuiltInActionTest() {
  // A built-in action's name is the binding's name too, and the name box is locked to it.
  nameEnabled_ = true;
  const auto& list = EditorTargetList();
  for (auto action = list.begin(); action != list.begin() + kEditorNamedActions; ++action) {
    if (target_ == *action) {
      name_ = target_;
      nameEnabled_ = false;
      return;
    }
  }
}

void EditorModel::SetTarget(const std::string& text) {
  target_ = text;
  BuiltInActionTest();
}

void EditorModel::Shown() {
  appliedCount_ = 0;
  replaced_.reset();
  focus_ = EditorFocus::kModifier0;
  applyEnabled_ = false;
  okEnabled_ = false;
  visible_ = true;
  Changed();
}

bool EditorModel::ChooseKey(int index, std::string_view name) {
  if (index < 0 || index >= kEditorKeyBoxes || !Offers(index, name)) return false;
  SetBox(index, name);
  Changed();
  return true;
}

bool EditorModel::KeyDown(int index, int keyCode, int shiftState) {
  if (index == kEditorBaseKeyBox) {
    // Keys that type a character choose by it, and the list's own keys move in it, as in any
    // drop-down list; with Alt a key keeps its system role (Alt + F4 closes the window).
    const std::string_view name = KeyChosenByPress(keyCode);
    if (name.empty() || (shiftState & kAltState) != 0) return false;
    return ChooseKey(index, name);
  }
  if (index < 0 || index > kEditorBaseKeyBox) return false;
  // A modifier held alone is taken as the box's choice, and the focus moves on to the next
  // box; two modifiers held at once leave the box alone.
  const EditorFocus next = index == 0 ? EditorFocus::kModifier1 : EditorFocus::kKey;
  bool taken = false;
  bool swallowed = false;
  auto take = [&](int item) {
    SetBox(index, ModifierNames()[item]);
    focus_ = next;
    taken = true;
  };
  if (shiftState == kShiftState) take(kShiftItem);
  if (shiftState == kCtrlState) take(kCtrlItem);
  if (shiftState == kAltState) {
    take(kAltItem);
    keyCode = 0;  // the press goes no further: Alt must not open the menu
    swallowed = true;
  }
  if (IsWinKey(keyCode)) take(kWinItem);  // the left or the right one
  if (taken) Changed();
  return swallowed;
}

bool EditorModel::KeyUp(int index, int keyCode, int shiftState) {
  return index == kEditorBaseKeyBox && keyCode == kPrintScreenCode &&
         KeyDown(index, keyCode, shiftState);
}

bool EditorModel::TakesWinKey(int index, int keyCode) {
  return index >= 0 && index < kEditorBaseKeyBox && IsWinKey(keyCode);
}

void EditorModel::TargetEdited(const std::string& text) {
  SetTarget(text);
  applyEnabled_ = true;
  Changed();
}

void EditorModel::TargetChosen(const std::string& text) {
  SetTarget(text);
  Changed();
}

void EditorModel::NameEdited(const std::string& text) {
  name_ = text;
  Changed();
}

void EditorModel::NameFocused() {
  // A name the user gave is never replaced.
  if (!target_.empty() && name_.empty()) name_ = SuggestedName(target_);
  applyEnabled_ = true;
  Changed();
}

void EditorModel::NameLostFocus() {
  if (name_.empty() || std::find(names_.begin(), names_.end(), name_) != names_.end()) return;
  names_.insert(names_.begin(), name_);
  Changed();
}

void EditorModel::SetAllowNoModifier(bool ticked) {
  allowNoModifier_ = ticked;
  Changed();
}

void EditorModel::SetCheckKeyInUse(bool ticked) {
  checkKeyInUse_ = ticked;
  Changed();
}

void EditorModel::FileChosen(const std::optional<std::string>& path) {
  if (path) {
    SetTarget(*path);
    applyEnabled_ = true;
  }
  focus_ = EditorFocus::kTarget;
  Changed();
}

std::string EditorModel::TipsText() {
  return "   1.如果你在被打开程序中输入一个正确的路径，那么将会打开路径所指向的文件夹。\r\n"
         "   2.如果你输入了一个信箱的名称那么你设定的热键会打开你的信箱。\r\n"
         "   3.如果你输入了一个网址，那么该热键回打开该网站。\r\n"
         "   4.如果你输入了一个非可执行文件，那么将会自动调用相应的程序打开.";
}

void EditorModel::Tips() {
  dialogs_->ShowMessageBox(TipsText(), std::string(kTipsTitle), kMbIconInformation | kMbOk);
  focus_ = EditorFocus::kTarget;
  Changed();
}

bool EditorModel::Apply() {
  // The title says what is going on while the validation's messages are up.
  title_ = kEditorApplyingTitle;
  Changed();
  // Each apply of an opening adds a row, the first of a change excepted, which replaces one.
  const bool replaces = handOver.EditorChangeMode && handOver.EditorRow >= kFirstBindingRow &&
                        handOver.EditorRow < grid_.Rows();
  if (!replaces && !RoomForBindings(grid_, 1, *dialogs_)) {
    title_ = kEditorTitle;
    Changed();
    return false;
  }
  ComposeInput input;
  input.m1 = boxes_[0];
  input.m2 = boxes_[1];
  input.key = boxes_[kEditorBaseKeyBox];
  input.target = target_;
  input.name = name_;
  input.allowNoModifier = allowNoModifier_;
  input.checkKeyInUse = checkKeyInUse_;
  input.changeMode = handOver.EditorChangeMode;
  input.editorRow = handOver.EditorRow;
  std::optional<RowCells> cells = ComposeHotkeyCells(input, grid_, *dialogs_);
  if (!cells) {
    // The boxes keep what was refused, for the user to correct.
    title_ = kEditorTitle;
    Changed();
    return false;
  }

  EditorOptionsChange optionsChange{false, {}, {}, (*cells)[0], (*cells)[1], options_};
  if (handOver.EditorChangeMode) {
    // Only the first apply of a change replaces; the rest of the opening adds.
    int row = handOver.EditorRow;
    optionsChange.replaces = row >= kFirstBindingRow && row < grid_.Rows();
    optionsChange.fromModifier = grid_.Cell(row, 0);
    optionsChange.fromKey = grid_.Cell(row, 1);
    if (row >= kFirstBindingRow && row < grid_.Rows()) {
      replaced_ = ReplacedRow{
          row,
          {grid_.Cell(row, 0), grid_.Cell(row, 1), grid_.Cell(row, 2), grid_.Cell(row, 3)},
          grid_.RowHeld(row),
          grid_.RowDisabled(row),
          grid_.RowNote(row),
          grid_.RowSlot(row)};
      grid_.RemoveRow(row);
    }
    handOver.EditorChangeMode = false;
  }
  // The new binding goes to the top; it has no slot until OK reloads the list.
  grid_.AddRowCells(*cells, kFirstBindingRow);
  optionChanges_.push_back(std::move(optionsChange));
  options_ = LaunchOptions{};  // the next binding starts with none

  boxes_ = {std::string(ModifierNames()[0]), std::string(ModifierNames()[0]),
            std::string(KeyNames()[0])};
  SetTarget(std::string());
  name_.clear();
  applyEnabled_ = false;
  title_ = kEditorTitle;
  okEnabled_ = true;
  ++appliedCount_;
  focus_ = EditorFocus::kTarget;
  Changed();
  return true;
}

void EditorModel::Ok() {
  // The applies keep within the limit; should rows have come in another way, nothing is saved
  // that the reload would cut short.
  if (!RoomForBindings(grid_, 0, *dialogs_)) return;
  focus_ = EditorFocus::kTarget;
  title_ = kEditorSavingTitle;
  Changed();
  KeepOptionChanges();
  if (reregisterAllHotkeys_) reregisterAllHotkeys_();
  replaced_.reset();
  visible_ = false;
  title_ = kEditorTitle;
  Changed();
}

void EditorModel::SetOptions(const LaunchOptions& options) {
  if (options == options_) return;
  options_ = options;
  applyEnabled_ = true;
  Changed();
}

void EditorModel::KeepOptionChanges() {
  std::vector<EditorOptionsChange> changes = std::move(optionChanges_);
  optionChanges_.clear();
  options_ = LaunchOptions{};
  if (onOptionsApplied && !changes.empty()) onOptionsApplied(changes);
}

void EditorModel::Cancel() {
  focus_ = EditorFocus::kTarget;
  optionChanges_.clear();
  options_ = LaunchOptions{};
  // Every apply of this opening inserted at row 2, so the newest is there.
  for (int i = 0; i < appliedCount_; ++i) grid_.RemoveRow(kFirstBindingRow);
  if (replaced_) {
    // The replaced binding is still registered and in the list file: it comes back as it was,
    // so that the grid keeps showing what is registered.
    grid_.AddRowCells(replaced_->cells, replaced_->row);
    grid_.MarkRowHeld(replaced_->row, replaced_->held);
    grid_.MarkRowDisabled(replaced_->row, replaced_->disabled);
    grid_.SetRowNote(replaced_->row, replaced_->note);
    grid_.SetRowSlot(replaced_->row, replaced_->slot);
    replaced_.reset();
  }
  visible_ = false;
  Changed();
}

void EditorModel::Close() {
  KeepOptionChanges();  // the rows stay, and so do their options
  visible_ = false;
  Changed();
}

void EditorModel::FillFromRow(int row) {
  // Column 0 holds "无", one modifier, or two joined by " + ".
  std::string modifiers = grid_.Cell(row, 0);
  std::string m1 = modifiers;
  std::string m2(ModifierNames()[0]);
  std::size_t plus = modifiers.find('+');
  if (plus != std::string::npos) {
    m1 = plus >= 1 ? modifiers.substr(0, plus - 1) : std::string();
    m2 = plus + 2 <= modifiers.size() ? modifiers.substr(plus + 2) : std::string();
  }
  SetBox(0, m1);
  SetBox(1, m2);
  SetBox(kEditorBaseKeyBox, grid_.Cell(row, 1));
  name_ = grid_.Cell(row, 2);
  SetTarget(grid_.Cell(row, 3));  // as if typed: a built-in action locks the name
  options_ = optionsOf ? optionsOf(grid_.Cell(row, 0), grid_.Cell(row, 1)) : LaunchOptions{};
  applyEnabled_ = true;
  handOver.EditorRow = row;
  handOver.EditorChangeMode = true;
  Changed();
}

void EditorModel::SetTargetForDrop(const std::string& path) { TargetEdited(path); }

}  // namespace tarvek
