#include "core/launch/launch_plan.h"

#include "core/actions.h"

namespace tarvek {

namespace {

constexpr std::string_view kBlanks = " \t";

bool EndsWithExe(std::string_view text) {
  if (text.size() < 4) return false;
  std::string_view tail = text.substr(text.size() - 4);
  static constexpr std::string_view kExe = ".exe";
  for (std::size_t i = 0; i < 4; ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kExe[i]) return false;
  }
  return true;
}

std::string Trimmed(std::string_view text) {
  std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

bool OnNetwork(std::string_view path) {
  return path.size() >= 2 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
}

// What the launch has always done with a whole target.
TargetPlan WholeTarget(const std::string& text) {
  LaunchPlan plan = PlanLaunch(text);
  return {plan.kind == LaunchPlan::Kind::kStartProgram, std::move(plan.command), {}, plan.inBackground};
}

TargetPlan ProgramWith(std::string program, std::string arguments) {
  const bool exe = EndsWithExe(program);
  const bool background = !exe || OnNetwork(program);
  return {exe, std::move(program), std::move(arguments), background};
}

class Planner {
 public:
  Planner(const std::string& programFolder, SystemPort& system)
      : programFolder_(programFolder), system_(system) {}

  // A relative path means the program folder, whatever the current folder is (the system
  // folder at log-on). A bare name ("calc", "notepad.exe") is taken from there only when it is
  // there, so that the search path still finds the others; ".\\x" always is.
  std::string Resolve(const std::string& path) {
    if (programFolder_.empty() || !IsRelativePath(path)) return path;
    std::string_view rest = path;
    while (rest.size() >= 2 && rest[0] == '.' && (rest[1] == '\\' || rest[1] == '/')) rest.remove_prefix(2);
    std::string anchored = programFolder_ + "\\" + std::string(rest);
    if (path[0] == '.' || system_.KindOfPath(anchored) != PathKind::kNeither) return anchored;
    return path;
  }

  bool IsFile(const std::string& path) { return system_.KindOfPath(path) == PathKind::kFile; }

  TargetPlan Plan(std::string text) {
    // "Copy as path" puts the whole path in quotes.
    if (text.size() >= 2 && text.front() == '"' && text.find('"', 1) == text.size() - 1) {
      text = text.substr(1, text.size() - 2);
    }
    std::string whole = Resolve(text);
    if (whole.empty()) return WholeTarget(whole);
    const bool splittable = whole.find_first_of(kBlanks) != std::string::npos || whole[0] == '"';
    if (!splittable || system_.KindOfPath(whole) != PathKind::kNeither) return WholeTarget(whole);
    for (TargetSplit& split : SplitTarget(whole)) {
      switch (split.kind) {
        case TargetSplit::Kind::kQuoted:
          return ProgramWith(Resolve(split.program), std::move(split.arguments));
        case TargetSplit::Kind::kExePrefix: {
          std::string program = Resolve(split.program);
          if (IsFile(program)) return ProgramWith(std::move(program), std::move(split.arguments));
          break;
        }
        case TargetSplit::Kind::kFirstWord: {
          const std::string& word = split.program;
          if (word.find_first_of("\\/") != std::string::npos) {
            std::string program = Resolve(word);
            if (program != word && IsFile(program)) {
              return ProgramWith(std::move(program), std::move(split.arguments));
            }
          } else if (word.find(':') == std::string::npos) {
            if (auto found = system_.FindProgram(word)) {
              return ProgramWith(std::move(*found), std::move(split.arguments));
            }
          }
          break;
        }
      }
    }
    return WholeTarget(whole);
  }

 private:
  const std::string& programFolder_;
  SystemPort& system_;
};

}  // namespace

std::string ExpandVariables(std::string_view text,
                            const std::function<std::optional<std::string>(const std::string&)>& lookup) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t open = text.find('%', i);
    if (open == std::string_view::npos) break;
    out.append(text.substr(i, open - i));
    std::size_t close = text.find('%', open + 1);
    if (close == std::string_view::npos) {
      i = open;
      break;
    }
    std::string name(text.substr(open + 1, close - open - 1));
    std::optional<std::string> value = name.empty() ? std::nullopt : lookup(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // The closing % may open the next name: "%nope%PATH%".
      out.append(text.substr(open, close - open));
      i = close;
    }
  }
  out.append(text.substr(i));
  return out;
}

std::vector<TargetSplit> SplitTarget(std::string_view text) {
  std::vector<TargetSplit> splits;
  if (!text.empty() && text[0] == '"') {
    std::size_t close = text.find('"', 1);
    if (close != std::string_view::npos && close > 1) {
      splits.push_back({TargetSplit::Kind::kQuoted, std::string(text.substr(1, close - 1)),
                        Trimmed(text.substr(close + 1))});
    }
    return splits;
  }
  // Every leading part ending in .exe before a blank, the longest first: in
  // "C:\\Tools\\a.exe b\\c.exe -x" either may be the program.
  for (std::size_t blank = text.find_last_of(kBlanks); blank != std::string_view::npos && blank > 0;
       blank = text.find_last_of(kBlanks, blank - 1)) {
    std::string_view head = text.substr(0, blank);
    if (EndsWithExe(head) && kBlanks.find(head.back()) == std::string_view::npos) {
      splits.push_back({TargetSplit::Kind::kExePrefix, std::string(head), Trimmed(text.substr(blank))});
    }
  }
  std::size_t end = text.find_first_of(kBlanks);
  if (end != std::string_view::npos && end > 0) {
    splits.push_back({TargetSplit::Kind::kFirstWord, std::string(text.substr(0, end)),
                      Trimmed(text.substr(end))});
  }
  return splits;
}

bool IsRelativePath(std::string_view path) {
  return !path.empty() && path[0] != '\\' && path[0] != '/' && path.find(':') == std::string_view::npos;
}

TargetPlan PlanTarget(std::string_view target, const std::string& programFolder, SystemPort& system) {
  std::string text = ExpandVariables(target, [&system](const std::string& name) {
    return system.EnvironmentVariable(name);
  });
  if (text.empty()) return WholeTarget(text);
  return Planner(programFolder, system).Plan(std::move(text));
}

namespace {

constexpr std::string_view kAppsFolder = "shell:appsfolder\\";

std::string LowerText(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// "Name_Version_Arch_Resource_Publisher" names the package; its family is "Name_Publisher".
std::optional<std::string> FamilyOfPackageFolder(std::string_view folder) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    std::size_t bar = folder.find('_', start);
    parts.push_back(folder.substr(start, bar == std::string_view::npos ? bar : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  if (parts.size() != 5 || parts[0].empty() || parts[4].empty()) return std::nullopt;
  return std::string(parts[0]) + "_" + std::string(parts[4]);
}

}  // namespace

bool PackagedApp::Matches(std::string_view windowAppId) const {
  const std::string id = LowerText(windowAppId);
  const std::string mine = LowerText(appId);
  if (!family) return id == mine;
  return id.size() > mine.size() && id.compare(0, mine.size(), mine) == 0 && id[mine.size()] == '!';
}

bool IsAppsFolderTarget(std::string_view target) {
  return target.size() > kAppsFolder.size() &&
         LowerText(target.substr(0, kAppsFolder.size())) == kAppsFolder;
}

std::optional<PackagedApp> PackagedAppOf(const std::string& target, LaunchWithOptionsPort& system) {
  if (IsAppsFolderTarget(target)) return PackagedApp{target.substr(kAppsFolder.size()), false};
  std::string lower = LowerText(target);
  for (char& c : lower) {
    if (c == '/') c = '\\';
  }
  static constexpr std::string_view kAliases = "\\microsoft\\windowsapps\\";
  static constexpr std::string_view kPackages = "\\windowsapps\\";
  if (!EndsWithExe(lower)) return std::nullopt;
  if (lower.find(kAliases) != std::string::npos) {
    if (auto id = system.AliasAppId(target)) return PackagedApp{*id, false};
    return std::nullopt;
  }
  if (std::size_t at = lower.find(kPackages); at != std::string::npos) {
    const std::size_t start = at + kPackages.size();
    const std::size_t end = target.find_first_of("\\/", start);
    if (end == std::string::npos) return std::nullopt;
    if (auto family = FamilyOfPackageFolder(std::string_view(target).substr(start, end - start))) {
      return PackagedApp{*family, true};
    }
  }
  return std::nullopt;
}

int ShowCommandOf(WindowState state) {
  switch (state) {
    case WindowState::kMinimized:
      return 7;  // SW_SHOWMINNOACTIVE: the window in front keeps the keyboard
    case WindowState::kMaximized:
      return kSwShowMaximized;
    case WindowState::kNormal:
      break;
  }
  return kSwShowNormal;
}

}  // namespace tarvek
