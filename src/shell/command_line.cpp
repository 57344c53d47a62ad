#include "shell/command_line.h"

#include <array>

namespace tarvek {

namespace {

struct SwitchName {
  std::string_view name;
  Switch which;
  bool takesArgument;
};
constexpr std::array<SwitchName, 7> kSwitches = {{
    {"?", Switch::kHelp, false},
    {"show", Switch::kShow, false},
    {"exit", Switch::kExit, false},
    {"pause", Switch::kPause, false},
    {"resume", Switch::kResume, false},
    {"list", Switch::kList, true},
    {"run", Switch::kRun, true},
}};

const SwitchName* FindSwitch(Switch which) {
  for (const SwitchName& s : kSwitches) {
    if (s.which == which) return &s;
  }
  return nullptr;
}

bool SameAsciiIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string SwitchText(Switch which) {
  const SwitchName* s = FindSwitch(which);
  return s == nullptr ? std::string() : "/" + std::string(s->name);
}

void PutWord(std::string& out, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetWord(std::string_view data, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i])) << (8 * i);
  }
  return value;
}

// Well-formed UTF-8 (no overlong forms, no surrogates) without control characters.
bool IsCleanUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x20 || lead == 0x7F) return false;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size()) return false;
    std::uint32_t code = lead & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string word;
    bool quoted = false;
    while (i < line.size() && (quoted || (line[i] != ' ' && line[i] != '\t'))) {
      if (line[i] == '\\') {
        std::size_t slashes = 0;
        while (i < line.size() && line[i] == '\\') ++slashes, ++i;
        if (i < line.size() && line[i] == '"') {
          // 2n backslashes and a quote: n backslashes, and the quote groups; 2n + 1: n
          // backslashes and a quote of the word's own.
          word.append(slashes / 2, '\\');
          if (slashes % 2 == 1) {
            word += '"';
            ++i;
          }
        } else {
          word.append(slashes, '\\');
        }
        continue;
      }
      if (line[i] == '"') {
        // Within quotes, two quotes in a row give one quote and end the quoted part.
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          word += '"';
          i += 2;
          quoted = false;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      word += line[i++];
    }
    words.push_back(std::move(word));
  }
  return words;
}

ParsedArguments ParseArguments(const std::vector<std::string>& words) {
  ParsedArguments parsed;
  if (words.empty()) return parsed;
  const std::string& first = words[0];
  const SwitchName* found = nullptr;
  if (first.size() > 1 && (first[0] == '/' || first[0] == '-')) {
    for (const SwitchName& s : kSwitches) {
      if (SameAsciiIgnoringCase(std::string_view(first).substr(1), s.name)) found = &s;
    }
  }
  const std::string seeHelp = "\n\n运行 TarvekHotKey.exe /? 可查看全部开关。";
  if (found == nullptr) {
    parsed.error = "不认识的命令行开关：" + first + seeHelp;
    return parsed;
  }
  std::size_t used = 1;
  if (found->takesArgument) {
    if (words.size() < 2 || words[1].empty()) {
      parsed.error = found->which == Switch::kList
                         ? "命令行开关 /list 后面缺少热键列表的名称或路径。" + seeHelp
                         : "命令行开关 /run 后面缺少热键的名称。" + seeHelp;
      return parsed;
    }
    parsed.request.argument = words[1];
    used = 2;
  }
  if (words.size() > used) {
    parsed.error = "命令行中有多余的内容：" + words[used] + "\n\n一次只能使用一个开关。" + seeHelp;
    parsed.request = {};
    return parsed;
  }
  parsed.request.which = found->which;
  return parsed;
}

std::string CommandLineHelpText() {
  return "用法：TarvekHotKey.exe [开关]\n\n"
         "/show — 显示主窗口\n"
         "/exit — 退出正在运行的程序（热键随之释放）\n"
         "/pause — 暂时禁用全部热键\n"
         "/resume — 取消禁用\n"
         "/list 名称或路径 — 改用另一个热键列表：名称指程序目录中的“名称.htk”，路径须是已有的 .htk 文件\n"
         "/run 名称 — 运行名为“名称”的热键的目标\n"
         "/? — 显示本说明\n\n"
         "程序已在运行时，开关交给正在运行的程序执行；否则程序启动并执行它（/exit 则什么也不做）。\n"
         "含空格的名称或路径请加引号。成功时退出码为 0，用法有误时为 2。";
}

bool NamesListFile(std::string_view argument) {
  return argument.find_first_of("\\/:") != std::string_view::npos;
}

std::string EncodeCommand(const CommandRequest& request) {
  std::string data;
  PutWord(data, kCommandDataVersion);
  PutWord(data, static_cast<std::uint32_t>(request.which));
  PutWord(data, static_cast<std::uint32_t>(request.argument.size()));
  return data + request.argument;
}

std::optional<CommandRequest> DecodeCommand(std::uintptr_t mark, std::string_view data) {
  constexpr std::size_t kHeader = 12;
  if (mark != kCommandDataMark || data.size() < kHeader) return std::nullopt;
  if (GetWord(data, 0) != kCommandDataVersion) return std::nullopt;
  std::uint32_t which = GetWord(data, 4);
  std::uint32_t length = GetWord(data, 8);
  if (length > kMaxCommandArgument || data.size() - kHeader != length) return std::nullopt;
  const SwitchName* s = FindSwitch(static_cast<Switch>(which));
  // Only what a running copy can be asked to do; "/?" is answered by the copy started for it.
  if (s == nullptr || s->which == Switch::kHelp) return std::nullopt;
  std::string_view argument = data.substr(kHeader);
  if (s->takesArgument != !argument.empty() || !IsCleanUtf8(argument)) return std::nullopt;
  return CommandRequest{s->which, std::string(argument)};
}

CommandOutcome OutcomeOf(const CommandRequest& request, std::optional<CommandAnswer> answer) {
  const std::string& argument = request.argument;
  if (!answer || *answer == CommandAnswer::kNotTaken) {
    return {1, "正在运行的 Tarvek HotKey 没有回应，" + SwitchText(request.which) + " 没有执行。"};
  }
  switch (*answer) {
    case CommandAnswer::kDone:
      return {0, {}};
    case CommandAnswer::kNoSuchList:
      if (NamesListFile(argument)) {
        return {2, "找不到热键列表文件“" + argument + "”。\n\n/list 后的路径须指向一个已有的 .htk 文件。"};
      }
      return {2, "找不到名为“" + argument + "”的热键列表：程序目录中没有这个 .htk 文件，或这个名称不能用作列表名称。"};
    case CommandAnswer::kNoSuchBinding:
      return {2, "没有名为“" + argument + "”的热键。"};
    case CommandAnswer::kPadUnsaved:
      return {1, "即拖即存中的内容还没有保存，程序没有退出。\n\n请先保存或清除即拖即存中的内容，再退出。"};
    case CommandAnswer::kBusy:
      return {1, "Tarvek HotKey 正打开着一个对话框，" + SwitchText(request.which) +
                     " 没有执行。请先关闭对话框，再试一次。"};
    case CommandAnswer::kRefused:
      return {1, "正在运行的 Tarvek HotKey 以管理员身份运行，只接受同样以管理员身份运行的程序发来的 " +
                     SwitchText(request.which) + "。"};
    case CommandAnswer::kNotTaken:
      break;
  }
  return {1, {}};
}

}  // namespace tarvek
