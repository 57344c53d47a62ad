// The main window's part in the command line: a copy started with a switch hands it to the copy
// that runs, or carries it out itself; the copy that runs takes it from its hidden window.
#include "shell/main_window.h"

#include "win/system/command_channel.h"
#include "win/windows/dialog_kit.h"
#include "win/system/strings.h"

namespace tarvek {

namespace {

// The running copy answers at once (what takes longer runs after the answer): a copy that has
// not answered in this time is hung.
constexpr UINT kAnswerTimeoutMs = 10000;
// Ending takes as long as closing its dialogs and giving back its hotkeys.
constexpr DWORD kEndTimeoutMs = 30000;

void Tell(const CommandOutcome& outcome) {
  if (outcome.message.empty()) return;
  UINT icon = outcome.exitCode == 2 ? MB_ICONERROR : MB_ICONEXCLAMATION;
  MessageBoxW(nullptr, win::Widen(outcome.message).c_str(), win::Widen(kCommandLineTitle).c_str(),
              icon | MB_OK | MB_SETFOREGROUND);
}

std::optional<CommandAnswer> AnswerOf(std::optional<LRESULT> result) {
  if (!result) return std::nullopt;
  if (*result < 0 || *result > static_cast<LRESULT>(CommandAnswer::kRefused)) return CommandAnswer::kNotTaken;
  return static_cast<CommandAnswer>(*result);
}

}  // namespace

bool MainWindow::SwitchBeforeStart(const CommandRequest& request) {
  if (anotherCopy_) {
    exitCode_ = HandToRunningCopy(request);
    return false;
  }
  if (request.which == Switch::kExit) {
    exitCode_ = 0;  // nothing runs that could be ended
    return false;
  }
  // A list that is not there starts nothing.
  if (request.which == Switch::kList && !ListFileFor(request.argument, win::ProgramFolder(), system_)) {
    Tell(OutcomeOf(request, CommandAnswer::kNoSuchList));
    exitCode_ = 2;
    return false;
  }
  return true;
}

void MainWindow::SwitchAfterStart(const CommandRequest& request) {
  if (commandActions_->CarryAtStart(request)) return;
  // Only a name that no binding of the list bears gets here (or a list gone since): the copy
  // that started for it ends again, having changed nothing.
  Tell(OutcomeOf(request, request.which == Switch::kRun ? CommandAnswer::kNoSuchBinding
                                                        : CommandAnswer::kNoSuchList));
  exitCode_ = 2;
  program_->core.flags.QuitRequested = true;
  Unload();
}

int MainWindow::HandToRunningCopy(const CommandRequest& request) {
  std::optional<LRESULT> result = singleCopy_.SendToRunningCopy(
      instance_, kCommandDataMark, EncodeCommand(request), kAnswerTimeoutMs);
  CommandOutcome outcome = OutcomeOf(request, AnswerOf(result));
  // Done only when the copy has ended: an installer replaces the program file next.
  if (outcome.exitCode == 0 && request.which == Switch::kExit &&
      !singleCopy_.RunningCopyEnded(kEndTimeoutMs)) {
    outcome = {1, "正在运行的 Tarvek HotKey 没有在 30 秒内退出。"};
  }
  Tell(outcome);
  return outcome.exitCode;
}

LRESULT MainWindow::OnCopyData(HWND sender, const COPYDATASTRUCT* data) {
  // The hidden window is made once the list is loaded and registered: from then on a command
  // is taken, also while the start-up's last message waits for the user.
  if (data == nullptr || commandActions_ == nullptr) return 0;
  if (data->cbData > 0 && data->lpData == nullptr) return 0;
  std::string_view bytes(static_cast<const char*>(data->lpData), data->cbData);
  std::optional<CommandRequest> request = DecodeCommand(data->dwData, bytes);
  if (!request) return 0;
  // Only a program of this user, in this session, gives this copy commands.
  win::SenderCheck who = win::CheckSender(sender);
  if (!who.sameUserAndSession) return 0;
  return static_cast<LRESULT>(commandActions_->Carry(*request, who.fewerRights));
}

bool MainWindow::DialogOpen() { return win::AnyModalRunning(); }

void MainWindow::Later(std::function<void()> job) {
  laterJobs_.push_back(std::move(job));
  PostMessageW(window_, main_ids::kCommandLaterMessage, 0, 0);
}

void MainWindow::RunLaterJobs() {
  std::vector<std::function<void()>> jobs = std::move(laterJobs_);
  laterJobs_.clear();
  for (auto& job : jobs) {
    if (program_ == nullptr || program_->core.flags.QuitRequested) return;
    job();
  }
}

}  // namespace tarvek
