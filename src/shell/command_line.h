// The program's switches: reading them from the command line, the message a started copy hands
// to the copy that runs, and what the started copy tells the user once it has its answer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarvek {

enum class Switch : std::uint32_t { kNone = 0, kHelp, kShow, kExit, kPause, kResume, kList, kRun };

struct CommandRequest {
  Switch which = Switch::kNone;
  std::string argument;  // the list's name or path for /list, the binding's name for /run
  bool operator==(const CommandRequest&) const = default;
};

// The words of a command line after the program's own name, split as Windows splits them for
// every program (blanks and tabs part words; quotes group; backslashes escape a quote only).
std::vector<std::string> SplitArguments(std::string_view commandLine);

// What the words ask for, or why they cannot be done (error: a message for the user).
struct ParsedArguments {
  CommandRequest request;
  std::string error;
};
ParsedArguments ParseArguments(const std::vector<std::string>& words);

// The text "/?" shows.
std::string CommandLineHelpText();

// A list argument with a folder or drive in it names a file; anything else is a list's name.
bool NamesListFile(std::string_view argument);

// How the running copy answers a request (the return value of the message that carries it).
// 0 is what a window says that did not take the message at all.
enum class CommandAnswer : int {
  kNotTaken = 0,
  kDone = 1,
  kNoSuchList,     // no such named list, or not an existing .htk file
  kNoSuchBinding,  // no binding bears the name
  kPadUnsaved,     // the pad holds text not saved yet: the program stays
  kBusy,           // a dialog is open: the list cannot change under it
  kRefused,        // the sender has fewer rights than the running copy
};

// The message carries the request in WM_COPYDATA under this mark ("THKC"), as version 1:
// four bytes of version, four of the switch, four of the argument's length, then the
// argument in UTF-8, all little-endian, and nothing after it.
inline constexpr std::uint32_t kCommandDataMark = 0x54484B43;
inline constexpr std::uint32_t kCommandDataVersion = 1;
inline constexpr std::size_t kMaxCommandArgument = 32 * 1024;
std::string EncodeCommand(const CommandRequest& request);
// Nothing for anything that is not exactly such a message: a wrong mark, version, switch or
// length, text that is not UTF-8 or holds a control character, an argument where the switch
// takes none or none where it takes one.
std::optional<CommandRequest> DecodeCommand(std::uintptr_t mark, std::string_view data);

// What the started copy says and the exit code it ends with, for the running copy's answer
// (nothing: the copy did not answer in time). An empty message: nothing to say.
struct CommandOutcome {
  int exitCode = 0;
  std::string message;
};
CommandOutcome OutcomeOf(const CommandRequest& request, std::optional<CommandAnswer> answer);

inline constexpr const char* kCommandLineTitle = "Tarvek HotKey 命令行";

}  // namespace tarvek
