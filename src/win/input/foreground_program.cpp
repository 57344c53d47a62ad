#include "win/input/foreground_program.h"

#include <utility>

#include "core/input/program_condition.h"
#include "win/system/process_facts.h"
#include "win/system/strings.h"

namespace tarvek::win {

namespace {

std::string_view FileNameOf(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The programs of the frame's child windows that belong to other processes, in their order.
std::vector<std::string> ChildPrograms(HWND frame, DWORD frameProcess) {
  struct Search {
    DWORD frameProcess;
    DWORD lastProcess = 0;
    std::vector<std::string> paths;
  } search{frameProcess, 0, {}};
  EnumChildWindows(
      frame,
      [](HWND child, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        DWORD id = 0;
        GetWindowThreadProcessId(child, &id);
        // Siblings of one app come one after the other: asked once.
        if (id == 0 || id == s.frameProcess || id == s.lastProcess) return TRUE;
        s.lastProcess = id;
        try {
          std::string path = Narrow(ProgramPathOf(id));
          if (!path.empty()) s.paths.push_back(std::move(path));
          return TRUE;
        } catch (...) {  // short of memory: the children found so far
          return FALSE;
        }
      },
      reinterpret_cast<LPARAM>(&search));
  return std::move(search.paths);
}

}  // namespace

std::string ProgramOfWindow(HWND window) {
  if (window == nullptr) return {};
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return ProgramOfWindow(window, id, Narrow(ProgramPathOf(id)));
}

std::string ProgramOfWindow(HWND window, DWORD processId, const std::string& processPath) {
  if (!IsAppFrameHost(processPath)) return processPath;
  return WindowProgram(processPath, ChildPrograms(window, processId));
}

std::string ForegroundProgram() { return ProgramOfWindow(GetForegroundWindow()); }

std::vector<std::string> OpenProgramNames() {
  struct Search {
    DWORD self = GetCurrentProcessId();
    std::vector<std::string> names;  // sorted, letter case not counting
  } search;
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(context);
        if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr ||
            (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) {
          return TRUE;
        }
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        if (id == s.self) return TRUE;
        try {
          const std::string path = ProgramOfWindow(window);
          const std::string_view name = FileNameOf(path);
          if (name.empty()) return TRUE;
          const std::wstring wide = Widen(name);
          auto at = s.names.begin();
          for (; at != s.names.end(); ++at) {
            const std::wstring other = Widen(*at);
            const int order =
                CompareStringOrdinal(other.c_str(), static_cast<int>(other.size()), wide.c_str(),
                                     static_cast<int>(wide.size()), TRUE);
            if (order == CSTR_EQUAL) return TRUE;
            if (order == CSTR_GREATER_THAN) break;
          }
          s.names.insert(at, std::string(name));
          return TRUE;
        } catch (...) {  // short of memory: the names found so far
          return FALSE;
        }
      },
      reinterpret_cast<LPARAM>(&search));
  return std::move(search.names);
}

}  // namespace tarvek::win
