// Resource ids, shared by the resource script and the code.
#pragma once

#define IDI_APP 101
#define IDI_TRAY_PRESSED 102
#define IDI_TRAY_DISABLED 103
#define IDI_PAD 104

// Menu pictures: the file menu's and the edit menu's items, and the mark of the binding run
// last from the hotkey-list menu.
#define IDB_MENU_HIDE_ICON 201
#define IDB_MENU_SHOW_WINDOW 202
#define IDB_MENU_LOCK 203
#define IDB_MENU_QUIT 204
#define IDB_MENU_ADD 205
#define IDB_MENU_CHANGE 206
#define IDB_MENU_DELETE 207
#define IDB_MENU_FIND 208
#define IDB_MENU_RAN 209

// The about box's background picture.
#define IDB_ABOUT_PICTURE 301
