// The main window's menus: the menu bar, its shortcuts F12 and Del, the hotkey-list menu, the
// pop-ups of the tray icon and the grid, and where every command goes.
#include <span>

#include "shell/main_window.h"
#include "shell/resource.h"
#include "win/input/typing.h"
#include "win/windows/dpi.h"
#include "win/system/strings.h"

namespace tarvek {

using namespace main_ids;

namespace {

struct MenuEntry {
  int id;  // 0: a separator
  const wchar_t* caption;
};

struct MenuLayout {
  const wchar_t* caption;
  std::span<const MenuEntry> items;
};

// One item per line, in the order of each menu.
// clang-format off
constexpr MenuEntry kFileMenu[] = {
    {kCmdHideIcon, L"隐藏图标(&H)"},
    {kCmdShowWindow, L"显示界面"},
    {kCmdLockNow, L"暂时禁用(&L)"},
    {0, nullptr},
    {kCmdQuit, L"退出程序(&Q)"},
};
constexpr MenuEntry kEditMenu[] = {
    {kCmdAdd, L"添加热键(&A)\tF12"},
    {kCmdChange, L"修改热键(&C)"},
    {kCmdDelete, L"删除热键(&D)\tDel"},
    {kCmdRun, L"运行程序(&R)"},
    {0, nullptr},
    {kCmdRedraw, L"刷新列表(&W)"},
    {0, nullptr},
    {kCmdFindTarget, L"查找目标(&F)"},
    {kCmdShowPath, L"显示路径(&P)"},
    {kCmdToggleEnabled, L"停用热键(&T)"},
};
constexpr MenuEntry kSettingsMenu[] = {
    {kCmdOpenStart, L"开机运行(&R)"},
    {kCmdShowInfo, L"显示提示(&S)"},
    {kCmdOpenSound, L"开启热键声音"},
    {0, nullptr},
    {kCmdOtherSettings, L"其他设置..."},
};
constexpr MenuEntry kAdvancedMenu[] = {
    {kCmdSaveList, L"保存列表(&S)"},
    {kCmdImportList, L"导入列表(&I)"},
    {kCmdAbbreviations, L"缩写替换(&A)..."},
    {0, nullptr},
    {kCmdUseHotkey, L"取消禁用(&U)"},
    {kCmdShowIconOn, L"显示图标(&O)"},
};
// clang-format on

// The menu bar in its order. The file menu is also the tray icon's right-click menu.
constexpr int kFileMenuIndex = 0, kEditMenuIndex = 1, kSettingsMenuIndex = 2, kAdvancedMenuIndex = 3;
const MenuLayout kMenuBar[] = {
    {L"文件", kFileMenu},
    {L"编辑热键(&E)", kEditMenu},
    {L"软件设置(&P)", kSettingsMenu},
    {L"高级(&O)", kAdvancedMenu},
};

int CommandOf(MenuItemId item) {
  switch (item) {
    case MenuItemId::kHideIcon:
      return kCmdHideIcon;
    case MenuItemId::kLockNow:
      return kCmdLockNow;
    case MenuItemId::kDelete:
      return kCmdDelete;
    case MenuItemId::kRun:
      return kCmdRun;
    case MenuItemId::kFindTarget:
      return kCmdFindTarget;
    case MenuItemId::kShowPath:
      return kCmdShowPath;
    case MenuItemId::kUseHotkey:
      return kCmdUseHotkey;
    case MenuItemId::kShowIconOn:
      return kCmdShowIconOn;
    case MenuItemId::kOpenStart:
      return kCmdOpenStart;
    case MenuItemId::kShowInfo:
      return kCmdShowInfo;
    case MenuItemId::kOpenSound:
      return kCmdOpenSound;
    case MenuItemId::kToggleEnabled:
      return kCmdToggleEnabled;
  }
  return 0;
}

}  // namespace

void MainWindow::CreateMenuBar() {
  menuBar_.reset(CreateMenu());
  for (const MenuLayout& menu : kMenuBar) {
    HMENU popup = CreatePopupMenu();
    for (const MenuEntry& item : menu.items) {
      if (item.id == 0) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
      } else {
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(item.id), item.caption);
      }
    }
    AppendMenuW(menuBar_.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(popup), menu.caption);
  }
  // The bar goes on the window when the window is first shown: putting it on makes the window
  // work out its frame again, and start-up does not wait for that.

  ACCEL keys[] = {{FVIRTKEY, VK_F12, kCmdAdd}, {FVIRTKEY, VK_DELETE, kCmdDelete}};
  shortcuts_.reset(CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));
}

bool MainWindow::TranslateShortcut(MSG& message) {
  // Only while the main window or one of its controls has the keyboard.
  if (!shortcuts_ || window_ == nullptr) return false;
  if (message.hwnd != window_ && !IsChild(window_, message.hwnd)) return false;
  return TranslateAcceleratorW(window_, shortcuts_.get(), &message) != 0;
}

void MainWindow::OnCommand(int id) {
  if (commands_ == nullptr) return;
  if (id >= kHotkeyMenuBase && id <= kHotkeyMenuBase + kLastSlot) {
    commands_->RunFromHotkeyMenu(id - kHotkeyMenuBase, windowBeforeMenu_);
    return;
  }
  switch (id) {
    case kCmdHideIcon:
      commands_->HideTrayIcon();
      break;
    case kCmdShowWindow:
      commands_->ShowWindow();
      break;
    case kCmdLockNow:
    case kCmdUseHotkey:
      commands_->ToggleLock();
      break;
    case kCmdQuit:
    case kCommand5Id:
      commands_->Exit();
      break;
    case kCmdRun:
      commands_->RunTarget();
      break;
    case kCmdRedraw:
      commands_->Redraw();
      break;
    case kCmdFindTarget:
      commands_->FindTarget();
      break;
    case kCmdToggleEnabled:
      commands_->ToggleEnabled();
      break;
    case kCmdShowPath:
      commands_->ToggleShowPath();
      break;
    case kCmdShowIconOn:
      commands_->ShowTrayIcon();
      break;
    case kCommand3Id:
      commands_->Hide();
      break;
    case kCommand1Id:
      commands_->Apply();
      break;
    case kOption1Id0:
    case kOption1Id1:
      program_->ActivationOptionClick(id - kOption1Id0);
      break;
    case kCheck1Id:
      program_->MouseControllerBoxClick(!program_->core.flags.MouseControllerOn);
      break;
    case kCmdOpenStart:
      commands_->ToggleSettingsMirror(MenuItemId::kOpenStart);
      break;
    case kCmdShowInfo:
      commands_->ToggleSettingsMirror(MenuItemId::kShowInfo);
      break;
    case kCmdOpenSound:
      commands_->ToggleSettingsMirror(MenuItemId::kOpenSound);
      break;
    case kCmdOtherSettings:
      OpenSettingsDialog();
      break;
    case kCmdAdd:
    case kCommand4Id:
      commands_->Add();
      break;
    case kCmdChange:
      commands_->Change();
      break;
    case kCmdDelete:
      commands_->Delete();
      break;
    case kCommand2Id:
      OpenHelp();
      break;
    case kCommand6Id:
      OpenAbout();
      break;
    case kCmdSaveList:
      commands_->SaveList();
      break;
    case kCmdImportList:
      commands_->ImportList();
      break;
    case kCmdAbbreviations:
      commands_->EditAbbreviations();
      break;
    default:
      break;
  }
}

void MainWindow::OnMenuOpening(HMENU menu) {
  if (commands_ == nullptr || !menuBar_) return;
  if (menu == GetSubMenu(menuBar_.get(), kEditMenuIndex)) commands_->EditMenuOpening();
  if (menu == GetSubMenu(menuBar_.get(), kAdvancedMenuIndex)) commands_->AdvancedMenuOpening();
  if (menu == GetSubMenu(menuBar_.get(), kSettingsMenuIndex)) commands_->SettingsMenuOpening();
}

void MainWindow::SetMenuChecked(MenuItemId item, bool checked) {
  CheckMenuItem(menuBar_.get(), static_cast<UINT>(CommandOf(item)),
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::SetMenuEnabled(MenuItemId item, bool enabled) {
  EnableMenuItem(menuBar_.get(), static_cast<UINT>(CommandOf(item)),
                 MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::SetMenuText(MenuItemId item, const std::string& text) {
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STRING;
  std::wstring wide = win::Widen(text);
  info.dwTypeData = wide.data();
  SetMenuItemInfoW(menuBar_.get(), static_cast<UINT>(CommandOf(item)), FALSE, &info);
}

// Loading the pictures waits until a menu is about to be seen: the main window shown, or a menu
// popped up from the tray icon.
void MainWindow::SetMenuImages() {
  menuImagesPending_ = true;
  if (controlsCreated_) EnsureMenuImages();
}

void MainWindow::EnsureMenuImages() {
  if (!menuImagesPending_) return;
  menuImagesPending_ = false;
  struct Picture {
    int menu, position, resource;  // positions count separators
  };
  static constexpr Picture kPictures[] = {
      {kFileMenuIndex, 0, IDB_MENU_HIDE_ICON}, {kFileMenuIndex, 1, IDB_MENU_SHOW_WINDOW},
      {kFileMenuIndex, 2, IDB_MENU_LOCK},      {kFileMenuIndex, 4, IDB_MENU_QUIT},
      {kEditMenuIndex, 0, IDB_MENU_ADD},       {kEditMenuIndex, 1, IDB_MENU_CHANGE},
      {kEditMenuIndex, 2, IDB_MENU_DELETE},    {kEditMenuIndex, 7, IDB_MENU_FIND}};
  const UINT dpi = win::WindowDpi(window_);
  auto load = [this, dpi](int resource) {
    // The pictures' grey becomes the system's face colour. Drawn for 96 dots per inch, they
    // grow with the window's DPI as the menu's text does.
    auto bitmap = static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS));
    BITMAP size{};
    if (bitmap != nullptr && dpi != 96 && GetObjectW(bitmap, sizeof(size), &size) != 0) {
      auto scaled = static_cast<HBITMAP>(LoadImageW(
          instance_, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, MulDiv(size.bmWidth, dpi, 96),
          MulDiv(size.bmHeight, dpi, 96), LR_LOADMAP3DCOLORS));
      if (scaled != nullptr) {
        DeleteObject(bitmap);
        bitmap = scaled;
      }
    }
    menuImages_.emplace_back(bitmap);
    return bitmap;
  };
  for (const Picture& p : kPictures) {
    HBITMAP bitmap = load(p.resource);
    SetMenuItemBitmaps(GetSubMenu(menuBar_.get(), p.menu), static_cast<UINT>(p.position),
                       MF_BYPOSITION, bitmap, bitmap);
  }
  ranImage_ = load(IDB_MENU_RAN);
  for (int i = 0; i < GetMenuItemCount(hotkeyMenu_.get()); ++i) {
    SetMenuItemBitmaps(hotkeyMenu_.get(), static_cast<UINT>(i), MF_BYPOSITION, nullptr, ranImage_);
  }
}

void MainWindow::ReloadMenuImages() {
  if (menuImages_.empty()) return;  // none loaded yet: they come at the right size when wanted
  // The menus take the new pictures before the old ones go.
  std::vector<win::UniqueGdiObject> old = std::move(menuImages_);
  menuImages_.clear();
  menuImagesPending_ = true;
  EnsureMenuImages();
}

void MainWindow::SetHotkeyMenu(const std::vector<MenuItem>& items) {
  hotkeyMenu_.reset(CreatePopupMenu());
  for (std::size_t i = 0; i < items.size(); ++i) {
    UINT flags =
        MF_STRING | (items[i].enabled ? 0 : MF_GRAYED) | (items[i].checked ? MF_CHECKED : 0);
    AppendMenuW(hotkeyMenu_.get(), flags, kHotkeyMenuBase + static_cast<UINT>(i),
                win::Widen(items[i].caption).c_str());
    // The binding run last from this menu is marked with its own picture.
    if (ranImage_ != nullptr) {
      SetMenuItemBitmaps(hotkeyMenu_.get(), static_cast<UINT>(i), MF_BYPOSITION, nullptr, ranImage_);
    }
  }
}

void MainWindow::SetHotkeyMenuChecked(int item, bool checked) {
  CheckMenuItem(hotkeyMenu_.get(), static_cast<UINT>(kHotkeyMenuBase + item),
                MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::PopupMenu(HMENU menu) {
  EnsureMenuImages();
  POINT at{};
  GetCursorPos(&at);
  // The menu closes when the user clicks elsewhere only if this window is in front.
  SetForegroundWindow(window_);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
}

void MainWindow::PopupHotkeyMenu() {
  // Taken before the menu makes this window the one in front: a binding chosen from it that
  // types a text types into the window the user was working in.
  windowBeforeMenu_ = win::WindowInFrontOfUser();
  PopupMenu(hotkeyMenu_.get());
}
void MainWindow::PopupSystemMenu() { PopupMenu(GetSubMenu(menuBar_.get(), kFileMenuIndex)); }
void MainWindow::PopupEditMenu() { PopupMenu(GetSubMenu(menuBar_.get(), kEditMenuIndex)); }

}  // namespace tarvek
