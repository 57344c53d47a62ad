#include "core/program_condition.h"

namespace tarvek {

bool LaunchOptions::HasCondition() const { return Scope != ProgramScope::kEverywhere && !Programs.empty(); }

std::vector<std::string> SplitProgramList(std::string_view) { return {}; }
bool ProgramNamed(std::string_view, std::string_view) { return false; }
bool ConditionHolds(const LaunchOptions&, std::string_view) { return true; }
std::string ConditionTip(const LaunchOptions&) { return {}; }
std::string WindowProgram(std::string_view processPath, const std::vector<std::string>&) {
  return std::string(processPath);
}
std::string AddProgramToList(std::string_view programs, std::string_view) { return std::string(programs); }

}  // namespace tarvek
