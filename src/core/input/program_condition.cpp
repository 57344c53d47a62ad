#include "core/input/program_condition.h"

#include <algorithm>
#include <utility>

namespace tarvek {

namespace {

constexpr std::string_view kFrameHost = "applicationframehost.exe";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool Separator(char c) { return c == '\\' || c == '/'; }

// Letter case does not count (ASCII letters: file systems fold the rest their own way, and a
// name typed in another case is nearly always an ASCII one), nor which slash separates folders.
bool SamePath(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return Lower(x) == Lower(y) || (Separator(x) && Separator(y));
         });
}

std::string_view FileName(std::string_view path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Whether the name names the program at programPath; an unknown program (an empty path) is
// named by none.
bool Names(const ProgramCondition::Name& name, std::string_view programPath) {
  return !programPath.empty() &&
         SamePath(name.full, name.wholePath ? programPath : FileName(programPath));
}

// The names of a list, in the list's order; empty when the list names none.
std::vector<std::string> NamesOf(const LaunchOptions& options) {
  return options.Scope == ProgramScope::kEverywhere ? std::vector<std::string>{}
                                                    : SplitProgramList(options.Programs);
}

}  // namespace

// A list of nothing but separators names no program: such a binding acts everywhere and stays
// an ordinary hotkey.
bool LaunchOptions::HasCondition() const {
  return Scope != ProgramScope::kEverywhere && !SplitProgramList(Programs).empty();
}

std::vector<std::string> SplitProgramList(std::string_view programs) {
  std::vector<std::string> names;
  while (!programs.empty()) {
    std::size_t semicolon = programs.find(';');
    std::string_view name = programs.substr(0, semicolon);
    programs =
        semicolon == std::string_view::npos ? std::string_view{} : programs.substr(semicolon + 1);
    std::size_t first = name.find_first_not_of(" \t\"");
    if (first == std::string_view::npos) continue;
    names.emplace_back(name.substr(first, name.find_last_not_of(" \t\"") - first + 1));
  }
  return names;
}

bool ProgramNamed(std::string_view name, std::string_view programPath) {
  if (name.empty()) return false;
  const ProgramCondition::Name named = ProgramCondition::NameOf(std::string(name));
  return Names(named, programPath);
}

bool ConditionHolds(const LaunchOptions& options, std::string_view foregroundPath) {
  return ProgramCondition(options).Holds(foregroundPath);
}

ProgramCondition::ProgramCondition(const LaunchOptions& options)
    : onlyIn_(options.Scope == ProgramScope::kOnlyIn) {
  for (std::string& name : NamesOf(options)) names_.push_back(NameOf(std::move(name)));
}

ProgramCondition::Name ProgramCondition::NameOf(std::string name) {
  const bool wholePath = name.find_first_of("\\/:") != std::string::npos;
  if (FileName(name).find('.') == std::string_view::npos) name += ".exe";
  return {std::move(name), wholePath};
}

bool ProgramCondition::Holds(std::string_view foregroundPath) const {
  if (names_.empty()) return true;
  const bool named = std::any_of(names_.begin(), names_.end(), [foregroundPath](const Name& n) {
    return Names(n, foregroundPath);
  });
  return onlyIn_ ? named : !named;
}

bool IsAppFrameHost(std::string_view programPath) {
  return SamePath(FileName(programPath), kFrameHost);
}

std::string ConditionTip(const LaunchOptions& options) {
  if (!options.HasCondition()) return {};
  const std::vector<std::string> names = NamesOf(options);
  if (names.empty()) return {};
  std::string joined;
  for (const std::string& n : names) joined.append(joined.empty() ? "" : "、").append(n);
  return options.Scope == ProgramScope::kOnlyIn ? "仅在 " + joined + " 中" : "除 " + joined + " 外";
}

std::string WindowProgram(std::string_view processPath,
                          const std::vector<std::string>& childPaths) {
  if (IsAppFrameHost(processPath)) {
    for (const std::string& child : childPaths) {
      if (!child.empty() && !IsAppFrameHost(child)) return child;
    }
  }
  return std::string(processPath);
}

std::string AddProgramToList(std::string_view programs, std::string_view fileName) {
  if (fileName.empty()) return std::string(programs);
  const std::vector<std::string> names = SplitProgramList(programs);
  if (names.empty()) return std::string(fileName);
  for (const std::string& n : names) {
    if (ProgramNamed(n, fileName)) return std::string(programs);
  }
  // What the box holds stays as the user wrote it, but for the separators left at its end.
  std::size_t last = programs.find_last_not_of(" \t;");
  return std::string(programs.substr(0, last + 1)) + ";" + std::string(fileName);
}

}  // namespace tarvek
