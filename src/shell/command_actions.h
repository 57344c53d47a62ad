// What the program does with a switch: the running copy carrying out what a started copy hands
// to it, and a copy started with a switch while none runs.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "core/grid.h"
#include "core/ports.h"
#include "shell/command_line.h"
#include "shell/main_commands.h"
#include "shell/program.h"

namespace tarvek {

// What the actions need of the window around them.
class CommandHost {
 public:
  virtual ~CommandHost() = default;
  // A dialog or message box of ours is waiting for the user.
  virtual bool DialogOpen() = 0;
  // Runs the job once the message being handled has been answered: the sender is not kept
  // waiting by what the job may show.
  virtual void Later(std::function<void()> job) = 0;
};

// The file a /list argument stands for: a bare name is that named list beside the program (by
// the rules for list names); anything else must be a full path to an existing .htk file. Nothing
// when the argument leads to no such file.
std::optional<std::string> ListFileFor(const std::string& argument, const std::string& listFolder,
                                       FilePort& files);

class CommandActions {
 public:
  CommandActions(Program& program, MainCommands& commands, MainWindowView& view, GridPort& grid,
                 SystemPort& system, CommandHost& host);

  // The running copy, asked by a copy started with a switch. A request that cannot be done
  // changes nothing. fewerRights: the sender runs with fewer rights than this copy; it may
  // show, pause, resume and end it, but not choose a list or start a target in its name.
  CommandAnswer Carry(const CommandRequest& request, bool fewerRights = false);

  // A copy started with a switch while none ran, once its start-up is over: /show shows the
  // window, /pause disables the bindings, /list imports the list, /run runs the binding. False
  // when the switch cannot be done (no binding has the name): the copy then ends.
  bool CarryAtStart(const CommandRequest& request);

  // The table slot of the first binding in the grid that bears the name.
  std::optional<int> SlotNamed(const std::string& name) const;

 private:
  void ImportListFile(const std::string& path);

  Program& program_;
  MainCommands& commands_;
  MainWindowView& view_;
  GridPort& grid_;
  SystemPort& system_;
  CommandHost& host_;
};

}  // namespace tarvek
