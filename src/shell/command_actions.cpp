#include "shell/command_actions.h"

#include "lists/list_names.h"

namespace tarvek {

namespace {

bool EndsWithListExtension(std::string_view text) {
  if (text.size() < kListFileExtension.size()) return false;
  std::string_view tail = text.substr(text.size() - kListFileExtension.size());
  for (std::size_t i = 0; i < tail.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kListFileExtension[i]) return false;
  }
  return true;
}

// "C:\..." or "\\server\share\...": never a relative path (whose meaning depends on a current
// folder the sender and this copy do not share), a device ("\\.\") or a raw path ("\\?\").
bool IsFullPath(std::string_view path) {
  bool drive = path.size() > 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') &&
               path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  bool share = path.size() > 4 && path.substr(0, 2) == "\\\\" && path[2] != '.' && path[2] != '?';
  return drive || share;
}

}  // namespace

std::optional<std::string> ListFileFor(const std::string& argument, const std::string& listFolder,
                                       FilePort& files) {
  std::string path;
  if (NamesListFile(argument)) {
    if (!IsFullPath(argument) || !EndsWithListExtension(argument)) return std::nullopt;
    path = argument;
  } else {
    // "Work.htk" is taken for the list named "Work", as the import dialog would show it.
    std::string_view name = argument;
    if (EndsWithListExtension(name)) name.remove_suffix(kListFileExtension.size());
    if (name.empty() || !IsSafeListName(name)) return std::nullopt;
    path = NamedListPath(listFolder, name);
  }
  if (files.QueryPath(path) != FilePort::PathState::kFile) return std::nullopt;
  return path;
}

CommandActions::CommandActions(Program& program, MainCommands& commands, MainWindowView& view,
                               GridPort& grid, SystemPort& system, CommandHost& host)
    : program_(program), commands_(commands), view_(view), grid_(grid), system_(system), host_(host) {}

std::optional<int> CommandActions::SlotNamed(const std::string& name) const {
  const HotkeyTable& table = program_.core.table;
  // By the rows the user sees: a binding deleted since the last reload keeps its slot until then.
  for (int row = kFirstBindingRow; row < grid_.Rows(); ++row) {
    int slot = grid_.RowSlot(row);
    if (slot < 0 || slot > kLastSlot) continue;
    const HotkeyEntry& e = table.slots[slot];
    if (!e.ModifierText.empty() && e.Name == name) return slot;
  }
  return std::nullopt;
}

void CommandActions::ImportListFile(const std::string& path) {
  // The same road as "确定 &Y" in the import-list dialog.
  program_.importList.ImportFile(path);
  commands_.FinishImport();
}

CommandAnswer CommandActions::Carry(const CommandRequest& request, bool fewerRights) {
  ProgramFlags& flags = program_.core.flags;
  if (flags.QuitRequested) return CommandAnswer::kNotTaken;  // on its way out already
  switch (request.which) {
    case Switch::kShow:
      view_.ShowNormal();  // as a second plain start does
      return CommandAnswer::kDone;
    case Switch::kExit:
      // Never loses the pad's text without the user's word, and no question can be asked for
      // a script: the program stays, and shows the pad with the text.
      if (!flags.PadContentSaved) {
        view_.ShowPad();
        return CommandAnswer::kPadUnsaved;
      }
      flags.QuitRequested = true;
      view_.Unload();
      return CommandAnswer::kDone;
    case Switch::kPause:
    case Switch::kResume:
      // A script leaves the icon as the user left it, unlike the menu items.
      if (commands_.LockNowChecked() != (request.which == Switch::kPause)) {
        commands_.ToggleLockKeepingIcon();
      }
      return CommandAnswer::kDone;
    case Switch::kList: {
      if (fewerRights) return CommandAnswer::kRefused;
      std::optional<std::string> path = ListFileFor(request.argument, program_.importList.ListFolder(), system_);
      if (!path) return CommandAnswer::kNoSuchList;
      // The editor and the list dialogs hold rows of the list that is there now.
      if (host_.DialogOpen()) return CommandAnswer::kBusy;
      host_.Later([this, file = *path] {
        if (!program_.core.flags.QuitRequested && !host_.DialogOpen()) ImportListFile(file);
      });
      return CommandAnswer::kDone;
    }
    case Switch::kRun: {
      if (fewerRights) return CommandAnswer::kRefused;
      std::optional<int> slot = SlotNamed(request.argument);
      if (!slot) return CommandAnswer::kNoSuchBinding;
      // As the hotkey-list menu runs it: also while the bindings are disabled.
      host_.Later([this, id = BindingIdBase + *slot] { view_.SendHotkeyToSelf(id); });
      return CommandAnswer::kDone;
    }
    case Switch::kNone:
    case Switch::kHelp:
      break;
  }
  return CommandAnswer::kNotTaken;
}

bool CommandActions::CarryAtStart(const CommandRequest& request) {
  switch (request.which) {
    case Switch::kShow:
      view_.ShowNormal();
      return true;
    case Switch::kPause:
      if (!commands_.LockNowChecked()) commands_.ToggleLockKeepingIcon();
      return true;
    case Switch::kList: {
      std::optional<std::string> path = ListFileFor(request.argument, program_.importList.ListFolder(), system_);
      if (!path) return false;
      ImportListFile(*path);
      return true;
    }
    case Switch::kRun: {
      std::optional<int> slot = SlotNamed(request.argument);
      if (!slot) return false;
      host_.Later([this, id = BindingIdBase + *slot] { view_.SendHotkeyToSelf(id); });
      return true;
    }
    default:
      return true;  // /resume: a start registers the bindings anyway
  }
}

}  // namespace tarvek
