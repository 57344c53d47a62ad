// Launches with options, for real: the end-to-end tests' target.exe records how it was started
// (command line, folder, show state), and with --window stays with a window to bring to front.
#include "win/launch/launch_routes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

#include "win/launch/consent_owner.h"
#include "win/launch/running_apps.h"
#include "win/system/strings.h"
#include "win/system/unique_handle.h"
#include "win_test_support.h"

namespace tarvek::win {
namespace {

using wintest::TempFolder;

std::string TargetExe() {
  wchar_t path[MAX_PATH * 2];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring own(path, n);
  std::wstring tests = own.substr(0, own.find_last_of(L'\\'));
  return Narrow(tests.substr(0, tests.find_last_of(L'\\')) + L"\\e2e\\target.exe");
}

// Waits (boundedly) until the condition holds, pumping this thread's messages meanwhile.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 1000; ++i) {
    if (condition()) return true;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
  return condition();
}

// The log's lines, each split at its tabs.
bool Started(const StartResult& result) {
  return result.outcome == StartResult::Outcome::kStarted && result.process.id != 0 &&
         result.process.startTime != 0;
}

std::vector<std::vector<std::string>> LaunchLines(const std::string& log) {
  std::ifstream in(Widen(log).c_str(), std::ios::binary);
  std::vector<std::vector<std::string>> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> fields;
    std::stringstream split(line);
    for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
    if (fields.size() == 5) lines.push_back(fields);
  }
  return lines;
}

class LaunchRoutesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    target = TargetExe();
    ASSERT_NE(GetFileAttributesW(Widen(target).c_str()), INVALID_FILE_ATTRIBUTES) << target;
    SetEnvironmentVariableW(L"TARVEK_LAUNCH_LOG", Widen(log).c_str());
  }
  void TearDown() override { SetEnvironmentVariableW(L"TARVEK_LAUNCH_LOG", nullptr); }

  TempFolder folder;
  std::string log = folder.Join("launches.txt");
  std::string target;
};

TEST_F(LaunchRoutesTest, TheProgramGetsItsCommandLineFolderAndShowState) {
  const std::string work = folder.Path();
  ASSERT_TRUE(Started(
      StartProcess(Widen(target), L"--flag \"a b\" 你好", Widen(work), SW_SHOWMINNOACTIVE)));
  ASSERT_TRUE(Started(StartProcess(Widen(target), L"", L"", SW_SHOWMAXIMIZED)));
  ASSERT_TRUE(Eventually([&] { return LaunchLines(log).size() == 2; }));
  auto lines = LaunchLines(log);
  std::sort(lines.begin(), lines.end(), [](auto& a, auto& b) { return a[4] < b[4]; });
  EXPECT_EQ(lines[0][1], "\"" + target + "\"");
  EXPECT_EQ(lines[0][2], target.substr(0, target.find_last_of('\\')));  // its own folder
  EXPECT_EQ(lines[0][4], "3");
  EXPECT_EQ(lines[1][1], "\"" + target + "\" --flag \"a b\" 你好");
  EXPECT_EQ(lines[1][2], work);
  EXPECT_EQ(lines[1][4], "7");
}

TEST_F(LaunchRoutesTest, EachWindowOfARunningProgramComesToTheFront) {
  const StartResult first = StartProcess(Widen(target), L"--window", L"", SW_SHOWNORMAL);
  const StartResult second = StartProcess(Widen(target), L"--window", L"", SW_SHOWNORMAL);
  ASSERT_TRUE(Started(first));
  ASSERT_TRUE(Started(second));
  std::vector<WindowRef> windows;
  ASSERT_TRUE(Eventually([&] { return (windows = WindowsOfProgram(target)).size() == 2; }));
  // The processes started know their windows, each its own; another start time is another
  // process that had the same id.
  std::vector<WindowRef> ofFirst = WindowsOfProcesses({first.process});
  ASSERT_EQ(ofFirst.size(), 1u);
  EXPECT_EQ(WindowsOfProcesses({first.process, second.process}).size(), 2u);
  EXPECT_TRUE(StillRunning(first.process));
  EXPECT_FALSE(StillRunning({first.process.id, first.process.startTime + 1}));
  EXPECT_TRUE(WindowsOfProcesses({{first.process.id, first.process.startTime + 1}}).empty());
  // Letter case and a detour through ".." do not hide them.
  std::string roundabout = target;
  for (char& c : roundabout) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  roundabout.insert(roundabout.find_last_of('\\'), "\\..\\e2e");
  EXPECT_EQ(WindowsOfProgram(roundabout).size(), 2u);
  HWND minimised = reinterpret_cast<HWND>(windows[1]);
  ShowWindow(minimised, SW_MINIMIZE);
  ASSERT_TRUE(Eventually([&] { return IsIconic(minimised) != FALSE; }));
  // Under Wine the focus moves through the X server: the moves the minimising caused arrive a
  // moment later and would take the front from a window brought there meanwhile.
  for (int still = 0; still < 30; ++still) {
    HWND front = GetForegroundWindow();
    Sleep(10);
    if (front != GetForegroundWindow()) still = 0;
  }
  for (WindowRef window : {windows[0], windows[1], windows[0]}) {
    HWND hwnd = reinterpret_cast<HWND>(window);
    BringToFront(window);
    EXPECT_TRUE(Eventually([&] { return GetForegroundWindow() == hwnd && !IsIconic(hwnd); }))
        << "window " << (hwnd == reinterpret_cast<HWND>(windows[0]) ? 0 : 1) << " front "
        << (GetForegroundWindow() == reinterpret_cast<HWND>(windows[0]) ? "0" : GetForegroundWindow() == reinterpret_cast<HWND>(windows[1]) ? "1" : "other")
        << " iconic " << IsIconic(hwnd);
  }
  for (WindowRef window : windows) PostMessageW(reinterpret_cast<HWND>(window), WM_CLOSE, 0, 0);
  EXPECT_TRUE(Eventually([&] { return WindowsOfProgram(target).empty(); }));
  EXPECT_TRUE(Eventually([&] { return !StillRunning(first.process); }));
  EXPECT_TRUE(WindowsOfProcesses({first.process, second.process}).empty());
}

// Windows refuses the front to a program that did not have the last input (forced here: Wine
// never refuses). With a hung window in front, taking the front must not wait for it, as
// joining the input of its thread would make every call do.
TEST_F(LaunchRoutesTest, TakingTheFrontWhenRefusedWaitsForNoHungWindow) {
  SetEnvironmentVariableW(L"TARVEK_TEST_REFUSE_FOREGROUND", L"1");
  UniqueKernelHandle wake(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  std::atomic<HWND> hung = nullptr;
  std::thread hanging([&] {
    wintest::HiddenWindow window;
    ShowWindow(window.get(), SW_SHOW);
    SetForegroundWindow(window.get());
    hung = window.get();
    WaitForSingleObject(wake.get(), INFINITE);  // answers nothing until woken
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  });
  ASSERT_TRUE(Eventually([&] { return hung != nullptr && GetForegroundWindow() == hung; }));
  std::atomic<HWND> taken = nullptr;
  std::thread taking([&] {
    wintest::HiddenWindow window;
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    BringToFront(reinterpret_cast<WindowRef>(window.get()));
    taken = GetForegroundWindow();
  });
  EXPECT_TRUE(Eventually([&] { return taken != nullptr; })) << "waited for the hung window";
  EXPECT_NE(taken, hung.load());  // taken after the refusal
  SetEvent(wake.get());
  taking.join();
  hanging.join();
  SetEnvironmentVariableW(L"TARVEK_TEST_REFUSE_FOREGROUND", nullptr);
}

// The window a consent prompt belongs to stays out of sight until a prompt comes, then takes
// the front (from another thread, as a worker brings it), and goes again.
TEST_F(LaunchRoutesTest, TheConsentOwnerTakesTheFrontOnlyForThePrompt) {
  ConsentOwnerWindow owner;
  HWND window = owner.Get();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(owner.Get(), window);
  EXPECT_TRUE(IsConsentOwnerWindow(window));
  EXPECT_FALSE(IsConsentOwnerWindow(GetDesktopWindow()));
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_NE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);  // no taskbar button
  std::atomic<bool> done = false;
  std::thread worker([window, &done] {
    BringConsentOwnerForward(window);
    done = true;
  });
  // The worker waits on this thread's answers.
  EXPECT_TRUE(Eventually([&] { return done.load(); }));
  worker.join();
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(Eventually([&] { return GetForegroundWindow() == window; }));
  PutConsentOwnerAway(window);
  EXPECT_TRUE(Eventually([&] { return !IsWindowVisible(window); }));
}

TEST_F(LaunchRoutesTest, ProgramsAreFoundAsTheRunDialogFindsThem) {
  std::optional<std::string> notepad = FindProgram("notepad");
  ASSERT_TRUE(notepad.has_value());
  EXPECT_EQ(GetFileAttributesW(Widen(*notepad).c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u) << *notepad;
  // Registered for the Run dialog only, with its path in quotes.
  const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tvk-launch-test.exe";
  std::wstring quoted = L"\"" + Widen(target) + L"\"";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, nullptr, REG_SZ, quoted.c_str(),
                            static_cast<DWORD>((quoted.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
  EXPECT_EQ(FindProgram("tvk-launch-test"), target);
  RegDeleteKeyW(HKEY_CURRENT_USER, key);
  EXPECT_EQ(FindProgram("tvk-no-such-program"), std::nullopt);
  // Wine runs its desktop at the level of every program: a launcher that took itself for
  // elevated above it would send every launch round the desktop shell.
  EXPECT_FALSE(ElevatedAboveDesktop());

  SetEnvironmentVariableW(L"TVK_EMPTY", L"");
  EXPECT_EQ(EnvironmentVariable("TVK_EMPTY"), "");
  EXPECT_EQ(EnvironmentVariable("TVK_NOT_SET"), std::nullopt);
  EXPECT_EQ(EnvironmentVariable("TARVEK_LAUNCH_LOG"), log);
}

}  // namespace
}  // namespace tarvek::win
