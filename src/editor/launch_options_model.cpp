#include "editor/launch_options_model.h"

#include "core/files/list_file.h"
#include "core/input/program_condition.h"
#include "core/input/typed_text.h"

namespace tarvek {

std::string CutToUtf16Units(std::string_view utf8, std::size_t maxUnits) {
  std::size_t units = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    if ((byte & 0xC0) == 0x80) continue;  // inside a character
    // A character beyond the basic plane is a pair of units, taken whole or not at all.
    units += byte >= 0xF0 ? 2 : 1;
    if (units > maxUnits) return std::string(utf8.substr(0, i));
  }
  return std::string(utf8);
}

std::string WithCrLf(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      result += "\r\n";
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

LaunchOptionsModel::LaunchOptionsModel(const LaunchOptions& options, bool typesText)
    : arguments(options.Arguments),
      startIn(options.StartIn),
      window(static_cast<int>(options.Window)),
      admin(options.RunAs == RunLevel::kAdmin),
      ifRunning(static_cast<int>(options.WhenRunning)),
      enabled(options.Enabled),
      text(WithCrLf(options.Text)),
      scope(static_cast<int>(options.Scope)),
      programs(options.Programs),
      keptText_(options.Text),
      typesText_(typesText) {}

void LaunchOptionsModel::FolderChosen(const std::optional<std::string>& folder) {
  if (folder && !folder->empty()) startIn = *folder;
}

void LaunchOptionsModel::ProgramChosen(std::string_view fileName) {
  if (!fileName.empty()) programs = AddProgramToList(programs, fileName);
}

namespace {

int IndexIn(int i, std::size_t count) { return i >= 0 && static_cast<std::size_t>(i) < count ? i : 0; }

}  // namespace

ProgramScope ChosenScope(int scope, std::string_view programs) {
  return programs.empty() ? ProgramScope::kEverywhere
                          : static_cast<ProgramScope>(IndexIn(scope, kScopeChoices.size()));
}

LaunchOptions LaunchOptionsModel::Result() const {
  LaunchOptions o;
  o.Arguments = TrimBlanks(arguments);
  o.StartIn = TrimBlanks(startIn);
  o.Window = static_cast<WindowState>(IndexIn(window, kWindowChoices.size()));
  o.RunAs = admin ? RunLevel::kAdmin : RunLevel::kNormal;
  o.WhenRunning = static_cast<IfRunning>(IndexIn(ifRunning, kIfRunningChoices.size()));
  o.Enabled = enabled;
  o.Text = typesText_ ? CutToUtf16Units(text, kMaxTypedTextUnits) : keptText_;
  o.Programs = TrimBlanks(programs);
  o.Scope = ChosenScope(scope, o.Programs);
  return o;
}

}  // namespace tarvek
