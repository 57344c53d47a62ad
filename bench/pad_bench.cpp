// pad_bench.exe: how the drag-and-save pad takes in a large text file, measured against the
// least it could do, in one run under Wine:
//
//   baseline  read the file in one call and set it into the pad's text box in one call
//   open      the pad's open, from the chosen file to the text shown
//   drop      the same file dropped on the pad (its drop target, as OLE calls it)
//   count     counting a text of 1 MB (the message box answered at once)
//   tidy      tidying a text of 1 MB with "< " on every line
//
// It prints each as a ratio against the baseline of the same run, and the longest stretch in
// which the pad let no message through (the busy dots and painting wait that long). It never
// fails; run it with  cmake --build --preset mingw --target bench_pad
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "../tests/common/test_data_object.h"
#include "pad/pad_window.h"
#include "win/files.h"
#include "win/strings.h"
#include "win/win_system.h"

namespace {

using tarvek::PadWindow;

constexpr int kRuns = 3;
constexpr int kLines = 200000;

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / frequency;
}

// Answers every message box with OK, at once.
class Silent : public tarvek::DialogPort {
 public:
  int ShowMessageBox(const std::string&, const std::string&, unsigned) override {
    return tarvek::kIdOk;
  }
};

// The pad's message pump, timed: the longest time between two of its turns.
struct Pump {
  double last = 0;
  double longest = 0;
  void Reset() {
    last = Now();
    longest = 0;
  }
  void operator()() {
    double now = Now();
    longest = std::max(longest, now - last);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    last = Now();
  }
  double Close() {
    longest = std::max(longest, Now() - last);
    return longest;
  }
};

// A GBK text file of about 10 MB in 200 000 lines: Chinese and ASCII mixed, CR LF line ends.
std::string MakeBigFile() {
  std::string line =
      "\xD5\xE2\xCA\xC7\xD2\xBB\xD0\xD0\xB2\xE2\xCA\xD4\xCE\xC4\xD7\xD6 <  tag> ";  // 这是一行测试文字
  while (line.size() < 50) line += "abcdefghij";
  line.resize(50);
  std::string text;
  text.reserve(kLines * 52);
  for (int i = 0; i < kLines; ++i) text.append(line).append("\r\n");
  return text;
}

template <typename Work>
double Median(Work work) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) times.push_back(work());
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::string path = tarvek::win::Narrow(temp) + "pad-bench-10mb.txt";
  const std::string bytes = MakeBigFile();
  if (!tarvek::win::ReplaceFileAtomically(path, bytes)) {
    std::fprintf(stderr, "pad_bench: cannot write %s\n", path.c_str());
    return 1;
  }

  tarvek::win::WinSystem codec;
  Silent dialogs;
  bool saved = true;
  Pump pump;
  PadWindow pad(tarvek::PadServices{codec, saved, [&pump] { pump(); }, &dialogs, nullptr});
  if (!pad.Create(GetModuleHandleW(nullptr))) return 1;
  pad.Show();
  pump();
  HWND box = pad.Control(tarvek::pad_ids::kText1Id);
  auto empty = [&] {
    SetWindowTextW(box, L"");
    pad.Model().TextEdited();
    pump();
  };

  const double baseline = Median([&] {
    empty();
    double start = Now();
    std::string read;
    tarvek::win::ReadWholeFile(path, bytes.size() + 1, read);
    int n = MultiByteToWideChar(CP_ACP, 0, read.data(), static_cast<int>(read.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, read.data(), static_cast<int>(read.size()), wide.data(), n);
    SetWindowTextW(box, wide.c_str());
    return Now() - start;
  });
  const std::size_t expected = static_cast<std::size_t>(GetWindowTextLengthW(box));

  double openGap = 0, dropGap = 0;
  const double open = Median([&] {
    empty();
    pump.Reset();
    double start = Now();
    pad.Model().OpenFile(path);
    double took = Now() - start;
    openGap = std::max(openGap, pump.Close());
    return took;
  });
  const bool openWhole = static_cast<std::size_t>(GetWindowTextLengthW(box)) == expected;

  const double drop = Median([&] {
    empty();
    auto* data = tarvek::testdata::DataObject::Files({tarvek::win::Widen(path)});
    IDropTarget* target = pad.DropTargetForText();
    POINTL at{0, 0};
    DWORD effect = DROPEFFECT_COPY;
    pump.Reset();
    double start = Now();
    target->DragEnter(data, MK_LBUTTON, at, &effect);
    effect = DROPEFFECT_COPY;
    target->Drop(data, 0, at, &effect);
    data->Release();
    pump();  // the pad takes the drop in from its message
    double took = Now() - start;
    dropGap = std::max(dropGap, pump.Close());
    return took;
  });
  // A drop on an empty pad adds one CR LF.
  const bool dropWhole = static_cast<std::size_t>(GetWindowTextLengthW(box)) == expected + 2;

  // A text of one megabyte in the ANSI code page, for count and tidy: every line to tidy.
  const std::wstring line = L"这是 <  一行 < 测试文字 abc\r\n";  // 29 bytes in GBK
  std::wstring megabyte;
  for (std::size_t size = 0; size < (1u << 20); size += 29) megabyte += line;
  const double setOne = Median([&] {
    empty();
    double start = Now();
    SetWindowTextW(box, megabyte.c_str());
    return Now() - start;
  });
  double countGap = 0, tidyGap = 0;
  const double count = Median([&] {
    SetWindowTextW(box, megabyte.c_str());
    pump.Reset();
    double start = Now();
    SendMessageW(pad.Handle(), WM_COMMAND, MAKEWPARAM(tarvek::pad_ids::kCommand5Id, BN_CLICKED), 0);
    double took = Now() - start;
    countGap = std::max(countGap, pump.Close());
    return took;
  });
  const double tidy = Median([&] {
    SetWindowTextW(box, megabyte.c_str());
    pump.Reset();
    double start = Now();
    SendMessageW(pad.Handle(), WM_COMMAND, MAKEWPARAM(tarvek::pad_ids::kCommand7Id, BN_CLICKED), 0);
    double took = Now() - start;
    tidyGap = std::max(tidyGap, pump.Close());
    return took;
  });

  std::printf("pad_bench: %d lines, %.1f MB, median of %d runs under this Wine\n", kLines,
              static_cast<double>(bytes.size()) / (1 << 20), kRuns);
  std::printf("  %-8s %9s %9s %22s\n", "", "time", "ratio", "longest without messages");
  std::printf("  %-8s %7.0fms %9s %22s   (read + one SetWindowText)\n", "baseline", baseline * 1000,
              "1.00", "-");
  std::printf("  %-8s %7.0fms %8.2fx %20.0fms   target <= 3x%s\n", "open", open * 1000,
              open / baseline, openGap * 1000, openWhole ? "" : "  TEXT INCOMPLETE");
  std::printf("  %-8s %7.0fms %8.2fx %20.0fms   target <= 3x%s\n", "drop", drop * 1000,
              drop / baseline, dropGap * 1000, dropWhole ? "" : "  TEXT INCOMPLETE");
  std::printf("  1 MB text: setting it %.0fms\n", setOne * 1000);
  std::printf("  %-8s %7.0fms %8.2fx %20.0fms   target <= 1 s (ratio against setting 1 MB)\n",
              "count", count * 1000, count / setOne, countGap * 1000);
  std::printf("  %-8s %7.0fms %8.2fx %20.0fms   target <= 1 s\n", "tidy", tidy * 1000,
              tidy / setOne, tidyGap * 1000);
  DeleteFileW(tarvek::win::Widen(path).c_str());
  return 0;
}
