// driver.exe: pokes at a running TarvekHotKey.exe from inside the same Wine prefix (hotkeys
// and SendInput only reach programs of the same wineserver). The end-to-end tests and the
// benchmark run one subcommand per call; the exit code is the answer (0 yes, 1 no, 2 misuse).
//
//   keys ctrl+alt+c              key downs then ups through SendInput; prints the time sent
//                                (modifiers alone, "ctrl", are pressed by themselves)
//   keysuntilshown <keys> <title> <ms>   keys, then the moment the window is first visible
//                                (within ms): prints the time sent and the time seen
//   type <text>                  the text as Unicode key presses, to the focused control
//   findwindow <title> [wait_ms] prints the window handle; waits up to wait_ms for it
//                                (every <title> may be "class|title", e.g. "#32770|即拖即存")
//   send <title> <msg> [wparam] [lparam]   msg: a number, WM_xxx, or a registered name
//   visible <title>              visible and not minimized
//   showwindow <title> <SW_x>    ShowWindow with that number (6 minimizes, 0 hides)
//   waitidle <title> [wait_ms]   waits (default 10 s) for the window, its process's input
//                                idle and the window's answer (start-up done); prints the pid
//   windows                      every top-level window: handle, pid, visible, class, title
//   tryregister <mods> <key>     0 when the combination is free (registers, then unregisters)
//   start [--window <title>] [--held ctrl+alt+c] <exe> [args...]
//                                CreateProcess, (--window) the moment the process has a
//                                top-level window of that title (as the window manager tells),
//                                WaitForInputIdle and (--held) the moment the combination is
//                                taken; prints the pid and the times
//   waitexit <pid> <ms>          0 when the process has ended within ms
//   kill <pid>                   TerminateProcess
//   startmany <n> <exe>          n copies started at once; prints their pids
//   burst <mods+key> <n>         n presses of the key, the modifiers held, in one SendInput
//   guicounts <pid>              the process's GDI and USER object counts
//   answerandkill <box title> <button> <pid> <us>   answers the message box, then ends the
//                                process that many microseconds later (TerminateProcess)
//   traydelete <title> <id>      removes the window's notification-area icon
//   version <exe>                the product name and version of its version resource
//   meminfo <pid>                committed private bytes
//   cputime <pid>                user + kernel time, in 100 ns units
//   ps                           pid and exe of every process (for failure reports)
//   modules <title>              the full path of every module loaded in the window's process
//   post <title> <msg> [wparam] [lparam]   PostMessage: for commands that open a message box
//   hold <mods> <key> <ms>       holds the combination as another program would, for ms
//   lookalike <title> <ms> <hung>   a top-level window of another class with that title (as a
//                                folder window named so), answering messages or (hung 1) not
//   texts <title>                the texts of the window's child controls, one per line
//   control <title> <id> <msg> [wparam] [lparam]   PostMessage to the window's control id
//                                (e.g. BM_CLICK presses a button or a check box)
//   select <title> <id> <index>  chooses item index in the combo box id, as the user would
//   listview <title>             each row of the window's list control: the four cells and
//                                whether the row is marked (bit 0 of its item data), Tab-separated,
//                                and "off" after that when bit 1 says it is switched off
//   lvselect <title> <item>...   selects exactly these items of the list (the first current)
//   lvcells <title>              each row of the window's list control: its four cells,
//                                Tab-separated, a Tab, CR, LF or backslash inside a cell
//                                written as \t, \r, \n and a doubled backslash
//   dropfiles <title> <path>...  drops the files on the window's list control, or else on its
//                                text box (Wine only)
//   screen                       the screen's width and height, in pixels
//   rect <title>                 the window's rectangle: left top right bottom, in pixels
//   resize <title> <w> <h>       SetWindowPos to that size, as another program would
//   pointer <x> <y>              moves the pointer there through SendInput (absolute), so
//                                that the window under it gets the move; prints where it is
//   click <title> <x> <y> [n]    n left clicks (a double click for 2) at that point of the
//                                window's client area, through SendInput
//   cursor                       where the pointer is, in screen pixels
//   recorder <title> <x> <y> <w> <h> <log> <ms>
//                                shows a topmost window there for ms (or until closed) and
//                                appends to log, one line each, "down x y" and "up x y" for
//                                the left button, "rdown"/"rup" for the right, "drag x y" for
//                                a move with the left button held (screen pixels)
//   lbitems <title> <id>         the items of the window's list box id, one per line, then
//                                "selected <index>" (-1 for none)
//   lbclick <title> <id> <index> a left click on item index of the list box, through SendInput
//   editsel <title> <id>         the edit control's text length and its selection:
//                                "<length> <start> <end>"
//   focus <title>                the id of the control of the window that has the keyboard
//   enabled <title> <id>         0 when the window's control id is enabled
//   text <title> <id>            the whole text of control id, CR, LF and backslash written as
//                                \r, \n and \\ so that line ends survive the pipe
//   checked <title> <id>         0 when the check box or option button id is ticked
//   topmost <title>              0 when the window is always on top
//   drop <title> <x> <y> files <path>... | text <text> | ansi <text> | neither
//                                a real OLE drag (DoDragDrop, the pointer moved and the button
//                                released through SendInput) of that data object onto the point
//                                of the window's client area; prints the result and the effect
//   clickcontrol <title> <id>    a left click at the middle of the window's control id, through
//                                SendInput
//   holdfile <path> <release> [ms]  opens the file sharing it with nobody, as another program
//                                holding it would; prints "holding", keeps it until the file
//                                release exists (at most a minute), and ms longer; release
//                                may hold wildcards (a save's temporary, "x.htk.tmp*")
//   linktarget <lnk>             the target path and the working folder of the shortcut, one
//                                per line, as the shell resolves them
//   pinguntil <title> <until> <ms>  sends the window WM_NULL over and over until a window titled
//                                <until> is there; prints the longest wait for an answer in ms
//
// Times are FILETIME ticks from GetSystemTimePreciseAsFileTime, the clock target.exe uses too.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <tlhelp32.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <atomic>
#include <cwctype>
#include <string>
#include <thread>
#include <vector>

#include "../common/test_data_object.h"

namespace {

// Output goes to a pipe read by Python; UTF-8 keeps Chinese window titles intact, which the
// C runtime's wprintf would turn into question marks.
void Write(FILE* f, const wchar_t* format, va_list args) {
  wchar_t buf[1024];
  const int n = vswprintf(buf, 1024, format, args);
  if (n <= 0) return;
  char out[4096];
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, buf, n, out, sizeof out, nullptr, nullptr);
  fwrite(out, 1, static_cast<size_t>(bytes), f);
}

void Out(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Write(stdout, format, args);
  va_end(args);
}

void Err(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  fputs("driver: ", stderr);
  Write(stderr, format, args);
  va_end(args);
}

unsigned long long Now() {
  FILETIME ft;
  GetSystemTimePreciseAsFileTime(&ft);
  return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

std::wstring Trim(const std::wstring& s) {
  const auto b = s.find_first_not_of(L" \t");
  if (b == std::wstring::npos) return {};
  return s.substr(b, s.find_last_not_of(L" \t") - b + 1);
}

bool ParseNumber(const std::wstring& s, unsigned long long& out) {
  if (s.empty()) return false;
  wchar_t* end = nullptr;
  out = std::wcstoull(s.c_str(), &end, 0);
  return end && *end == L'\0';
}

struct Combo {
  UINT mods = 0;
  UINT vk = 0;
};

UINT KeyCode(const std::wstring& name) {
  const std::wstring n = Lower(name);
  if (n.size() == 1 && n[0] < 128 && std::iswalnum(n[0])) return static_cast<UINT>(std::towupper(n[0]));
  if (n.size() >= 2 && n[0] == L'f' && std::iswdigit(n[1])) {
    const int f = _wtoi(n.c_str() + 1);
    if (f >= 1 && f <= 24) return static_cast<UINT>(VK_F1 + f - 1);
  }
  static const struct { const wchar_t* name; UINT vk; } kNames[] = {
      {L"space", VK_SPACE},   {L"enter", VK_RETURN},  {L"return", VK_RETURN},
      {L"tab", VK_TAB},       {L"esc", VK_ESCAPE},    {L"escape", VK_ESCAPE},
      {L"backspace", VK_BACK}, {L"insert", VK_INSERT}, {L"delete", VK_DELETE},
      {L"home", VK_HOME},     {L"end", VK_END},       {L"pageup", VK_PRIOR},
      {L"pagedown", VK_NEXT}, {L"left", VK_LEFT},     {L"right", VK_RIGHT},
      {L"up", VK_UP},         {L"down", VK_DOWN},
  };
  for (const auto& k : kNames)
    if (n == k.name) return k.vk;
  unsigned long long v = 0;
  if (n.size() > 2 && n.rfind(L"vk", 0) == 0 && ParseNumber(n.substr(2), v)) return static_cast<UINT>(v);
  return 0;
}

// "ctrl+alt+c", "Ctrl + Alt", "win+space", "8" (flags as a number) all parse; "无" is none.
bool ParseCombo(const std::wstring& text, Combo& combo, bool keyRequired) {
  unsigned long long number = 0;
  if (!keyRequired && ParseNumber(text, number)) {
    combo.mods = static_cast<UINT>(number);
    return true;
  }
  size_t pos = 0;
  while (pos <= text.size()) {
    const size_t plus = text.find(L'+', pos);
    const std::wstring part = Lower(Trim(text.substr(pos, plus - pos)));
    pos = plus == std::wstring::npos ? text.size() + 1 : plus + 1;
    if (part == L"ctrl" || part == L"control") combo.mods |= MOD_CONTROL;
    else if (part == L"alt") combo.mods |= MOD_ALT;
    else if (part == L"shift") combo.mods |= MOD_SHIFT;
    else if (part == L"win") combo.mods |= MOD_WIN;
    else if (part.empty() || part == L"无") continue;
    else if (combo.vk == 0 && (combo.vk = KeyCode(part)) != 0) continue;
    else {
      Err(L"unknown key '%ls'\n", part.c_str());
      return false;
    }
  }
  return !keyRequired || combo.vk != 0;
}

bool IsExtended(UINT vk) {
  switch (vk) {
    case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_LWIN: case VK_RWIN:
      return true;
    default:
      return false;
  }
}

INPUT KeyInput(UINT vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = static_cast<WORD>(vk);
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtended(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
  return in;
}

int Keys(const std::wstring& text) {
  Combo c;
  // Modifiers alone ("ctrl") are pressed and released by themselves.
  if (!ParseCombo(text, c, false) || (c.vk == 0 && c.mods == 0)) return 2;
  std::vector<UINT> held;
  if (c.mods & MOD_CONTROL) held.push_back(VK_LCONTROL);
  if (c.mods & MOD_ALT) held.push_back(VK_LMENU);
  if (c.mods & MOD_SHIFT) held.push_back(VK_LSHIFT);
  if (c.mods & MOD_WIN) held.push_back(VK_LWIN);
  std::vector<INPUT> inputs;
  for (UINT vk : held) inputs.push_back(KeyInput(vk, false));
  if (c.vk != 0) {
    inputs.push_back(KeyInput(c.vk, false));
    inputs.push_back(KeyInput(c.vk, true));
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  const unsigned long long sent = Now();
  const UINT n = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  Out(L"%llu\n", sent);
  if (n != inputs.size()) {
    Err(L"SendInput sent %u of %zu (error %lu)\n", n, inputs.size(), GetLastError());
    return 1;
  }
  return 0;
}

// Presses the keys, then watches (every millisecond) for the titled window to become visible:
// prints the time of sending, then the time it was first seen visible.
int KeysUntilShown(const std::wstring& keys, const std::wstring& title, unsigned long long timeoutMs) {
  if (int rc = Keys(keys)) return rc;
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < until) {
    HWND w = FindWindowW(nullptr, title.c_str());
    if (w && IsWindowVisible(w)) {
      Out(L"%llu\n", Now());
      return 0;
    }
    Sleep(1);
  }
  return 1;
}

// Types the text as Unicode characters into whatever has the keyboard focus, after so many
// Backspaces, all in one SendInput.
int Type(const std::wstring& text, std::size_t backspaces = 0) {
  std::vector<INPUT> inputs;
  for (std::size_t i = 0; i < backspaces; ++i) {
    inputs.push_back(KeyInput(VK_BACK, false));
    inputs.push_back(KeyInput(VK_BACK, true));
  }
  for (wchar_t ch : text) {
    for (bool up : {false, true}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = ch;
      in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(in);
    }
  }
  const UINT n = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return n == inputs.size() ? 0 : 1;
}

// Types the text with the keys of the keyboard layout (VkKeyScan), Shift where a character
// needs it, each key as its own SendInput a few milliseconds apart, as a person types: a hook
// sees real key presses, not characters. "\b" in the text is Backspace.
int VkType(const std::wstring& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    std::vector<INPUT> inputs;
    UINT vk = 0;
    bool shift = false;
    if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'b') {
      vk = VK_BACK;
      ++i;
    } else {
      const SHORT scan = VkKeyScanW(text[i]);
      if (scan == -1) return 2;
      vk = LOBYTE(scan);
      shift = (HIBYTE(scan) & 1) != 0;
    }
    if (shift) inputs.push_back(KeyInput(VK_LSHIFT, false));
    inputs.push_back(KeyInput(vk, false));
    inputs.push_back(KeyInput(vk, true));
    if (shift) inputs.push_back(KeyInput(VK_LSHIFT, true));
    if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) return 1;
    Sleep(15);
  }
  return 0;
}

// A title, or "class|title" where two windows share a title (a message box and its owner).
HWND Find(const std::wstring& title) {
  const size_t bar = title.find(L'|');
  if (bar == std::wstring::npos) return FindWindowW(nullptr, title.c_str());
  return FindWindowW(title.substr(0, bar).c_str(), title.substr(bar + 1).c_str());
}

int FindWindowCmd(const std::wstring& title, unsigned long long waitMs) {
  const ULONGLONG until = GetTickCount64() + waitMs;
  for (;;) {
    if (HWND w = Find(title)) {
      Out(L"%p\n", static_cast<void*>(w));
      return 0;
    }
    if (GetTickCount64() >= until) return 1;
    Sleep(20);
  }
}

UINT MessageCode(const std::wstring& name) {
  unsigned long long v = 0;
  if (ParseNumber(name, v)) return static_cast<UINT>(v);
  static const struct { const wchar_t* name; UINT msg; } kNames[] = {
      {L"WM_QUERYENDSESSION", WM_QUERYENDSESSION}, {L"WM_ENDSESSION", WM_ENDSESSION},
      {L"WM_CLOSE", WM_CLOSE}, {L"WM_DESTROY", WM_DESTROY}, {L"WM_HOTKEY", WM_HOTKEY},
      {L"WM_COMMAND", WM_COMMAND}, {L"WM_SYSCOMMAND", WM_SYSCOMMAND}, {L"WM_NULL", WM_NULL},
  };
  for (const auto& m : kNames)
    if (name == m.name) return m.msg;
  return RegisterWindowMessageW(name.c_str());  // e.g. MYMESSAGE
}

// <title> <msg> [wparam] [lparam], as send and post take them. 0 when the window and the
// numbers are there, else the exit code to give.
struct Message {
  HWND window = nullptr;
  UINT msg = 0;
  WPARAM wp = 0;
  LPARAM lp = 0;
};
int ParseMessage(const std::vector<std::wstring>& a, Message& m) {
  m.window = Find(a[0]);
  if (!m.window) {
    Err(L"no window '%ls'\n", a[0].c_str());
    return 1;
  }
  unsigned long long wp = 0, lp = 0;
  if ((a.size() > 2 && !ParseNumber(a[2], wp)) || (a.size() > 3 && !ParseNumber(a[3], lp))) return 2;
  m.msg = MessageCode(a[1]);
  m.wp = static_cast<WPARAM>(wp);
  m.lp = static_cast<LPARAM>(lp);
  return 0;
}

int Send(const std::vector<std::wstring>& a) {
  Message m;
  if (int rc = ParseMessage(a, m)) return rc;
  DWORD_PTR result = 0;
  // A program that hangs in its handler must not hang the test as well.
  if (!SendMessageTimeoutW(m.window, m.msg, m.wp, m.lp, SMTO_NORMAL, 10000, &result)) {
    Err(L"message not answered (error %lu)\n", GetLastError());
    return 1;
  }
  Out(L"%llu\n", static_cast<unsigned long long>(result));
  return 0;
}

// Posting returns at once, also when the program answers with a modal message box.
int Post(const std::vector<std::wstring>& a) {
  Message m;
  if (int rc = ParseMessage(a, m)) return rc;
  return PostMessageW(m.window, m.msg, m.wp, m.lp) ? 0 : 1;
}

int Control(const std::vector<std::wstring>& a) {
  HWND w = Find(a[0]);
  unsigned long long id = 0, wp = 0, lp = 0;
  if (!ParseNumber(a[1], id) || (a.size() > 3 && !ParseNumber(a[3], wp)) ||
      (a.size() > 4 && !ParseNumber(a[4], lp))) {
    return 2;
  }
  HWND control = w ? GetDlgItem(w, static_cast<int>(id)) : nullptr;
  if (!control) {
    Err(L"no control %llu in '%ls'\n", id, a[0].c_str());
    return 1;
  }
  const UINT msg = a[2] == L"BM_CLICK" ? BM_CLICK : MessageCode(a[2]);
  return PostMessageW(control, msg, static_cast<WPARAM>(wp), static_cast<LPARAM>(lp)) ? 0 : 1;
}

int Select(const std::wstring& title, const std::wstring& idText, const std::wstring& indexText) {
  HWND w = Find(title);
  unsigned long long id = 0, index = 0;
  if (!ParseNumber(idText, id) || !ParseNumber(indexText, index)) return 2;
  HWND combo = w ? GetDlgItem(w, static_cast<int>(id)) : nullptr;
  if (!combo) return 1;
  if (SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) return 1;
  // A choice by code sends no notification; the user's choice does, so send it.
  PostMessageW(w, WM_COMMAND, MAKEWPARAM(static_cast<int>(id), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
  return 0;
}

int Hold(const std::wstring& mods, const std::wstring& key, const std::wstring& ms) {
  Combo c;
  unsigned long long wait = 0;
  if (!ParseCombo(mods, c, false) || !ParseNumber(ms, wait)) return 2;
  c.vk = KeyCode(key);
  if (c.vk == 0) return 2;
  if (!RegisterHotKey(nullptr, 1, c.mods, c.vk)) {
    Err(L"cannot hold (error %lu)\n", GetLastError());
    return 1;
  }
  Out(L"holding\n");
  fflush(stdout);
  Sleep(static_cast<DWORD>(wait));
  UnregisterHotKey(nullptr, 1);
  return 0;
}

int LookAlike(const std::wstring& title, const std::wstring& ms, const std::wstring& hung) {
  unsigned long long wait = 0;
  if (!ParseNumber(ms, wait)) return 2;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"CabinetWClass";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           0, 0, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
  if (w == nullptr) return 1;
  Out(L"shown\n");
  fflush(stdout);
  const ULONGLONG until = GetTickCount64() + wait;
  if (hung == L"1") {
    Sleep(static_cast<DWORD>(wait));
    return 0;
  }
  while (GetTickCount64() < until) {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  return 0;
}

int Texts(const std::wstring& title) {
  HWND w = Find(title);
  if (!w) return 1;
  EnumChildWindows(
      w,
      [](HWND child, LPARAM) -> BOOL {
        wchar_t text[2048] = L"";
        SendMessageTimeoutW(child, WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                            2000, nullptr);
        if (text[0] != L'\0') Out(L"%ls\n", text);
        return TRUE;
      },
      0);
  return 0;
}

// Reads the rows of another process's list control: the item structure and the text buffer
// live in that process, where the control looks for them.
// Selects exactly the given items of the window's list control (the first is also the focused,
// current one), as clicks with Ctrl held would.
int ListViewSelect(const std::wstring& title, const std::vector<std::wstring>& items) {
  HWND w = Find(title);
  HWND list = w ? FindWindowExW(w, nullptr, L"SysListView32", nullptr) : nullptr;
  if (!list) {
    Err(L"no list control in '%ls' (window %p)\n", title.c_str(), static_cast<void*>(w));
    return 1;
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE h = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!h) {
    Err(L"cannot open process %lu (error %lu)\n", pid, GetLastError());
    return 1;
  }
  void* remote = VirtualAllocEx(h, nullptr, sizeof(LVITEMW), MEM_COMMIT, PAGE_READWRITE);
  auto setState = [&](int index, UINT state, UINT mask) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    WriteProcessMemory(h, remote, &item, sizeof item, nullptr);
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote));
  };
  setState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (std::size_t i = 0; i < items.size(); ++i) {
    unsigned long long index = 0;
    if (!ParseNumber(items[i], index)) return 2;
    setState(static_cast<int>(index), LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0),
             LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0));
  }
  VirtualFreeEx(h, remote, 0, MEM_RELEASE);
  CloseHandle(h);
  return 0;
}

// Drops files on the window's list control (or text box) as the shell does: WM_DROPFILES with
// a DROPFILES block. The block is written into the target's memory: under Wine a handle of
// fixed global memory is its own address, so the block serves as the drop handle there
// (DragFinish cannot free it in that process; a test leaves it behind). This is a Wine-only
// test instrument.
int DropFiles(const std::wstring& title, const std::vector<std::wstring>& paths) {
  HWND w = Find(title);
  HWND list = w ? FindWindowExW(w, nullptr, L"SysListView32", nullptr) : nullptr;
  if (!list && w) list = FindWindowExW(w, nullptr, L"Edit", nullptr);
  if (!list) return 1;
  std::vector<char> block(sizeof(DROPFILES));
  auto* head = reinterpret_cast<DROPFILES*>(block.data());
  head->pFiles = sizeof(DROPFILES);
  head->fWide = TRUE;
  for (const std::wstring& path : paths) {
    const char* bytes = reinterpret_cast<const char*>(path.c_str());
    block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
  }
  block.insert(block.end(), sizeof(wchar_t), '\0');  // the list ends with an empty name
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE h = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
  if (!h) return 1;
  void* remote = VirtualAllocEx(h, nullptr, block.size(), MEM_COMMIT, PAGE_READWRITE);
  const bool written = remote && WriteProcessMemory(h, remote, block.data(), block.size(), nullptr);
  CloseHandle(h);
  if (!written) return 1;
  return PostMessageW(list, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) ? 0 : 1;
}

// listview: each row's four cells joined by Tab, then whether the row is marked. lvcells
// (escaped): the cells as they are, whatever they hold; a cell's own Tab, CR, LF and backslash
// are escaped so that they cannot look like the separator.
int PrintListView(const std::wstring& title, bool escaped) {
  HWND w = Find(title);
  HWND list = w ? FindWindowExW(w, nullptr, L"SysListView32", nullptr) : nullptr;
  if (!list) return 1;
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE h = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!h) return 1;
  constexpr SIZE_T kText = 1024;
  auto* remote = static_cast<char*>(
      VirtualAllocEx(h, nullptr, sizeof(LVITEMW) + kText * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  wchar_t* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
  const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring line;
    for (int c = 0; c < 4; ++c) {
      LVITEMW item{};
      item.mask = LVIF_TEXT | LVIF_PARAM;
      item.iItem = i;
      item.iSubItem = c;
      item.pszText = remoteText;
      item.cchTextMax = static_cast<int>(kText);
      WriteProcessMemory(h, remote, &item, sizeof item, nullptr);
      SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote));
      wchar_t text[kText] = L"";
      ReadProcessMemory(h, remoteText, text, sizeof text - sizeof(wchar_t), nullptr);
      ReadProcessMemory(h, remote, &item, sizeof item, nullptr);
      if (!escaped) {
        line += text;
        line += L"\t";
        if (c == 3) line += (item.lParam & 1) != 0 ? L"marked" : L"plain";
        if (c == 3 && (item.lParam & 2) != 0) line += L"\toff";  // a binding switched off
        continue;
      }
      if (c > 0) line += L'\t';
      for (const wchar_t* p = text; *p != L'\0'; ++p) {
        switch (*p) {
          case L'\t': line += L"\\t"; break;
          case L'\r': line += L"\\r"; break;
          case L'\n': line += L"\\n"; break;
          case L'\\': line += L"\\\\"; break;
          default: line += *p;
        }
      }
    }
    Out(L"%ls\n", line.c_str());
  }
  VirtualFreeEx(h, remote, 0, MEM_RELEASE);
  CloseHandle(h);
  return 0;
}

HWND ControlOf(const std::wstring& title, const std::wstring& idText) {
  HWND w = Find(title);
  unsigned long long id = 0;
  if (!w || !ParseNumber(idText, id)) return nullptr;
  return GetDlgItem(w, static_cast<int>(id));
}

int ControlText(const std::wstring& title, const std::wstring& id) {
  HWND control = ControlOf(title, id);
  if (!control) return 1;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 5000, &length)) return 1;
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_NORMAL, 5000, &got);
  text.resize(got);
  std::wstring escaped;
  for (wchar_t c : text) {
    if (c == L'\r') escaped += L"\\r";
    else if (c == L'\n') escaped += L"\\n";
    else if (c == L'\\') escaped += L"\\\\";
    else escaped += c;
  }
  // Out's buffer is for short lines; a text goes out in pieces.
  for (size_t at = 0; at < escaped.size(); at += 500) Out(L"%ls", escaped.substr(at, 500).c_str());
  Out(L"\n");
  return 0;
}

// Presses the keys (or, for "type:N", types N letters in one SendInput), then watches the edit
// box (every millisecond) grow: prints the time of sending, the time its first new character
// came and the time it held `count` more characters than before.
int KeysUntilText(const std::wstring& keys, const std::wstring& title, const std::wstring& id,
                  unsigned long long count, unsigned long long timeoutMs) {
  HWND box = ControlOf(title, id);
  if (!box) return 1;
  auto length = [box] {
    DWORD_PTR n = 0;
    SendMessageTimeoutW(box, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 1000, &n);
    return static_cast<unsigned long long>(n);
  };
  const unsigned long long before = length();
  if (keys.rfind(L"type:", 0) == 0) {  // "type:N" letters, "type:N:B" after B Backspaces
    const std::size_t colon = keys.find(L':', 5);
    const auto backspaces = colon == std::wstring::npos ? 0 : std::stoull(keys.substr(colon + 1));
    const unsigned long long sent = Now();
    if (Type(std::wstring(static_cast<std::size_t>(std::stoull(keys.substr(5, colon - 5))), L'a'),
             static_cast<std::size_t>(backspaces)) != 0) {
      return 1;
    }
    Out(L"%llu\n", sent);
  } else if (int rc = Keys(keys)) {
    return rc;
  }
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  bool first = false;
  while (GetTickCount64() < until) {
    const unsigned long long n = length();
    if (!first && n > before) {
      Out(L"%llu\n", Now());
      first = true;
    }
    if (n >= before + count) {
      Out(L"%llu\n", Now());
      return 0;
    }
    Sleep(1);
  }
  return 1;
}

int Rect(const std::wstring& title) {
  HWND w = Find(title);
  RECT r{};
  if (!w || !GetWindowRect(w, &r)) return 1;
  Out(L"%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
  return 0;
}

int Resize(const std::wstring& title, const std::wstring& width, const std::wstring& height) {
  unsigned long long cx = 0, cy = 0;
  if (!ParseNumber(width, cx) || !ParseNumber(height, cy)) return 2;
  HWND w = Find(title);
  if (!w) return 1;
  return SetWindowPos(w, nullptr, 0, 0, static_cast<int>(cx), static_cast<int>(cy),
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)
             ? 0
             : 1;
}

// Moves the pointer through SendInput (absolute input is in 1/65536 of the screen; this aims
// at the middle of the pixel), so that the window under it gets the move.
bool MovePointer(int x, int y) {
  const long long width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = static_cast<LONG>((2LL * x + 1) * 65536 / (2 * width));
  in.mi.dy = static_cast<LONG>((2LL * y + 1) * 65536 / (2 * height));
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return SendInput(1, &in, sizeof in) == 1;
}

int Pointer(const std::wstring& xText, const std::wstring& yText) {
  unsigned long long x = 0, y = 0;
  if (!ParseNumber(xText, x) || !ParseNumber(yText, y)) return 2;
  if (!MovePointer(static_cast<int>(x), static_cast<int>(y))) return 1;
  Sleep(50);
  POINT at{};
  GetCursorPos(&at);
  Out(L"%ld %ld\n", at.x, at.y);
  return 0;
}

// Left clicks at a point of the window's client area, quickly enough to make a double click.
int Click(const std::vector<std::wstring>& a) {
  unsigned long long x = 0, y = 0, count = 1;
  if (!ParseNumber(a[1], x) || !ParseNumber(a[2], y) || (a.size() > 3 && !ParseNumber(a[3], count))) {
    return 2;
  }
  HWND w = Find(a[0]);
  POINT at{static_cast<LONG>(x), static_cast<LONG>(y)};
  if (!w || !ClientToScreen(w, &at) || !MovePointer(at.x, at.y)) return 1;
  Sleep(50);
  for (unsigned long long i = 0; i < count; ++i) {
    INPUT press[2]{};
    press[0].type = press[1].type = INPUT_MOUSE;
    press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    if (SendInput(2, press, sizeof(INPUT)) != 2) return 1;
    Sleep(50);
  }
  Out(L"%ld %ld\n", at.x, at.y);
  return 0;
}

// Moves the pointer to (x, y) of the titled window's client area and, with the modifiers of
// the combination held, presses and releases one mouse button or turns the wheel one notch:
// "left", "middle", "x1", "x2", "wheelup", "wheeldown" ("ctrl+wheelup"). Prints the time of
// sending, as keys does.
int MouseButton(const std::vector<std::wstring>& a) {
  unsigned long long x = 0, y = 0;
  if (!ParseNumber(a[1], x) || !ParseNumber(a[2], y)) return 2;
  std::wstring what = Lower(a[3]);
  Combo c;
  const size_t plus = what.rfind(L'+');
  if (plus != std::wstring::npos) {
    if (!ParseCombo(what.substr(0, plus), c, false)) return 2;
    what = what.substr(plus + 1);
  }
  HWND w = Find(a[0]);
  POINT at{static_cast<LONG>(x), static_cast<LONG>(y)};
  if (!w || !ClientToScreen(w, &at) || !MovePointer(at.x, at.y)) return 1;
  Sleep(50);
  std::vector<INPUT> inputs;
  std::vector<UINT> held;
  if (c.mods & MOD_CONTROL) held.push_back(VK_LCONTROL);
  if (c.mods & MOD_ALT) held.push_back(VK_LMENU);
  if (c.mods & MOD_SHIFT) held.push_back(VK_LSHIFT);
  if (c.mods & MOD_WIN) held.push_back(VK_LWIN);
  for (UINT vk : held) inputs.push_back(KeyInput(vk, false));
  INPUT down{}, up{};
  down.type = up.type = INPUT_MOUSE;
  if (what == L"left") {
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN, up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  } else if (what == L"middle") {
    down.mi.dwFlags = MOUSEEVENTF_MIDDLEDOWN, up.mi.dwFlags = MOUSEEVENTF_MIDDLEUP;
  } else if (what == L"x1" || what == L"x2") {
    down.mi.dwFlags = MOUSEEVENTF_XDOWN, up.mi.dwFlags = MOUSEEVENTF_XUP;
    down.mi.mouseData = up.mi.mouseData = what == L"x1" ? XBUTTON1 : XBUTTON2;
  } else if (what == L"wheelup" || what == L"wheeldown") {
    down.mi.dwFlags = MOUSEEVENTF_WHEEL;
    down.mi.mouseData = static_cast<DWORD>(what == L"wheelup" ? WHEEL_DELTA : -WHEEL_DELTA);
  } else {
    return 2;
  }
  inputs.push_back(down);
  if (up.mi.dwFlags != 0) inputs.push_back(up);
  for (auto it = held.rbegin(); it != held.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  const unsigned long long sent = Now();
  if (SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) != inputs.size()) return 1;
  Out(L"%llu\n", sent);
  return 0;
}

// The median delay, in microseconds, from SendInput of an input to its message in a window of
// the driver's, made topmost and brought to the front: `send` sends the i-th input, `seen`
// tells its message from others.
template <typename Send, typename Seen>
int InputDelay(const wchar_t* name, unsigned long long count, Send send, Seen seen) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, name, WS_POPUP | WS_VISIBLE, 100, 100, 200, 200,
                           nullptr, nullptr, wc.hInstance, nullptr);
  if (!w) return 1;
  SetForegroundWindow(w);
  SetFocus(w);
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::vector<long long> delays;
  for (unsigned long long i = 0; i < count; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    if (!send(i)) return 1;
    const ULONGLONG until = GetTickCount64() + 2000;
    bool arrived = false;
    while (!arrived && GetTickCount64() < until) {
      if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        continue;
      }
      arrived = m.hwnd == w && seen(m, i);
      DispatchMessageW(&m);
    }
    QueryPerformanceCounter(&end);
    if (arrived) delays.push_back((end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart);
  }
  DestroyWindow(w);
  if (delays.empty()) return 1;
  std::sort(delays.begin(), delays.end());
  Out(L"%lld\n", delays[delays.size() / 2]);
  return 0;
}

// Pointer moves back and forth, until the window has the WM_MOUSEMOVE: what the low-level mouse
// hooks of the session add to every move.
int MoveDelay(unsigned long long count) {
  auto x = [](unsigned long long i) { return 150 + static_cast<int>(i % 2) * 50; };
  return InputDelay(L"TarvekE2EMoves", count, [&](unsigned long long i) { return MovePointer(x(i), 200); },
                    [&](const MSG& m, unsigned long long i) {
                      if (m.message != WM_MOUSEMOVE) return false;
                      POINT at{static_cast<short>(LOWORD(m.lParam)), static_cast<short>(HIWORD(m.lParam))};
                      ClientToScreen(m.hwnd, &at);
                      return at.x == x(i) && at.y == 200;
                    });
}

// Presses of a letter key (Q, then its release), as a person types a word: what every key the
// user types waits for a key hook.
int KeyDelay(unsigned long long count) {
  return InputDelay(L"TarvekE2EKeys", count,
                    [](unsigned long long) {
                      INPUT in[2] = {KeyInput('Q', false), KeyInput('Q', true)};
                      return SendInput(2, in, sizeof(INPUT)) == 2;
                    },
                    [](const MSG& m, unsigned long long) { return m.message == WM_KEYDOWN && m.wParam == 'Q'; });
}

// The recorder's window: what the mouse does to it, line by line into a file.
std::wstring recorderLog;

void Record(const std::string& line) {
  HANDLE h = CreateFileW(recorderLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(h);
}

void RecordAt(const char* what, HWND w, LPARAM lp) {
  POINT at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  ClientToScreen(w, &at);
  Record(std::string(what) + " " + std::to_string(at.x) + " " + std::to_string(at.y) + "\r\n");
}

LRESULT CALLBACK RecorderProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN: RecordAt("down", w, lp); return 0;
    case WM_LBUTTONUP: RecordAt("up", w, lp); return 0;
    case WM_RBUTTONDOWN: Record("rdown\r\n"); return 0;
    case WM_RBUTTONUP: Record("rup\r\n"); return 0;
    case WM_MBUTTONDOWN: Record("mdown\r\n"); return 0;
    case WM_MBUTTONUP: Record("mup\r\n"); return 0;
    case WM_XBUTTONDOWN: Record(HIWORD(wp) == XBUTTON1 ? "x1down\r\n" : "x2down\r\n"); return TRUE;
    case WM_XBUTTONUP: Record(HIWORD(wp) == XBUTTON1 ? "x1up\r\n" : "x2up\r\n"); return TRUE;
    case WM_MOUSEWHEEL: Record(GET_WHEEL_DELTA_WPARAM(wp) > 0 ? "wheelup\r\n" : "wheeldown\r\n"); return 0;
    case WM_MOUSEMOVE:
      if (wp & MK_LBUTTON) RecordAt("drag", w, lp);
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(w, msg, wp, lp);
  }
}

int Recorder(const std::vector<std::wstring>& a) {
  unsigned long long x = 0, y = 0, width = 0, height = 0, ms = 0;
  if (!ParseNumber(a[1], x) || !ParseNumber(a[2], y) || !ParseNumber(a[3], width) ||
      !ParseNumber(a[4], height) || !ParseNumber(a[6], ms)) {
    return 2;
  }
  recorderLog = a[5];
  WNDCLASSW wc{};
  wc.lpfnWndProc = RecorderProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"TarvekE2ERecorder";
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, a[0].c_str(), WS_POPUP | WS_BORDER | WS_VISIBLE,
                           static_cast<int>(x), static_cast<int>(y), static_cast<int>(width),
                           static_cast<int>(height), nullptr, nullptr, wc.hInstance, nullptr);
  if (!w) return 1;
  SetTimer(w, 1, static_cast<UINT>(ms), [](HWND window, UINT, UINT_PTR, DWORD) { DestroyWindow(window); });
  Out(L"recording\n");
  fflush(stdout);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return 0;
}

int ListBoxItems(const std::wstring& title, const std::wstring& idText) {
  HWND list = ControlOf(title, idText);
  if (!list) return 1;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) return 1;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    Out(L"%ls\n", text.c_str());
  }
  Out(L"selected %ld\n", static_cast<long>(SendMessageW(list, LB_GETCURSEL, 0, 0)));
  return 0;
}

// Clicks the middle of the item's row, as a user would; the item must be in view.
int ListBoxClick(const std::wstring& title, const std::wstring& idText,
                 const std::wstring& indexText) {
  HWND list = ControlOf(title, idText);
  unsigned long long index = 0;
  if (!list || !ParseNumber(indexText, index)) return 1;
  const LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  const LRESULT height = SendMessageW(list, LB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0);
  if (height <= 0 || static_cast<LRESULT>(index) < top) return 1;
  POINT at{8, static_cast<LONG>((static_cast<LRESULT>(index) - top) * height + height / 2)};
  if (!ClientToScreen(list, &at) || !MovePointer(at.x, at.y)) return 1;
  Sleep(50);
  INPUT press[2]{};
  press[0].type = press[1].type = INPUT_MOUSE;
  press[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  if (SendInput(2, press, sizeof(INPUT)) != 2) return 1;
  Sleep(50);
  return 0;
}

int EditSelection(const std::wstring& title, const std::wstring& idText) {
  HWND edit = ControlOf(title, idText);
  if (!edit) return 1;
  const LRESULT selection = SendMessageW(edit, EM_GETSEL, 0, 0);
  // Asked of the control itself: Wine answers GetWindowTextLength for another process's
  // window from the window's caption, which an edit control does not keep.
  const LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  Out(L"%ld %d %d\n", static_cast<long>(length), LOWORD(selection), HIWORD(selection));
  return 0;
}

int Focus(const std::wstring& title) {
  HWND w = Find(title);
  if (!w) return 1;
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &info) || !info.hwndFocus) return 1;
  if (GetAncestor(info.hwndFocus, GA_ROOT) != w) return 1;
  Out(L"%d\n", GetDlgCtrlID(info.hwndFocus));
  return 0;
}

class DropSource final : public IDropSource {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropSource)) {
      *out = static_cast<IDropSource*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the stack of Drop
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // The button's state is asked of the system: it went down over another program's window, so
  // this thread's own key state never saw it.
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD) override {
    if (escape) return DRAGDROP_S_CANCEL;
    return (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0 ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

void MouseButton(DWORD flags) {
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  SendInput(1, &in, sizeof in);
}

// Drags the data object from the screen's lower right corner onto the point, as a user would:
// the button goes down, DoDragDrop tracks the pointer that another thread moves, and the
// release drops it. A drag that is still running 5 s after the release is cancelled with Esc.
int Drop(const std::vector<std::wstring>& a) {
  unsigned long long x = 0, y = 0;
  if (a.size() < 4 || !ParseNumber(a[1], x) || !ParseNumber(a[2], y)) return 2;
  HWND w = Find(a[0]);
  POINT target{static_cast<LONG>(x), static_cast<LONG>(y)};
  if (!w || !ClientToScreen(w, &target)) return 1;
  tarvek::testdata::DataObject* data = nullptr;
  if (a[3] == L"files" && a.size() > 4) {
    data = tarvek::testdata::DataObject::Files({a.begin() + 4, a.end()});
  } else if (a[3] == L"text" && a.size() == 5) {
    data = tarvek::testdata::DataObject::UnicodeText(a[4]);
  } else if (a[3] == L"ansi" && a.size() == 5) {
    const int n = WideCharToMultiByte(CP_ACP, 0, a[4].c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, a[4].c_str(), -1, ansi.data(), n, nullptr, nullptr);
    data = tarvek::testdata::DataObject::AnsiText(ansi);
  } else if (a[3] == L"neither" && a.size() == 4) {
    data = tarvek::testdata::DataObject::Neither();
  } else {
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) return 1;
  const POINT start{GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5};
  MovePointer(start.x, start.y);
  Sleep(50);
  MouseButton(MOUSEEVENTF_LEFTDOWN);
  std::atomic<bool> done{false};
  std::thread hand([&] {
    Sleep(300);
    constexpr int kSteps = 12;
    for (int i = 1; i <= kSteps; ++i) {
      MovePointer(start.x + (target.x - start.x) * i / kSteps,
                  start.y + (target.y - start.y) * i / kSteps);
      Sleep(40);
    }
    Sleep(300);
    MouseButton(MOUSEEVENTF_LEFTUP);
    for (int i = 0; i < 100 && !done; ++i) Sleep(50);
    if (!done) {
      INPUT esc[2] = {KeyInput(VK_ESCAPE, false), KeyInput(VK_ESCAPE, true)};
      SendInput(2, esc, sizeof(INPUT));
    }
  });
  DropSource source;
  DWORD effect = DROPEFFECT_NONE;
  const HRESULT hr = DoDragDrop(data, &source, DROPEFFECT_COPY, &effect);
  done = true;
  hand.join();
  data->Release();
  OleUninitialize();
  Out(L"%ls %lu\n", hr == DRAGDROP_S_DROP ? L"dropped" : L"cancelled", effect);
  return hr == DRAGDROP_S_DROP && effect != DROPEFFECT_NONE ? 0 : 1;
}

int TryRegister(const std::wstring& mods, const std::wstring& key) {
  Combo c;
  if (!ParseCombo(mods, c, false)) return 2;
  c.vk = KeyCode(key);
  unsigned long long vk = 0;
  if (c.vk == 0 && ParseNumber(key, vk)) c.vk = static_cast<UINT>(vk);
  if (c.vk == 0) return 2;
  if (!RegisterHotKey(nullptr, 1, c.mods, c.vk)) {
    Out(L"held (error %lu)\n", GetLastError());
    return 1;
  }
  UnregisterHotKey(nullptr, 1);
  Out(L"free\n");
  return 0;
}

std::wstring Quote(const std::wstring& s) {
  return s.find_first_of(L" \t\"") == std::wstring::npos ? s : L"\"" + s + L"\"";
}

struct Answering {
  DWORD pid;
  bool answered;
};

// True once a top-level window of the process has answered a WM_NULL: its thread has come
// round to its message loop, so whatever start-up does before that is done.
bool ProcessAnswers(DWORD pid) {
  Answering a{pid, false};
  EnumWindows(
      [](HWND w, LPARAM lp) -> BOOL {
        auto* a = reinterpret_cast<Answering*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != a->pid) return TRUE;
        a->answered = SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, nullptr) != 0;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&a));
  return a.answered;
}

// The moment `combo` is taken. Trying a registration holds the combination for a moment
// itself, so it is only tried once the program answers messages, i.e. past its start-up
// code, where it can no longer be in the middle of registering.
unsigned long long WaitHeld(DWORD pid, HANDLE process, const Combo& combo) {
  const ULONGLONG until = GetTickCount64() + 30000;
  while (GetTickCount64() < until && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    if (ProcessAnswers(pid)) {
      if (!RegisterHotKey(nullptr, 1, combo.mods, combo.vk)) {
        if (GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED) return Now();
      } else {
        UnregisterHotKey(nullptr, 1);
      }
    }
    Sleep(1);
  }
  return 0;
}

// The moment the process has a top-level window titled `title` (hidden ones count): what a
// second copy of the program looks for when it hands over. The window manager tells of each
// window made or renamed in the process; finding it by polling instead would keep the window
// server so busy that the start it measures slows down.
struct WindowWatch {
  std::wstring title;
  unsigned long long seen = 0;
};
WindowWatch* watch = nullptr;

void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD, HWND w, LONG object, LONG child, DWORD, DWORD) {
  if (watch == nullptr || watch->seen != 0 || w == nullptr || object != OBJID_WINDOW ||
      child != CHILDID_SELF || GetAncestor(w, GA_PARENT) != GetDesktopWindow()) {
    return;
  }
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  if (watch->title == text) watch->seen = Now();
}

// Watches the process's windows from before its first instruction: it is made suspended.
class WindowWatcher {
 public:
  WindowWatcher(DWORD pid, const std::wstring& title) : watch_{title} {
    MSG m;
    PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE);  // a queue to be told on
    watch = &watch_;
    for (DWORD event : {EVENT_OBJECT_CREATE, EVENT_OBJECT_NAMECHANGE}) {
      hooks_.push_back(SetWinEventHook(event, event, nullptr, OnWindowEvent, pid, 0,
                                       WINEVENT_OUTOFCONTEXT));
    }
  }
  ~WindowWatcher() {
    for (HWINEVENTHOOK hook : hooks_) {
      if (hook != nullptr) UnhookWinEvent(hook);
    }
    watch = nullptr;
  }
  WindowWatcher(const WindowWatcher&) = delete;
  WindowWatcher& operator=(const WindowWatcher&) = delete;

  unsigned long long Wait(HANDLE process) {
    const ULONGLONG until = GetTickCount64() + 30000;
    for (ULONGLONG now = GetTickCount64(); watch_.seen == 0 && now < until; now = GetTickCount64()) {
      DWORD r = MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(until - now),
                                          QS_ALLINPUT);
      if (r != WAIT_OBJECT_0 + 1) break;  // ended, or no more time
      MSG m;
      while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }
    return watch_.seen;
  }

 private:
  WindowWatch watch_;
  std::vector<HWINEVENTHOOK> hooks_;
};

// start [--window <title>] [--held <combo>] <exe> [args...]
int Start(std::vector<std::wstring> a) {
  Combo held;
  std::wstring window;
  for (;;) {
    if (a.size() >= 3 && a[0] == L"--held") {
      if (!ParseCombo(a[1], held, true)) return 2;
    } else if (a.size() >= 3 && a[0] == L"--window") {
      window = a[1];
    } else {
      break;
    }
    a.erase(a.begin(), a.begin() + 2);
  }
  std::wstring cmd;
  for (const auto& s : a) cmd += (cmd.empty() ? L"" : L" ") + Quote(s);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // The first hotkey call of a process connects it to the display (tens of milliseconds under
  // Wine): done here, before the clock starts, it is not counted against the program.
  if (held.vk && RegisterHotKey(nullptr, 1, held.mods, held.vk)) UnregisterHotKey(nullptr, 1);
  const unsigned long long t0 = Now();
  const DWORD flags = window.empty() ? 0 : CREATE_SUSPENDED;
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr, &si, &pi)) {
    Err(L"cannot start %ls (error %lu)\n", cmd.c_str(), GetLastError());
    return 1;
  }
  unsigned long long tw = 0;
  if (!window.empty()) {
    WindowWatcher watcher(pi.dwProcessId, window);
    ResumeThread(pi.hThread);
    tw = watcher.Wait(pi.hProcess);
  }
  // Input-idle comes early under Wine (see WaitIdle); --held waits for what matters here.
  const DWORD idle = WaitForInputIdle(pi.hProcess, 30000);
  const unsigned long long t1 = Now();
  const unsigned long long t2 = held.vk ? WaitHeld(pi.dwProcessId, pi.hProcess, held) : 0;
  Out(L"pid=%lu start=%llu window=%llu idle=%llu held=%llu\n", pi.dwProcessId, t0, tw, t1, t2);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return idle == 0 && (held.vk == 0 || t2 != 0) && (window.empty() || tw != 0) ? 0 : 1;
}

HANDLE OpenPid(const std::wstring& pid, DWORD access) {
  unsigned long long v = 0;
  if (!ParseNumber(pid, v)) return nullptr;
  HANDLE h = OpenProcess(access, FALSE, static_cast<DWORD>(v));
  if (!h) Err(L"cannot open process %ls (error %lu)\n", pid.c_str(), GetLastError());
  return h;
}

int WaitExit(const std::wstring& pid, const std::wstring& ms) {
  unsigned long long wait = 0;
  if (!ParseNumber(ms, wait)) return 2;
  HANDLE h = OpenPid(pid, SYNCHRONIZE);
  if (!h) return 0;  // already gone
  const DWORD r = WaitForSingleObject(h, static_cast<DWORD>(wait));
  CloseHandle(h);
  return r == WAIT_OBJECT_0 ? 0 : 1;
}

// Starts n copies of the program one right after the other, without waiting for any.
int StartMany(const std::wstring& count, const std::wstring& exe) {
  unsigned long long n = 0;
  if (!ParseNumber(count, n)) return 2;
  std::vector<PROCESS_INFORMATION> started;
  for (unsigned long long i = 0; i < n; ++i) {
    std::wstring cmd = Quote(exe);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Wine now and then loses a start among many (ERROR_INTERNAL_ERROR: nothing ran).
    int attempt = 0;
    while (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      if (GetLastError() != ERROR_INTERNAL_ERROR || ++attempt == 3) return 1;
    }
    started.push_back(pi);
  }
  for (PROCESS_INFORMATION& pi : started) {
    Out(L"%lu\n", pi.dwProcessId);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  return 0;
}

// n presses of the combination in one SendInput call, as fast as input can go.
int Burst(const std::wstring& text, const std::wstring& count) {
  Combo c;
  unsigned long long n = 0;
  if (!ParseCombo(text, c, true) || !ParseNumber(count, n)) return 2;
  std::vector<UINT> held;
  if (c.mods & MOD_CONTROL) held.push_back(VK_LCONTROL);
  if (c.mods & MOD_ALT) held.push_back(VK_LMENU);
  if (c.mods & MOD_SHIFT) held.push_back(VK_LSHIFT);
  if (c.mods & MOD_WIN) held.push_back(VK_LWIN);
  std::vector<INPUT> inputs;
  for (UINT vk : held) inputs.push_back(KeyInput(vk, false));
  for (unsigned long long i = 0; i < n; ++i) {
    inputs.push_back(KeyInput(c.vk, false));
    inputs.push_back(KeyInput(c.vk, true));
  }
  for (auto it = held.rbegin(); it != held.rend(); ++it) inputs.push_back(KeyInput(*it, true));
  const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  return sent == inputs.size() ? 0 : 1;
}

// The process's GDI and USER object counts.
int GuiCounts(const std::wstring& pid) {
  HANDLE h = OpenPid(pid, PROCESS_QUERY_INFORMATION);
  if (!h) return 1;
  Out(L"%lu %lu\n", GetGuiResources(h, GR_GDIOBJECTS), GetGuiResources(h, GR_USEROBJECTS));
  CloseHandle(h);
  return 0;
}

// Waits for the titled message box, answers it with the button, then ends the process after
// the given number of microseconds, as a crash or a power cut would at that moment.
int AnswerAndKill(const std::wstring& title, const std::wstring& button, const std::wstring& pid,
                  const std::wstring& delay) {
  unsigned long long id = 0, micros = 0;
  if (!ParseNumber(button, id) || !ParseNumber(delay, micros)) return 2;
  HANDLE h = OpenPid(pid, PROCESS_TERMINATE | SYNCHRONIZE);
  if (!h) return 1;
  HWND box = nullptr;
  for (ULONGLONG until = GetTickCount64() + 10000; !box && GetTickCount64() < until; Sleep(5)) {
    box = Find(title);
  }
  if (!box) {
    CloseHandle(h);
    return 1;
  }
  LARGE_INTEGER frequency, now, start;
  QueryPerformanceFrequency(&frequency);
  PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(id), 0);
  QueryPerformanceCounter(&start);
  do {
    QueryPerformanceCounter(&now);
  } while (static_cast<unsigned long long>(now.QuadPart - start.QuadPart) * 1000000 /
               static_cast<unsigned long long>(frequency.QuadPart) < micros);
  TerminateProcess(h, 9);
  WaitForSingleObject(h, 10000);
  CloseHandle(h);
  return 0;
}

// Takes the window's notification-area icon away, as a restart of the notification area does.
int TrayDelete(const std::wstring& title, const std::wstring& idText) {
  unsigned long long id = 0;
  if (!ParseNumber(idText, id)) return 2;
  HWND w = Find(title);
  if (!w) return 1;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = w;
  data.uID = static_cast<UINT>(id);
  return Shell_NotifyIconW(NIM_DELETE, &data) ? 0 : 1;
}

// The product name and version of a program file's version resource.
int Version(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  std::vector<char> info(size);
  if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, info.data())) return 1;
  // The strings of the first language the file lists (the program's are 080404b0, Unicode;
  // an installer's may name the language's code page instead).
  WORD* translation = nullptr;
  UINT translationBytes = 0;
  wchar_t block[32] = L"080404b0";
  if (VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                     &translationBytes) && translationBytes >= 2 * sizeof(WORD)) {
    swprintf(block, 32, L"%04x%04x", translation[0], translation[1]);
  }
  for (const wchar_t* name : {L"ProductName", L"ProductVersion"}) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\") + block + L"\\" + name;
    if (!VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) return 1;
    Out(L"%ls\n", value);
  }
  return 0;
}

int MemInfo(const std::wstring& pid) {
  HANDLE h = OpenPid(pid, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ);
  if (!h) return 1;
  unsigned long long committed = 0;
  MEMORY_BASIC_INFORMATION mbi;
  const char* p = nullptr;
  while (VirtualQueryEx(h, p, &mbi, sizeof mbi) == sizeof mbi) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) committed += mbi.RegionSize;
    const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= p) break;
    p = next;
  }
  CloseHandle(h);
  Out(L"%llu\n", committed);
  return 0;
}

unsigned long long Ticks(const FILETIME& ft) {
  return (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

int CpuTime(const std::wstring& pid) {
  HANDLE h = OpenPid(pid, PROCESS_QUERY_LIMITED_INFORMATION);
  if (!h) return 1;
  FILETIME created, exited, kernel, user;
  const BOOL ok = GetProcessTimes(h, &created, &exited, &kernel, &user);
  CloseHandle(h);
  if (!ok) return 1;
  Out(L"%llu\n", Ticks(kernel) + Ticks(user));
  return 0;
}

// Wine signals input-idle at a process's first message peek, which may come before its
// start-up is over; the window answering a message shows its thread has reached the loop.
int WaitIdle(const std::wstring& title, unsigned long long waitMs) {
  const ULONGLONG until = GetTickCount64() + waitMs;
  HWND w = nullptr;
  while (!(w = Find(title))) {
    if (GetTickCount64() >= until) return 1;
    Sleep(20);
  }
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  HANDLE h = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!h) return 1;
  const ULONGLONG now = GetTickCount64();
  const DWORD left = static_cast<DWORD>(until > now ? until - now : 0);
  const DWORD r = WaitForInputIdle(h, left);
  CloseHandle(h);
  if (r != 0 || !SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, left, nullptr)) return 1;
  Out(L"%lu\n", pid);
  return 0;
}

BOOL CALLBACK PrintWindow(HWND w, LPARAM) {
  wchar_t title[256] = L"", cls[128] = L"";
  GetWindowTextW(w, title, 256);
  GetClassNameW(w, cls, 128);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  Out(L"%p\t%lu\t%d\t%ls\t%ls\n", static_cast<void*>(w), pid, IsWindowVisible(w) ? 1 : 0, cls, title);
  return TRUE;
}

int Ps() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 1;
  PROCESSENTRY32W pe{};
  pe.dwSize = sizeof pe;
  for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe))
    Out(L"%lu\t%lu\t%ls\n", pe.th32ProcessID, pe.th32ParentProcessID, pe.szExeFile);
  CloseHandle(snap);
  return 0;
}

int Modules(const std::wstring& title) {
  HWND w = FindWindowW(nullptr, title.c_str());
  DWORD pid = 0;
  if (w == nullptr || GetWindowThreadProcessId(w, &pid) == 0) return 1;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
  if (snap == INVALID_HANDLE_VALUE) return 1;
  MODULEENTRY32W me{};
  me.dwSize = sizeof me;
  for (BOOL more = Module32FirstW(snap, &me); more; more = Module32NextW(snap, &me))
    Out(L"%ls\n", me.szExePath);
  CloseHandle(snap);
  return 0;
}

// The names the threads of the titled window's process gave themselves (SetThreadDescription),
// one per line; a thread without a name prints "-".
int ThreadNames(const std::wstring& title) {
  HWND w = FindWindowW(nullptr, title.c_str());
  DWORD pid = 0;
  if (w == nullptr || GetWindowThreadProcessId(w, &pid) == 0) return 1;
  using Describe = HRESULT(WINAPI*)(HANDLE, PWSTR*);
  const auto describe = reinterpret_cast<Describe>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetThreadDescription")));
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return 1;
  THREADENTRY32 te{};
  te.dwSize = sizeof te;
  for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te)) {
    if (te.th32OwnerProcessID != pid) continue;
    PWSTR name = nullptr;
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, te.th32ThreadID);
    if (thread != nullptr && describe != nullptr && SUCCEEDED(describe(thread, &name)) && name != nullptr) {
      Out(L"%ls\n", name[0] != L'\0' ? name : L"-");
      LocalFree(name);
    } else {
      Out(L"-\n");
    }
    if (thread != nullptr) CloseHandle(thread);
  }
  CloseHandle(snap);
  return 0;
}

int ClickControl(const std::wstring& title, const std::wstring& id) {
  HWND control = ControlOf(title, id);
  RECT r{};
  if (!control || !GetWindowRect(control, &r)) return 1;
  POINT middle{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  if (!ScreenToClient(Find(title), &middle) || middle.x < 0 || middle.y < 0) return 1;
  return Click({title, std::to_wstring(middle.x), std::to_wstring(middle.y)});
}

bool AnyFileMatches(const std::wstring& pattern) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return true;
}

int HoldFile(const std::wstring& path, const std::wstring& release, DWORD moreMs) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Err(L"cannot open (error %lu)\n", GetLastError());
    return 1;
  }
  Out(L"holding\n");
  fflush(stdout);
  for (int i = 0; i < 6000 && !AnyFileMatches(release); ++i) Sleep(10);
  Sleep(moreMs);
  CloseHandle(file);
  return 0;
}

int LinkTarget(const std::wstring& path) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t target[MAX_PATH * 2] = L"";
  wchar_t folder[MAX_PATH * 2] = L"";
  bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                         IID_IShellLinkW, reinterpret_cast<void**>(&link))) &&
              SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
              SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
              SUCCEEDED(link->GetPath(target, MAX_PATH * 2, nullptr, 0)) &&
              SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH * 2));
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  if (!read) return 1;
  Out(L"%ls\n%ls\n", target, folder);
  return 0;
}

// The visible top-level windows titled so: handle, process id, 1 when minimised, 1 when it is
// the foreground window; one line each.
struct TitledWindows {
  std::wstring title;
  HWND front;
};

BOOL CALLBACK PrintTitledWindow(HWND w, LPARAM context) {
  const auto& search = *reinterpret_cast<const TitledWindows*>(context);
  wchar_t title[256] = L"";
  GetWindowTextW(w, title, 256);
  if (!IsWindowVisible(w) || search.title != title) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  Out(L"%p\t%lu\t%d\t%d\n", static_cast<void*>(w), pid, IsIconic(w) ? 1 : 0, w == search.front ? 1 : 0);
  return TRUE;
}

// Sends the keys, then waits until a window with the title is the foreground window and not
// minimised: prints the moment of sending and that moment, as keysuntilshown does.
int KeysUntilFront(const std::wstring& keys, const std::wstring& title, unsigned long long timeoutMs) {
  if (int rc = Keys(keys)) return rc;
  const ULONGLONG until = GetTickCount64() + timeoutMs;
  while (GetTickCount64() < until) {
    HWND w = GetForegroundWindow();
    wchar_t text[256] = L"";
    if (w && GetWindowTextW(w, text, 256) && title == text && !IsIconic(w)) {
      Out(L"%llu\n", Now());
      return 0;
    }
    Sleep(1);
  }
  return 1;
}

int TitledWindowsCmd(const std::wstring& title) {
  TitledWindows search{title, GetForegroundWindow()};
  return EnumWindows(PrintTitledWindow, reinterpret_cast<LPARAM>(&search)) ? 0 : 1;
}

// Sends the window one message after another until a window of the second title is there (or
// the time is up) and tells how long the longest took to be answered: how long the program
// left its messages waiting meanwhile.
int PingUntil(const std::wstring& title, const std::wstring& until, const std::wstring& waitMs) {
  unsigned long long limit = 0;
  if (!ParseNumber(waitMs, limit)) return 2;
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  const ULONGLONG stop = GetTickCount64() + limit;
  double longest = 0;
  int pings = 0, unanswered = 0;
  bool done = false;
  while (!done && GetTickCount64() < stop) {
    HWND w = Find(title);
    if (!w) return 1;
    DWORD_PTR result = 0;
    QueryPerformanceCounter(&start);
    if (!SendMessageTimeoutW(w, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) ++unanswered;
    QueryPerformanceCounter(&end);
    ++pings;
    longest = std::max(longest, static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                                    static_cast<double>(frequency.QuadPart));
    done = Find(until) != nullptr;
    Sleep(10);
  }
  Out(L"longest=%.0f pings=%d unanswered=%d done=%d\n", longest, pings, unanswered, done ? 1 : 0);
  return done ? 0 : 1;
}

int Usage() {
  fwprintf(stderr, L"usage: driver keys|findwindow|send|visible|showwindow|waitidle|windows|"
                   L"tryregister|start|waitexit|kill|meminfo|cputime|ps ...\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // plain LF, as the scripts reading us expect
  if (argc < 2) return Usage();
  const std::wstring cmd = argv[1];
  const std::vector<std::wstring> a(argv + 2, argv + argc);
  unsigned long long n = 0;
  if (cmd == L"keys" && a.size() == 1) return Keys(a[0]);
  if (cmd == L"keystate" && a.empty()) {
    // The modifiers logically down now, as "ctrl alt shift win" each 0 or 1.
    auto down = [](int vk) { return (GetAsyncKeyState(vk) & 0x8000) != 0 ? 1 : 0; };
    Out(L"%d %d %d %d\n", down(VK_CONTROL), down(VK_MENU), down(VK_SHIFT), down(VK_LWIN) | down(VK_RWIN));
    return 0;
  }
  if (cmd == L"keysuntilshown" && a.size() == 3 && ParseNumber(a[2], n)) return KeysUntilShown(a[0], a[1], n);
  if (cmd == L"type" && a.size() == 1) return Type(a[0]);
  if (cmd == L"vktype" && a.size() == 1) return VkType(a[0]);
  if (cmd == L"findwindow" && a.size() == 1) return FindWindowCmd(a[0], 0);
  if (cmd == L"findwindow" && a.size() == 2 && ParseNumber(a[1], n)) return FindWindowCmd(a[0], n);
  if (cmd == L"send" && a.size() >= 2 && a.size() <= 4) return Send(a);
  if (cmd == L"visible" && a.size() == 1) {
    HWND w = Find(a[0]);
    return w && IsWindowVisible(w) && !IsIconic(w) ? 0 : 1;
  }
  if (cmd == L"showwindow" && a.size() == 2 && ParseNumber(a[1], n)) {
    HWND w = Find(a[0]);
    if (!w) return 1;
    ShowWindow(w, static_cast<int>(n));
    return 0;
  }
  if (cmd == L"waitidle" && a.size() == 1) return WaitIdle(a[0], 10000);
  if (cmd == L"waitidle" && a.size() == 2 && ParseNumber(a[1], n)) return WaitIdle(a[0], n);
  if (cmd == L"windows" && a.empty()) return EnumWindows(PrintWindow, 0) ? 0 : 1;
  if (cmd == L"tryregister" && a.size() == 2) return TryRegister(a[0], a[1]);
  if (cmd == L"start" && !a.empty()) return Start(a);
  if (cmd == L"waitexit" && a.size() == 2) return WaitExit(a[0], a[1]);
  if (cmd == L"kill" && a.size() == 1) {
    HANDLE h = OpenPid(a[0], PROCESS_TERMINATE);
    const bool ok = h && TerminateProcess(h, 1);
    if (h) CloseHandle(h);
    return ok ? 0 : 1;
  }
  if (cmd == L"startmany" && a.size() == 2) return StartMany(a[0], a[1]);
  if (cmd == L"burst" && a.size() == 2) return Burst(a[0], a[1]);
  if (cmd == L"guicounts" && a.size() == 1) return GuiCounts(a[0]);
  if (cmd == L"answerandkill" && a.size() == 4) return AnswerAndKill(a[0], a[1], a[2], a[3]);
  if (cmd == L"traydelete" && a.size() == 2) return TrayDelete(a[0], a[1]);
  if (cmd == L"version" && a.size() == 1) return Version(a[0]);
  if (cmd == L"meminfo" && a.size() == 1) return MemInfo(a[0]);
  if (cmd == L"cputime" && a.size() == 1) return CpuTime(a[0]);
  if (cmd == L"ps" && a.empty()) return Ps();
  if (cmd == L"modules" && a.size() == 1) return Modules(a[0]);
  if (cmd == L"threadnames" && a.size() == 1) return ThreadNames(a[0]);
  if (cmd == L"mouse" && a.size() == 4) return MouseButton(a);
  if (cmd == L"movedelay" && a.size() == 1 && ParseNumber(a[0], n)) return MoveDelay(n);
  if (cmd == L"keydelay" && a.size() == 1 && ParseNumber(a[0], n)) return KeyDelay(n);
  if (cmd == L"keysuntiltext" && a.size() == 5 && ParseNumber(a[3], n)) {
    unsigned long long limit = 0;
    return ParseNumber(a[4], limit) ? KeysUntilText(a[0], a[1], a[2], n, limit) : 2;
  }
  if (cmd == L"post" && a.size() >= 2 && a.size() <= 4) return Post(a);
  if (cmd == L"settingchange" && a.size() == 1) {
    // As the system and setup programs announce it: to every top-level window, with the text.
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(a[0].c_str()),
                               SMTO_ABORTIFHUNG, 5000, &result) ? 0 : 1;
  }
  if (cmd == L"hold" && a.size() == 3) return Hold(a[0], a[1], a[2]);
  if (cmd == L"lookalike" && a.size() == 3) return LookAlike(a[0], a[1], a[2]);
  if (cmd == L"control" && a.size() >= 3 && a.size() <= 5) return Control(a);
  if (cmd == L"select" && a.size() == 3) return Select(a[0], a[1], a[2]);
  if (cmd == L"texts" && a.size() == 1) return Texts(a[0]);
  if (cmd == L"dropfiles" && a.size() >= 2) return DropFiles(a[0], {a.begin() + 1, a.end()});
  if (cmd == L"listview" && a.size() == 1) return PrintListView(a[0], false);
  if (cmd == L"lvselect" && a.size() >= 2) return ListViewSelect(a[0], {a.begin() + 1, a.end()});
  if (cmd == L"screen" && a.empty()) {
    Out(L"%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return 0;
  }
  if (cmd == L"rect" && a.size() == 1) return Rect(a[0]);
  if (cmd == L"resize" && a.size() == 3) return Resize(a[0], a[1], a[2]);
  if (cmd == L"pointer" && a.size() == 2) return Pointer(a[0], a[1]);
  if (cmd == L"click" && a.size() >= 3 && a.size() <= 4) return Click(a);
  if (cmd == L"cursor" && a.empty()) {
    POINT at{};
    if (!GetCursorPos(&at)) return 1;
    Out(L"%ld %ld\n", at.x, at.y);
    return 0;
  }
  if (cmd == L"recorder" && a.size() == 7) return Recorder(a);
  if (cmd == L"lbitems" && a.size() == 2) return ListBoxItems(a[0], a[1]);
  if (cmd == L"lbclick" && a.size() == 3) return ListBoxClick(a[0], a[1], a[2]);
  if (cmd == L"editsel" && a.size() == 2) return EditSelection(a[0], a[1]);
  if (cmd == L"focus" && a.size() == 1) return Focus(a[0]);
  if (cmd == L"enabled" && a.size() == 2) {
    HWND control = ControlOf(a[0], a[1]);
    return control && IsWindowEnabled(control) ? 0 : 1;
  }
  if (cmd == L"drop" && a.size() >= 4) return Drop(a);
  if (cmd == L"text" && a.size() == 2) return ControlText(a[0], a[1]);
  if (cmd == L"checked" && a.size() == 2) {
    HWND control = ControlOf(a[0], a[1]);
    return control && SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 0 : 1;
  }
  if (cmd == L"topmost" && a.size() == 1) {
    HWND w = Find(a[0]);
    return w && (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ? 0 : 1;
  }
  if (cmd == L"clickcontrol" && a.size() == 2) return ClickControl(a[0], a[1]);
  if (cmd == L"lvcells" && a.size() == 1) return PrintListView(a[0], true);
  if (cmd == L"holdfile" && a.size() == 2) return HoldFile(a[0], a[1], 0);
  if (cmd == L"holdfile" && a.size() == 3 && ParseNumber(a[2], n)) return HoldFile(a[0], a[1], static_cast<DWORD>(n));
  if (cmd == L"linktarget" && a.size() == 1) return LinkTarget(a[0]);
  if (cmd == L"titledwindows" && a.size() == 1) return TitledWindowsCmd(a[0]);
  if (cmd == L"keysuntilfront" && a.size() == 3 && ParseNumber(a[2], n)) return KeysUntilFront(a[0], a[1], n);
  if (cmd == L"pinguntil" && a.size() == 3) return PingUntil(a[0], a[1], a[2]);
  return Usage();
}
