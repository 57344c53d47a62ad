// The main window's part in start-up and shut-down: the hand-over between copies, the command
// buttons' behaviour and the grid's dropped files; and the dialogs it opens.
#include "shell/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include "win/windows/common_controls.h"
#include "win/windows/dialog_kit.h"
#include "win/windows/dropped_files.h"
#include "win/windows/message_filter.h"
#include "win/system/on_demand.h"
#include "win/system/session_end.h"
#include "win/system/strings.h"

namespace tarvek {

namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr int kCommandButtons[] = {main_ids::kCommand4Id, main_ids::kCommand3Id,
                                   main_ids::kCommand1Id, main_ids::kCommand2Id,
                                   main_ids::kCommand5Id, main_ids::kCommand6Id};

}  // namespace

void MainWindow::HandOverToFirstCopy(unsigned instanceMessage) {
  // Our own window must not be the one found.
  SetWindowTextW(window_, L"");
  singleCopy_.HandOver(instanceMessage);
}

void MainWindow::ClaimInstanceTitle() {
  singleCopy_.Claim(
      instance_, window_, program_->core.instanceMessage,
      [this](HWND sender, const COPYDATASTRUCT* data) { return OnCopyData(sender, data); });
}

// The command buttons never take the keyboard focus (so they draw no focus rectangle and the
// grid keeps it) and show the hand cursor.
LRESULT CALLBACK MainWindow::ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR) {
  if (message == WM_SETFOCUS) return 0;
  if (message == WM_SETCURSOR && LOWORD(lParam) == HTCLIENT) {
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return TRUE;
  }
  return win::DefaultSubclassProc(window, message, wParam, lParam);
}

void MainWindow::SubclassButtons(bool on) {
  for (int id : kCommandButtons) {
    HWND button = GetDlgItem(window_, id);
    if (on) {
      win::AddSubclass(button, ButtonProc, kSubclassId, 0);
    } else {
      win::RemoveSubclass(button, ButtonProc, kSubclassId);
    }
  }
}

// The buttons may not be there yet: they then get the behaviour when they are made.
void MainWindow::InstallButtonBehaviour() {
  if (buttonsSubclassed_) return;
  buttonsSubclassed_ = true;
  if (controlsCreated_) SubclassButtons(true);
}

void MainWindow::RestoreButtonBehaviour() {
  if (!buttonsSubclassed_) return;
  buttonsSubclassed_ = false;
  if (controlsCreated_) SubclassButtons(false);
}

LRESULT CALLBACK MainWindow::GridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) {
  if (message == WM_DROPFILES) {
    try {  // no exception may leave a window procedure
      reinterpret_cast<MainWindow*>(data)->DropFiles(reinterpret_cast<HDROP>(wParam));
    } catch (...) {
    }
    return 0;
  }
  return win::DefaultSubclassProc(window, message, wParam, lParam);
}

// Nothing can be dropped on the grid before it is shown: its list control takes drops from
// when it is made.
void MainWindow::AcceptDroppedFiles() {
  acceptsDrops_ = true;
  if (grid_->Handle() != nullptr) AcceptDropsOnGrid();
}

void MainWindow::AcceptDropsOnGrid() {
  if (gridSubclassed_) return;
  HWND grid = grid_->Handle();
  // Also files dragged from an ordinary Explorer onto a copy that runs as administrator.
  win::AcceptDroppedFiles(grid);
  gridSubclassed_ = win::AddSubclass(grid, GridProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void MainWindow::FollowPadSaved(bool saved) {
  const ShutdownReasonDecision::Step step = shutdownReason_.Next(saved);
  switch (step) {
    case ShutdownReasonDecision::Step::kCreate:
      shutdownReason_.Took(step, win::SetShutdownReason(window_, std::string(kPadShutdownReason)));
      break;
    case ShutdownReasonDecision::Step::kDestroy:
      shutdownReason_.Took(step, win::ClearShutdownReason(window_));
      break;
    case ShutdownReasonDecision::Step::kNone:
      break;
  }
}

void MainWindow::OpenSettingsDialog() {
  // The settings live in the program from the start; the window is made when first wanted.
  if (!settingsDialog_) {
    settingsDialog_ = std::make_unique<SettingsDialog>(program_->liveSettings, *grid_, system_);
    if (!settingsDialog_->Create(instance_, window_)) {
      settingsDialog_.reset();
      return;
    }
  }
  settingsDialog_->ShowModal();
}

void MainWindow::OpenEditor() {
  // Made on first use, then only hidden: its lists and remembered names last.
  if (!editorDialog_) {
    editorDialog_ = std::make_unique<EditorDialog>(program_->editor);
    if (!editorDialog_->Create(instance_, window_)) {
      editorDialog_.reset();
      return;
    }
  }
  editorDialog_->ShowModal();
}

void MainWindow::OpenHelp() {
  if (helpWindow_) return;  // open already, and modal: its own loop runs
  if (program_->core.flags.QuitRequested || win::ModalEndRequested()) return;
  // Made for this opening and destroyed after it, so each opening shows the text as made.
  helpWindow_ = std::make_unique<HelpWindow>();
  if (helpWindow_->Create(instance_, window_)) helpWindow_->RunModal();
  helpWindow_.reset();
}

void MainWindow::OpenAbout() {
  if (!aboutWindow_) {
    aboutWindow_ = std::make_unique<AboutWindow>([this] { OpenHelp(); });
    if (!aboutWindow_->Create(instance_, window_)) {
      aboutWindow_.reset();
      return;
    }
  }
  aboutWindow_->ShowModal();
}

void MainWindow::OpenSaveList() {
  // Made on first use, then only hidden: the name box keeps the last name.
  if (!saveListDialog_) {
    saveListDialog_ = std::make_unique<SaveListDialog>(program_->saveList);
    if (!saveListDialog_->Create(instance_, window_)) {
      saveListDialog_.reset();
      return;
    }
  }
  saveListDialog_->ShowModal();
}

void MainWindow::OpenImportList() {
  if (!importListDialog_) {
    importListDialog_ = std::make_unique<ImportListDialog>(program_->importList);
    if (!importListDialog_->Create(instance_, window_)) {
      importListDialog_.reset();
      return;
    }
  }
  importListDialog_->ShowModal();
}

std::optional<std::vector<Abbreviation>> MainWindow::OpenAbbreviations(
    const std::vector<Abbreviation>& entries) {
  if (abbreviationsDialog_) return std::nullopt;  // open already, and modal: its own loop runs
  if (program_->core.flags.QuitRequested || win::ModalEndRequested()) return std::nullopt;
  if (!win::EnsureCommonControls()) return std::nullopt;
  // Made for each opening over a copy of the table, and gone after it.
  abbreviationsDialog_ = std::make_unique<AbbreviationsDialog>(entries);
  std::optional<std::vector<Abbreviation>> result = abbreviationsDialog_->Run(instance_, window_);
  abbreviationsDialog_.reset();
  return result;
}

void MainWindow::SetGridToolTip(const std::string& text) { grid_->SetToolTip(text); }

void MainWindow::DropFiles(HDROP drop) {
  // Each dropped file opens the hotkey editor with the file as its target, one after another.
  static const auto dragQueryFile =
      win::OnDemand<decltype(&DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
  static const auto dragFinish = win::OnDemand<decltype(&DragFinish)>(L"shell32.dll", "DragFinish");
  std::vector<std::string> paths;
  for (UINT i = 0; dragQueryFile != nullptr && i <= kLastSlot; ++i) {
    UINT length = dragQueryFile(drop, i, nullptr, 0);
    if (length == 0) break;
    std::wstring path(length + 1, L'\0');
    path.resize(dragQueryFile(drop, i, path.data(), length + 1));
    paths.push_back(win::Narrow(path));
  }
  // The drop is released before the first editor opens: the dropping program waits until then.
  if (dragFinish != nullptr) dragFinish(drop);
  for (const std::string& path : paths) {
    if (program_->core.flags.QuitRequested || win::ModalEndRequested()) break;
    if (!commands_->DropFile(path)) break;
  }
}

}  // namespace tarvek
