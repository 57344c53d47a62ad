#include "win/foreground_program.h"

namespace tarvek::win {

std::string ProgramOfWindow(HWND) { return {}; }
std::string ForegroundProgram() { return ProgramOfWindow(GetForegroundWindow()); }
std::vector<std::string> OpenProgramNames() { return {}; }

}  // namespace tarvek::win
