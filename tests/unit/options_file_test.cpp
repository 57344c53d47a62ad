#include <gtest/gtest.h>

#include "core/files/active_abbreviations.h"
#include "core/files/active_options.h"
#include "core/files/options_file.h"
#include "recording_system.h"

namespace tarvek {
namespace {

using testing::RecordingSystem;

const std::string kBom = "\xEF\xBB\xBF";

// Reads bytes, checks what they give the binding, and that writing them out and reading that
// back gives the very same bytes again.
OptionsFile CheckRead(const std::string& bytes, const std::string& modifiers, const std::string& key,
                      const LaunchOptions& expected) {
  bool damaged = true;
  OptionsFile file = OptionsFile::Parse(bytes, &damaged);
  EXPECT_FALSE(damaged);
  EXPECT_EQ(file.Get(modifiers, key), expected);
  const std::string once = file.Serialize();
  EXPECT_EQ(OptionsFile::Parse(once).Serialize(), once);
  EXPECT_EQ(once.substr(0, 3), kBom);
  EXPECT_EQ(once.find('\n'), once.find("\r\n") + 1);  // CR LF
  return file;
}

TEST(OptionsFile, ReadsEveryOptionAndKeepsWhatItDoesNotKnow) {
  LaunchOptions all;
  all.Arguments = "--flag \"a b\"";
  all.StartIn = "D:\\工作";
  all.Window = WindowState::kMaximized;
  all.RunAs = RunLevel::kAdmin;
  all.WhenRunning = IfRunning::kToggle;
  all.Enabled = false;
  OptionsFile file = CheckRead(
      "; written by hand\n[Other]\nx=1\n[ Ctrl + Alt|c ]\n Arguments = --flag \"a b\" \n"
      "StartIn=D:\\工作\nWindow=MAXIMIZED\nRunAs=Admin\nIfRunning=toggle\nEnabled=0\nColor=red\n"
      "; mine\n",
      "Ctrl + Alt", "C", all);
  const std::string out = file.Serialize();
  for (const char* kept : {"; written by hand\r\n", "[Other]\r\nx=1\r\n", "Color=red\r\n", "; mine\r\n"}) {
    EXPECT_NE(out.find(kept), std::string::npos) << kept;
  }
  // Unknown values are the defaults; UTF-16 with its mark is read too.
  LaunchOptions minimised;
  minimised.Window = WindowState::kMinimized;
  CheckRead("[Win | F5]\r\nWindow=minimized\r\nRunAs=sometimes\r\nIfRunning=\r\nEnabled=yes\r\n",
            "Win", "F5", minimised);
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("[Shift | A]\r\nWindow=minimized\r\n")) utf16.append({c, '\0'});
  CheckRead(utf16, "Shift", "A", minimised);
}

TEST(OptionsFile, SetRewritesInPlaceAndDropsSectionsLeftWithNothing) {
  OptionsFile file = OptionsFile::Parse("[Ctrl | A]\r\nWindow=maximized\r\nMine=1\r\n\r\n"
                                        "[Ctrl | B]\r\nRunAs=admin\r\n");
  LaunchOptions o;
  o.Arguments = "x";
  file.Set("Ctrl", "A", o);
  file.Set("Ctrl", "B", LaunchOptions{});
  EXPECT_EQ(file.Serialize(), kBom + "[Ctrl | A]\r\nMine=1\r\nArguments=x\r\n\r\n");
  file.Set("Ctrl", "A", LaunchOptions{});
  EXPECT_EQ(file.Serialize(), kBom + "[Ctrl | A]\r\nMine=1\r\n\r\n");  // its own line keeps it
  file.Remove("ctrl", "a");
  EXPECT_TRUE(file.Empty());
}

TEST(OptionsFile, DuplicatesCountOnceTheFirstWins) {
  LaunchOptions first;
  first.Window = WindowState::kMinimized;
  first.Arguments = "one";
  OptionsFile file = CheckRead("[Alt | Q]\nWindow=minimized\nWindow=maximized\n[Alt|Q]\n"
                               "Arguments=one\n[alt | q]\nArguments=two\n",
                               "Alt", "Q", first);
  EXPECT_EQ(file.Sections().size(), 1u);
}

TEST(OptionsFile, MovedSectionReplacesTheOneAtItsNewCombination) {
  OptionsFile file = OptionsFile::Parse("[Ctrl | A]\nArguments=a\nMine=1\n[Ctrl | B]\nArguments=b\n");
  file.Move("Ctrl", "A", "Ctrl", "B");
  EXPECT_EQ(file.Get("Ctrl", "A"), LaunchOptions{});
  EXPECT_EQ(file.Get("Ctrl", "B").Arguments, "a");
  EXPECT_EQ(file.Serialize(), kBom + "[Ctrl | B]\r\nArguments=a\r\nMine=1\r\n");
  // A binding without options moved onto a stale section leaves that section behind it.
  file.Move("Ctrl", "Z", "Ctrl", "B");
  EXPECT_TRUE(file.Empty());
}

TEST(OptionsFile, DamagedInputGivesNothingAndHugeLinesAreRead) {
  for (const std::string& bytes :
       {"[Ctrl | A]\r\nArguments=x" + std::string(1, '\0') + "y\r\n",
        std::string("[Ctrl | A]\r\nArguments=\xC0\x80"),
        std::string(kMaxOptionsFileBytes + 1, 'a')}) {
    bool damaged = false;
    OptionsFile file = OptionsFile::Parse(bytes, &damaged);
    EXPECT_TRUE(damaged);
    EXPECT_TRUE(file.Empty());
  }
  LaunchOptions huge;
  huge.Arguments = std::string(1 << 20, 'x');
  CheckRead("[Ctrl | A]\nArguments=" + huge.Arguments + "\n[", "Ctrl", "A", huge);
}

TEST(OptionsFile, TextAndProgramConditionsRoundTrip) {
  LaunchOptions typed;
  typed.Text = "  Hello\r\n\tC:\\Tools  ";
  typed.Scope = ProgramScope::kNotIn;
  typed.Programs = "notepad.exe;Code.exe";
  OptionsFile file;
  file.Set("Ctrl", "T", typed);
  EXPECT_EQ(file.Serialize(),
            kBom + "[Ctrl | T]\r\nText=  Hello\\n\\tC:\\\\Tools  \r\nNotIn=notepad.exe;Code.exe\r\n");
  CheckRead(file.Serialize(), "Ctrl", "T", typed);
  // A lone LF comes back as CR LF; a list given with a line break is still one line.
  typed.Text = "a\nb";
  typed.Programs = "x.exe\ny.exe";
  file.Set("Ctrl", "T", typed);
  EXPECT_EQ(file.Get("Ctrl", "T").Text, "a\r\nb");
  EXPECT_EQ(file.Get("Ctrl", "T").Programs, "x.exe;y.exe");
  // Both scopes written by hand: OnlyIn counts, and writing leaves only its line.
  LaunchOptions only;
  only.Scope = ProgramScope::kOnlyIn;
  only.Programs = "a.exe";
  OptionsFile both = CheckRead("[Alt | Q]\nNotIn=b.exe\n OnlyIn = a.exe \n", "Alt", "Q", only);
  both.Set("Alt", "Q", only);
  EXPECT_EQ(both.Serialize(), kBom + "[Alt | Q]\r\nOnlyIn=a.exe\r\n");
  // A list of nothing but separators is no condition when read, as it is none when written,
  // and leaves the other scope to count.
  OptionsFile separators = OptionsFile::Parse("[=xt | Q]\r\nNotIn=;\n");
  EXPECT_EQ(separators.Get("=xt", "Q"), LaunchOptions{});
  EXPECT_TRUE(separators.Empty());
  LaunchOptions notB;
  notB.Scope = ProgramScope::kNotIn;
  notB.Programs = "b.exe";
  CheckRead("[Alt | Q]\nOnlyIn= ; ;\nNotIn=b.exe\n", "Alt", "Q", notB);
}

TEST(ActiveOptions, BesideTheListWrittenOnlyWhenChangedAndDamagedFilesAreGuarded) {
  EXPECT_EQ(OptionsPathFor("C:\\a.b\\SaveKey.htk"), "C:\\a.b\\SaveKey.opt");
  EXPECT_EQ(OptionsPathFor("C:\\a.b\\工作"), "C:\\a.b\\工作.opt");
  RecordingSystem system;
  ActiveOptions options;
  // No file: nothing to write, and nothing is written.
  options.Load("C:\\T\\SaveKey.htk", system, system);
  EXPECT_TRUE(options.Save(system, system));
  EXPECT_TRUE(system.CallsStartingWith("ReplaceFileBytes").empty());

  system.files["C:\\T\\SaveKey.opt"] = "[Ctrl | A]\nEnabled=0\n";
  options.Load("C:\\T\\SaveKey.htk", system, system);
  HotkeyTable table;
  table.slots[0].ModifierText = "Ctrl";
  table.slots[0].KeyText = "A";
  options.Fill(table);
  EXPECT_FALSE(table.slots[0].Options.Enabled);
  options.Move("Ctrl", "Q", "Ctrl", "W");  // moves nothing: the file stays as it was
  options.Save(system, system);
  EXPECT_EQ(system.files["C:\\T\\SaveKey.opt"], "[Ctrl | A]\nEnabled=0\n");

  const std::string damaged("\x01\x02\0\x03", 4);
  system.files["C:\\T\\SaveKey.opt"] = damaged;
  options.Load("C:\\T\\SaveKey.htk", system, system);
  EXPECT_EQ(system.CallsStartingWith("MessageBox").size(), 1u);
  options.Remove("Ctrl", "A");
  options.Save(system, system);
  EXPECT_EQ(system.files["C:\\T\\SaveKey.opt"], damaged);
  LaunchOptions admin;
  admin.RunAs = RunLevel::kAdmin;
  options.Set("Ctrl", "A", admin);
  options.Save(system, system);
  EXPECT_EQ(system.files["C:\\T\\SaveKey.opt.bak"], damaged);
  EXPECT_EQ(system.files["C:\\T\\SaveKey.opt"], kBom + "[Ctrl | A]\r\nRunAs=admin\r\n");
}

TEST(ActiveAbbreviations, AFileReadInPartIsToldOnceKeptBeforeTheFirstWriteAndAnUnreadableOneNever) {
  RecordingSystem system;
  const std::string path = "C:\\T\\SaveKey.abbr", bad = "[a]\nText=1\n[A]\nText=2\n[sig]\n";
  system.files[path] = bad;
  ActiveAbbreviations abbreviations;
  abbreviations.Load("C:\\T\\SaveKey.htk", system, system);
  const std::vector<std::string> boxes = system.CallsStartingWith("MessageBox");
  ASSERT_EQ(boxes.size(), 1u);
  for (const char* told :
       {"中有 2 处没有读入：\n    [A]：与前面的缩写重复\n    [sig]：没有替换文字",
        "复制为：\nC:\\T\\SaveKey.abbr.bak] [缩写替换]"}) {
    EXPECT_NE(boxes[0].find(told), std::string::npos) << boxes[0];
  }
  const std::vector<Abbreviation> two = ParseAbbreviationFile("[a]\nText=1\n[sig]\nText=签名\n");
  ASSERT_TRUE(abbreviations.Replace(two, system, system, system));
  EXPECT_EQ(system.files[path + ".bak"], bad);
  EXPECT_EQ(system.files[path], SerializeAbbreviationFile(two));
  system.files.erase(path + ".bak");
  ASSERT_TRUE(abbreviations.Replace({}, system, system, system));  // an empty table is no file
  EXPECT_EQ(system.files.count(path) + system.files.count(path + ".bak"), 0u);

  system.files[path] = bad;
  system.lockedPaths.insert(path);
  abbreviations.Load("C:\\T\\SaveKey.htk", system, system);
  system.lockedPaths.clear();
  EXPECT_FALSE(abbreviations.Replace(two, system, system, system));
  EXPECT_EQ(system.files[path], bad);
}

}  // namespace
}  // namespace tarvek
