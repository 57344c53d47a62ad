// The drag-and-save pad's text rules and its model, with a fake window, fake files and the GBK
// code page a Simplified Chinese system has.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/files/text_encoding.h"
#include "pad/pad_model.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::RecordingSystem;
using Texts = std::vector<std::string>;

const KeepGoing kNoStop = [] { return true; };

std::string Gbk(const std::string& utf8) { return *testing::Utf8ToGbk(utf8); }

// --- Text rules -------------------------------------------------------------------------------

TEST(PadText, CountsCharactersAnsiBytesAndBlanks) {
  RecordingSystem codec;
  auto message = [&](const std::string& text) {
    return PadCountMessage(*CountPadText(text, codec, kNoStop));
  };
  EXPECT_EQ(message(""), "共 0个字, 0个字节.\r\n其中空格 0个.");
  EXPECT_EQ(message("ab c"), "共 4个字, 4个字节.\r\n其中空格 1个.");
  // A Chinese character is one character and two bytes on code page 936; CR LF is two of each.
  EXPECT_EQ(message("中文 a\r\n"), "共 6个字, 8个字节.\r\n其中空格 1个.");
  // A character the code page lacks is counted as the conversion writes it, one "?" per
  // UTF-16 unit; the rest keep their own length.
  EXPECT_EQ(message("中😀 "), "共 4个字, 5个字节.\r\n其中空格 1个.");
  // Blanks are counted over the whole of a long text, across the loop's chunks.
  std::string longText(3 * kPadYieldEvery + 5, ' ');
  EXPECT_EQ(CountPadText(longText, codec, kNoStop)->blanks, longText.size());
}

TEST(PadText, TidyDropsOneBlankAfterEachLessThan) {
  auto tidy = [](const std::string& text) { return *TidyPadText(text, kNoStop); };
  EXPECT_EQ(tidy("<a href> < b"), "<a href> <b");
  EXPECT_EQ(tidy("<  b"), "< b");  // the second blank follows a blank, not "<"
  EXPECT_EQ(tidy("中< 文 <\r\n "), "中<文 <\r\n ");
  EXPECT_EQ(tidy("没有小于号 的 文本"), "没有小于号 的 文本");
  EXPECT_EQ(tidy(""), "");
}

// --- Text files -------------------------------------------------------------------------------

std::string Utf16(const std::string& utf8, bool bigEndian) {
  return (bigEndian ? "\xFE\xFF" : "\xFF\xFE") +
         *testing::Recode(bigEndian ? "UTF-16BE" : "UTF-16LE", "UTF-8", utf8);
}

// Reads the bytes into the text and form; an exact reading writes the same bytes back, and any
// text written in its form reads back as that text.
void CheckRead(const std::string& bytes, const std::string& text, PadFileForm form,
               bool exact = true, unsigned codePage = 936) {
  SCOPED_TRACE(::testing::PrintToString(bytes));
  RecordingSystem codec;
  codec.ansiCodePage = codePage;
  PadFileText read = *ReadPadFile(bytes, codec, kNoStop);
  EXPECT_EQ(read.text, text);
  EXPECT_EQ(read.form, form);
  EXPECT_EQ(read.exact, exact);
  std::string written = *WritePadFile(read.text, read.form, codec, kNoStop);
  if (exact) {
    EXPECT_EQ(written, bytes);
  }
  EXPECT_EQ(ReadPadFile(written, codec, kNoStop)->text, text);
}

TEST(PadText, ReadsEachEncodingAndLineEndAndWritesThemBack) {
  using E = PadEncoding;
  using L = PadLineEnd;
  CheckRead("", "", {});
  CheckRead(Gbk("中文\r\nabc\r\n"), "中文\r\nabc\r\n", {E::kAnsi, L::kCrLf, true});
  // Notepad's UTF-8 without mark; the last line without a line end.
  CheckRead("纯中文一行\r\n第二行", "纯中文一行\r\n第二行\r\n", {E::kUtf8, L::kCrLf, false});
  CheckRead("\xEF\xBB\xBF中\n文\n", "中\r\n文\r\n", {E::kUtf8Mark, L::kLf, true});
  CheckRead(Utf16("中😀\r\nx", false), "中😀\r\nx\r\n", {E::kUtf16Le, L::kCrLf, false});
  CheckRead(Utf16("a\rb\n\r", true), "a\r\nb\n\r\n", {E::kUtf16Be, L::kCr, true});
  // A lone LF stays inside its line where the file has CRs; where it has none, it ends lines.
  CheckRead("a\nb\r\n", "a\nb\r\n", {E::kAnsi, L::kCrLf, true});
  CheckRead("a\nb", "a\r\nb\r\n", {E::kAnsi, L::kLf, false});
  CheckRead("\r\r\n\n", "\r\n\r\n\n\r\n", {E::kAnsi, L::kCrLf, false}, false);
  // What writing cannot give back: both CR LF and lone CR, a NUL, bytes the encoding lacks.
  CheckRead(Gbk("一\r\n二\r三"), "一\r\n二\r\n三\r\n", {E::kAnsi, L::kCrLf, false}, false);
  CheckRead(std::string("a\0b", 3), "a b\r\n", {E::kAnsi, L::kCrLf, false}, false);
  CheckRead(std::string("\xFE\xFF\x4E\x2D\xD8\x3D", 6), "中\xEF\xBF\xBD\r\n",
            {E::kUtf16Be, L::kCrLf, false}, false);
  // GBK on a system whose code page is UTF-8 is saved as UTF-8 with the mark.
  CheckRead(Gbk("中文"), "中文\r\n", {E::kUtf8Mark, L::kCrLf, false}, false, 65001);
  // A file of several pieces: a CR LF cut between two pieces is still one line end.
  std::string big(3u << 20, 'x');
  big[1u << 20] = '\r';
  big[(1u << 20) + 1] = '\n';
  big += "\r\n";
  CheckRead(big, big, {E::kAnsi, L::kCrLf, true});
}

TEST(PadText, WritesTheFormUnlessTheTextNoLongerFits) {
  RecordingSystem codec;
  auto write = [&](const std::string& text, PadEncoding encoding) {
    return *WritePadFile(text, {encoding, PadLineEnd::kCrLf, true}, codec, kNoStop);
  };
  EXPECT_EQ(write("中文\r\n", PadEncoding::kAnsi), Gbk("中文\r\n"));
  EXPECT_EQ(write("中😀", PadEncoding::kAnsi), "\xEF\xBB\xBF中😀");
  // GBK bytes that a reading would take for UTF-8 ("鎴戠殑" is "我的" in UTF-8).
  EXPECT_EQ(write("鎴戠殑", PadEncoding::kAnsi), "\xEF\xBB\xBF鎴戠殑");
  EXPECT_EQ(write("中é", PadEncoding::kUtf8), "中é");
  // Without a wide character, UTF-8 without mark would be read as GBK.
  EXPECT_EQ(write("café", PadEncoding::kUtf8), "\xEF\xBB\xBF" "café");
  EXPECT_EQ(write("abc", PadEncoding::kUtf8), "abc");
  EXPECT_EQ(write("😀", PadEncoding::kUtf16Le), Utf16("😀", false));
}

// Real GBK text is read as GBK, and the same text in UTF-8 without mark as UTF-8, alone and all
// in one file.
TEST(PadText, GbkAndUtf8WithoutMarkAreToldApartOnACorpus) {
  RecordingSystem codec;
  std::vector<std::string> texts = testing::GbkCorpus();
  std::string all;
  for (const std::string& text : texts) all += text + "\r\n";
  texts.push_back(all);
  std::vector<std::string> misread;
  for (const std::string& text : texts) {
    PadFileText gbk = *ReadPadFile(Gbk(text), codec, kNoStop);
    PadFileText utf8 = *ReadPadFile(text, codec, kNoStop);
    // UTF-8 of two-byte characters only is taken for GBK, as in the lists.
    bool wide = CheckUtf8(text).wide;
    if (gbk.form.encoding != PadEncoding::kAnsi || !gbk.text.starts_with(text) ||
        (wide && (utf8.form.encoding != PadEncoding::kUtf8 || !utf8.text.starts_with(text)))) {
      misread.push_back(text);
    }
  }
  EXPECT_EQ(misread, std::vector<std::string>{});
}

TEST(PadText, ADropJoinsWithCrLfInFrontOrAfter) {
  EXPECT_EQ(CombineDrop("", "新", false), "新\r\n");
  EXPECT_EQ(CombineDrop("", "新", true), "\r\n新");
  EXPECT_EQ(CombineDrop("旧", "新", false), "新\r\n旧");
  EXPECT_EQ(CombineDrop("旧", "新", true), "旧\r\n新");
  EXPECT_TRUE(IsTextFilePath("C:\\a\\Notes.TXT"));
  EXPECT_TRUE(IsTextFilePath(".txt"));
  EXPECT_FALSE(IsTextFilePath("C:\\a\\photo.png"));
  EXPECT_FALSE(IsTextFilePath("C:\\a\\txt"));
  EXPECT_FALSE(IsTextFilePath("C:\\a.txt.bak"));
}

TEST(PadText, LongLoopsLetTheWindowRunAndStopWhenAsked) {
  RecordingSystem codec;
  int calls = 0;
  KeepGoing counting = [&] { return ++calls < 3; };
  std::string text(10 * kPadYieldEvery, 'x');
  EXPECT_EQ(TidyPadText(text, counting), std::nullopt);
  EXPECT_EQ(calls, 3);
  calls = 0;
  std::string big(5u << 20, 'x');
  EXPECT_EQ(ReadPadFile(big, codec, counting), std::nullopt);
  EXPECT_EQ(calls, 3);
}

TEST(PadText, WordBreaksAfterBlanksAndAroundChineseButNeverBeforeClosingPunctuation) {
  auto at = [](std::u16string_view text, int index, PadWordBreak action) {
    return PadWordBreakAt(text.data(), index, static_cast<int>(text.size()), action);
  };
  const std::u16string latin = u"ab cd  ef";
  // Left: the start of the word before the position, never the position itself.
  EXPECT_EQ(at(latin, 9, PadWordBreak::kLeft), 7);
  EXPECT_EQ(at(latin, 7, PadWordBreak::kLeft), 3);
  EXPECT_EQ(at(latin, 3, PadWordBreak::kLeft), 0);
  EXPECT_EQ(at(latin, 0, PadWordBreak::kLeft), 0);
  // Right: the next word's start after the character before the position, or the end.
  EXPECT_EQ(at(latin, 1, PadWordBreak::kRight), 3);
  EXPECT_EQ(at(latin, 3, PadWordBreak::kRight), 3);  // the caret on the blank goes to "cd"
  EXPECT_EQ(at(latin, 4, PadWordBreak::kRight), 7);
  EXPECT_EQ(at(latin, 8, PadWordBreak::kRight), 9);
  EXPECT_EQ(at(latin, 2, PadWordBreak::kIsDelimiter), 1);
  EXPECT_EQ(at(latin, 1, PadWordBreak::kIsDelimiter), 0);
  EXPECT_EQ(at(latin, 9, PadWordBreak::kIsDelimiter), 0);  // past the end reads nothing

  // Each Chinese character stands alone; "，" and "。" stay with what they close.
  const std::u16string chinese = u"这是abc，测试。";
  EXPECT_EQ(at(chinese, 9, PadWordBreak::kLeft), 7);  // not before "。" (8)
  EXPECT_EQ(at(chinese, 6, PadWordBreak::kLeft), 2);  // not before "，" (5)
  EXPECT_EQ(at(chinese, 2, PadWordBreak::kLeft), 1);
  EXPECT_EQ(at(chinese, 3, PadWordBreak::kRight), 6);
  // CR LF is a word of its own: Ctrl+Right stops at a line's end, then at the next line.
  const std::u16string lines = u"ab\r\ncd";
  EXPECT_EQ(at(lines, 1, PadWordBreak::kRight), 2);
  EXPECT_EQ(at(lines, 3, PadWordBreak::kRight), 4);
  EXPECT_EQ(at(lines, 6, PadWordBreak::kLeft), 4);
  EXPECT_EQ(at(lines, 4, PadWordBreak::kLeft), 2);
  // A surrogate pair is never split; nothing is read without a text.
  const std::u16string rare = u"\U00020000\U00020001";
  EXPECT_EQ(at(rare, 3, PadWordBreak::kLeft), 0);
  EXPECT_EQ(PadWordBreakAt(nullptr, 3, 5, PadWordBreak::kLeft), 0);
}

TEST(PadText, LayoutFollowsTheWindowAndSkipsWhatWouldGoNegative) {
  // The window as made: outer 4685 x 5170 gives the places of the control table.
  PadLayout made = LayOutPad(4685, 5170, {});
  EXPECT_EQ(made.textWidth, 4335);
  EXPECT_EQ(made.textHeight, 2655);
  EXPECT_EQ(made.frameTop, 2870);
  EXPECT_EQ(made.buttonsLeft, 3240);
  PadLayout wider = LayOutPad(6350, 6000, made);
  EXPECT_EQ(wider, (PadLayout{6000, 3485, 3700, 6000, 6000, 4905}));
  // Too low for the text box: its height stays, the rest still follows the width.
  PadLayout low = LayOutPad(2000, 2000, wider);
  EXPECT_EQ(low, (PadLayout{1650, 3485, 3700, 1650, 1650, 555}));
}

// --- The model --------------------------------------------------------------------------------

class FakePadView : public PadView {
 public:
  explicit FakePadView(Texts& calls) : calls_(calls) {}
  std::string text;
  std::string title = "即拖即存";
  bool refuseText = false;                        // the text box takes no new text
  std::deque<std::optional<std::string>> chosen;  // answers of the file dialog, in order
  std::function<bool()> onKeepResponsive;

  std::string Text() override { return text; }
  bool SetText(const std::string& value) override {
    if (refuseText && !value.empty()) return false;
    text = value;
    return true;
  }
  void SetTitle(const std::string& value) override { title = value; }
  void ShowBusy(bool on) override { calls_.push_back(on ? "Busy on" : "Busy off"); }
  void SetTopmost(bool on) override { calls_.push_back(on ? "Topmost" : "NotTopmost"); }
  void FocusText() override { calls_.push_back("FocusText"); }
  void Hide() override { calls_.push_back("Hide"); }
  bool KeepResponsive() override { return onKeepResponsive ? onKeepResponsive() : true; }
  std::optional<std::string> ChooseFile(bool save, const std::string& current) override {
    calls_.push_back(std::string(save ? "ChooseSave " : "ChooseOpen ") + current);
    std::optional<std::string> answer;
    if (!chosen.empty()) {
      answer = chosen.front();
      chosen.pop_front();
    }
    return answer;
  }

 private:
  Texts& calls_;
};

class FakePadFiles : public PadFilePort {
 public:
  explicit FakePadFiles(Texts& calls) : calls_(calls) {}
  std::map<std::string, std::string> files;
  std::set<std::string> locked;  // neither read nor written
  bool FileExists(const std::string& path) override { return files.count(path) != 0; }
  Read ReadFile(const std::string& path, std::size_t maxBytes, std::string& bytes) override {
    calls_.push_back("Read " + path);
    auto it = files.find(path);
    if (it == files.end() || locked.count(path) != 0) return Read::kFailed;
    if (it->second.size() > maxBytes) return Read::kTooLarge;
    bytes = it->second;
    return Read::kOk;
  }
  bool ReplaceFile(const std::string& path, const std::string& bytes) override {
    calls_.push_back("Write " + path);
    if (locked.count(path) != 0) return false;
    files[path] = bytes;
    return true;
  }

 private:
  Texts& calls_;
};

class PadModelTest : public ::testing::Test {
 protected:
  PadModelTest() { model.Created(); }

  // What the model did besides the message boxes, then the boxes as "title|text".
  Texts Calls() {
    Texts out;
    for (const std::string& call : system.calls) {
      std::size_t t = call.find("] [");
      out.push_back(call.rfind("MessageBox [", 0) == 0
                        ? call.substr(t + 3, call.rfind(']') - t - 3) + "|" +
                              call.substr(12, t - 12)
                        : call);
    }
    system.calls.clear();
    return out;
  }
  void Typed(const std::string& text) {
    view.text = text;
    model.TextEdited();
  }

  RecordingSystem system;  // message boxes and the GBK code page
  FakePadView view{system.calls};
  FakePadFiles files{system.calls};
  bool saved = false;
  PadModel model{view, files, system, system, saved};
};

TEST_F(PadModelTest, ANewPadHasTheDefaultsAndNothingUnsaved) {
  EXPECT_TRUE(saved);
  EXPECT_EQ(model.Title(), "即拖即存");
  EXPECT_FALSE(model.options.clearBeforeDrop);
  EXPECT_TRUE(model.options.takeDrops);
  EXPECT_FALSE(model.options.textFilesOnly);
  EXPECT_FALSE(model.options.minimiseAfterShow);
  EXPECT_FALSE(model.options.addAfter);
  EXPECT_TRUE(model.CloseBoxAllowed());
  Typed("x");
  EXPECT_FALSE(saved);
  EXPECT_FALSE(model.CloseBoxAllowed());
}

TEST_F(PadModelTest, CountTidyClearAndCloseWithTheirFlag) {
  Typed("< 中 ");
  model.Count();
  EXPECT_EQ(Calls(), Texts{"即拖即存|共 4个字, 5个字节.\r\n其中空格 2个."});
  EXPECT_FALSE(saved);

  saved = true;  // as after a save: a tidy that changes nothing keeps it
  view.text = "abc";
  model.Tidy();
  EXPECT_TRUE(saved);
  view.text = "< x";
  model.Tidy();
  EXPECT_EQ(view.text, "<x");
  EXPECT_EQ(view.title, "即拖即存");  // back from "正在修正文件......"
  EXPECT_FALSE(saved);

  system.messageBoxAnswers = {kIdCancel, kIdOk};
  Calls();
  model.Clear();
  EXPECT_EQ(Calls(), Texts{"清空|文本框中的内容尚未保存，确实要清空吗?"});
  EXPECT_EQ(view.text, "<x");
  EXPECT_FALSE(saved);
  model.Clear();
  Calls();
  EXPECT_EQ(view.text, "");
  EXPECT_TRUE(saved);
  model.Clear();  // nothing unsaved: no question
  EXPECT_EQ(Calls(), Texts{});

  files.files["C:\\a.txt"] = "a";
  model.OpenFile("C:\\a.txt");
  Typed("changed");
  Calls();
  model.Close();  // no question; the current file is forgotten
  EXPECT_EQ(Calls(), (Texts{"FocusText", "Hide"}));
  EXPECT_EQ(view.text, "");
  EXPECT_EQ(view.title, "即拖即存");
  EXPECT_TRUE(saved);
}

TEST_F(PadModelTest, DropsJoinInFrontOrAfterAndLeaveTheTextUnsaved) {
  model.TakeDrop({std::nullopt, "拖来的"});
  EXPECT_EQ(view.text, "拖来的\r\n");
  EXPECT_EQ(Calls(), (Texts{"Busy on", "Busy off"}));
  EXPECT_FALSE(saved);
  model.options.addAfter = true;
  model.TakeDrop({std::nullopt, "后"});
  EXPECT_EQ(view.text, "拖来的\r\n\r\n后");

  view.text.clear();
  model.TakeDrop({std::nullopt, "x"});
  EXPECT_EQ(view.text, "\r\nx");
  model.options.clearBeforeDrop = true;
  model.TakeDrop({std::nullopt, "y"});
  EXPECT_EQ(view.text, "\r\ny");
}

TEST_F(PadModelTest, DroppedFilesByTheTextFilesOnlyOption) {
  files.files["C:\\d\\Notes.TXT"] = Gbk("第一行\r\n第二行");
  files.files["C:\\d\\photo.png"] = std::string("PNG\r\n\x1A\n\0\0", 9);
  // Off: any file is read as text and becomes the current file; the second file is ignored.
  model.TakeDrop({"C:\\d\\photo.png", std::nullopt});
  EXPECT_EQ(view.text, "PNG\r\n\x1A\n  \r\n\r\n");
  EXPECT_EQ(view.title, "C:\\d\\photo.png");
  Calls();

  model.options.textFilesOnly = true;
  view.text.clear();
  model.TakeDrop({"C:\\d\\photo.png", std::nullopt});  // its path, as text
  EXPECT_EQ(view.text, "C:\\d\\photo.png\r\n");
  EXPECT_EQ(Calls(), (Texts{"Busy on", "Busy off"}));
  view.text.clear();
  model.TakeDrop({"C:\\d\\Notes.TXT", std::nullopt});
  EXPECT_EQ(view.text, "第一行\r\n第二行\r\n\r\n");
  EXPECT_EQ(view.title, "C:\\d\\photo.png");  // the current file stays
}

TEST_F(PadModelTest, AFailedDropSaysSoFromUnderTheTopmostStateAndChangesNothing) {
  const Texts failure{"Busy on", "NotTopmost", "内部错误!|" + std::string(kDropFailedText),
                      "Topmost", "Busy off"};
  Typed("旧");
  model.TakeDrop({});  // neither files nor text
  EXPECT_EQ(Calls(), failure);
  model.TakeDrop({"C:\\missing.txt", std::nullopt});
  Texts expected = failure;
  expected.insert(expected.begin() + 1, "Read C:\\missing.txt");
  EXPECT_EQ(Calls(), expected);
  view.refuseText = true;
  model.TakeDrop({std::nullopt, "太长"});
  EXPECT_EQ(Calls(), failure);
  EXPECT_EQ(view.text, "旧");
  EXPECT_EQ(view.title, "即拖即存");

  // Emptying first happens before the drop fails.
  view.refuseText = false;
  model.options.clearBeforeDrop = true;
  model.TakeDrop({"C:\\missing.txt", std::nullopt});
  EXPECT_EQ(view.text, "");
  EXPECT_FALSE(saved);
}

TEST_F(PadModelTest, OpenSaveAndSaveAsWithTheirQuestionsAndFlag) {
  files.files["C:\\t\\三行.txt"] = Gbk("一\r\n二\r三");
  view.chosen = {std::nullopt, "C:\\t\\三行.txt", "C:\\t\\三行.txt"};
  Typed("未保存");
  model.Open();  // cancelled
  EXPECT_EQ(view.text, "未保存");
  model.Open();
  EXPECT_EQ(view.text, "一\r\n二\r\n三\r\n");
  EXPECT_EQ(view.title, "C:\\t\\三行.txt");
  EXPECT_TRUE(saved);
  Typed("改过");
  model.Open();  // the current file again: nothing happens
  EXPECT_EQ(view.text, "改过");
  Calls();

  // Save with a current file: no dialog, no question; in GBK, its last line still without a
  // line end.
  view.text = "一\r\n二\r\n三\r\n";
  model.Save();
  EXPECT_EQ(Calls(), (Texts{"Write C:\\t\\三行.txt", "FocusText"}));
  EXPECT_EQ(files.files["C:\\t\\三行.txt"], Gbk("一\r\n二\r\n三"));
  EXPECT_TRUE(saved);

  // Save as onto an existing file, Cancel: nothing written, caption and flag kept.
  Typed("新内容");
  view.chosen = {"C:\\t\\old.txt", "C:\\t\\old.txt"};
  files.files["C:\\t\\old.txt"] = "old";
  system.messageBoxAnswers = {kIdCancel, kIdOk};
  model.SaveAs();
  EXPECT_EQ(Calls(), (Texts{"ChooseSave C:\\t\\三行.txt",
                            "保存文件|文件C:\\t\\old.txt已经存在，要覆盖吗？", "FocusText"}));
  EXPECT_EQ(files.files["C:\\t\\old.txt"], "old");
  EXPECT_FALSE(saved);
  model.SaveAs();
  EXPECT_EQ(files.files["C:\\t\\old.txt"], Gbk("新内容"));
  EXPECT_EQ(view.title, "C:\\t\\old.txt");
  EXPECT_TRUE(saved);

  // Without a current file, save is save as; a new file gets no question.
  model.Clear();
  Typed("x");
  view.chosen = {"C:\\t\\new.txt"};
  Calls();
  model.Save();
  EXPECT_EQ(Calls(), (Texts{"ChooseSave ", "Write C:\\t\\new.txt", "FocusText"}));
  EXPECT_TRUE(saved);
}

TEST_F(PadModelTest, ASaveKeepsTheEncodingAndLineEndsTheFileCameIn) {
  const std::string notepad = "纯中文一行\r\n第二行";  // UTF-8 without mark
  files.files["C:\\t\\u8.txt"] = notepad;
  model.OpenFile("C:\\t\\u8.txt");
  EXPECT_EQ(view.text, "纯中文一行\r\n第二行\r\n");
  model.Save();
  EXPECT_EQ(files.files["C:\\t\\u8.txt"], notepad);

  files.files["C:\\t\\le.txt"] = Utf16("中文\n", false);
  model.OpenFile("C:\\t\\le.txt");
  Typed(view.text + "加一行");
  model.Save();
  EXPECT_EQ(files.files["C:\\t\\le.txt"], Utf16("中文\n加一行", false));
  // A file of mixed line ends: unchanged, saved as it was; edited, with CR LF for them.
  files.files["C:\\t\\mixed.txt"] = "a\rb\r\n";
  model.OpenFile("C:\\t\\mixed.txt");
  model.Save();
  EXPECT_EQ(files.files["C:\\t\\mixed.txt"], "a\rb\r\n");
  Typed(view.text + "c");
  model.Save();
  EXPECT_EQ(files.files["C:\\t\\mixed.txt"], "a\r\nb\r\nc");

  // Cleared, the pad forgets the file's form with the file.
  model.Clear();
  Typed("中\n");
  view.chosen = {"C:\\t\\new.txt"};
  model.Save();
  EXPECT_EQ(files.files["C:\\t\\new.txt"], Gbk("中\n"));
}

TEST_F(PadModelTest, FileErrorsAreReportedAndChangeNothing) {
  files.files["C:\\t\\a.txt"] = "a";
  files.files["C:\\t\\big.txt"] = std::string(kMaxPadFileBytes + 1, 'x');
  model.OpenFile("C:\\t\\a.txt");
  Typed("未保存的文字");
  files.locked.insert("C:\\t\\a.txt");
  Calls();
  model.Save();
  Texts calls = Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1].rfind("即拖即存|无法保存到文件：\nC:\\t\\a.txt\n", 0), 0u) << calls[1];
  EXPECT_FALSE(saved);
  EXPECT_EQ(files.files["C:\\t\\a.txt"], "a");

  view.chosen = {"C:\\t\\gone\\b.txt"};
  files.locked.insert("C:\\t\\gone\\b.txt");
  model.SaveAs();
  EXPECT_EQ(view.title, "C:\\t\\a.txt");
  EXPECT_FALSE(saved);

  for (const std::string path : {"C:\\t\\a.txt", "C:\\t\\missing.txt", "C:\\t\\big.txt"}) {
    Calls();
    model.OpenFile(path);
    calls = Calls();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[2], "Busy off");  // the panel goes before the message shows
    EXPECT_NE(calls[3].find("即拖即存|"), std::string::npos) << calls[3];
    EXPECT_NE(calls[3].find(path), std::string::npos) << calls[3];
    EXPECT_EQ(view.text, "未保存的文字");
    EXPECT_EQ(view.title, "C:\\t\\a.txt");
    EXPECT_FALSE(saved);
  }
}

TEST_F(PadModelTest, NothingStartsUnderACommandThatIsStillRunning) {
  view.text = std::string(2 * kPadYieldEvery, '<');
  model.TextEdited();
  int nested = 0;
  view.onKeepResponsive = [&] {
    // What the user may do while the loop lets messages through.
    ++nested;
    EXPECT_TRUE(model.Busy());
    EXPECT_FALSE(model.TakeDrop({std::nullopt, "x"}));
    model.Clear();
    model.Save();
    EXPECT_FALSE(model.CloseBoxAllowed());
    return true;
  };
  model.Tidy();
  EXPECT_GT(nested, 0);
  EXPECT_EQ(Calls(), Texts{});
  EXPECT_EQ(view.text.size(), 2 * kPadYieldEvery);
  EXPECT_FALSE(model.Busy());

  // A loop told to stop (the program ends) leaves the text as it was.
  view.onKeepResponsive = [] { return false; };
  view.text = std::string(2 * kPadYieldEvery, ' ') + "< x";
  model.Tidy();
  EXPECT_EQ(view.text.size(), 2 * kPadYieldEvery + 3);
}

TEST_F(PadModelTest, BusyDotsRunFromOneToTen) {
  Texts dots;
  for (int i = 0; i < 11; ++i) dots.push_back(model.NextDots());
  EXPECT_EQ(dots.front(), ".");
  EXPECT_EQ(dots[9], "..........");
  EXPECT_EQ(dots[10], ".");
}

// A text box that lays out `rate` characters a millisecond and walks `walkPerHeld` ms for each
// character it already holds; every seventh piece takes a quarter longer (a busy machine).
struct SlowBox {
  double rate, walkPerHeld;
  int pieces = 0;
  double Take(std::size_t characters, std::size_t held) {
    double ms = static_cast<double>(characters) / rate + walkPerHeld * static_cast<double>(held);
    return ++pieces % 7 == 0 ? ms * 1.25 : ms;
  }
};

TEST(PadText, PiecesTakeAboutTheirTimeAndTheWholeTextAtMostAboutTwiceItsLayout) {
  struct Case {
    double walkAtEnd;  // ms the box walks per piece when it holds the whole text
    double longestMs, mostOfLayout;
  };
  // Walks that stay short: pieces of about 100 ms. Walks longer than half that: each piece
  // lays out at least as long as it walks, so the time stays under twice the layout.
  for (const Case& c : {Case{0, 130, 1.1}, Case{40, 130, 1.4}, Case{130, 380, 2.0}}) {
    SCOPED_TRACE(c.walkAtEnd);
    const std::size_t total = 44'000'000;
    SlowBox box{440, c.walkAtEnd / static_cast<double>(total)};
    PadPieceSizer sizer(100, 8192, 2048, 1u << 20);
    std::size_t held = 0;
    double longest = 0, spent = 0;
    while (held < total) {
      std::size_t piece = std::min(sizer.Next(held), total - held);
      double ms = box.Take(piece, held);
      sizer.Took(piece, held, ms);
      held += piece;
      longest = std::max(longest, ms);
      spent += ms;
    }
    EXPECT_LE(longest, c.longestMs);
    EXPECT_LE(spent, c.mostOfLayout * static_cast<double>(total) / box.rate);
  }

  // Lines that suddenly lay out four times slower: the piece after the first slow one is
  // back near its time.
  SlowBox box{440, 0};
  PadPieceSizer sizer(100, 8192, 2048, 1u << 20);
  std::size_t held = 0;
  for (int i = 0; i < 30; ++i) {
    std::size_t piece = sizer.Next(held);
    sizer.Took(piece, held, box.Take(piece, held));
    held += piece;
  }
  box.rate /= 4;
  box.pieces = 0;
  std::size_t piece = sizer.Next(held);
  EXPECT_GT(box.Take(piece, held), 300);
  sizer.Took(piece, held, box.Take(piece, held));
  EXPECT_LE(box.Take(sizer.Next(held + piece), held + piece), 130);
}

}  // namespace
}  // namespace tarvek
