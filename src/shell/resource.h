// Resource ids, shared by the resource script and the code.
#pragma once

#define IDI_APP 101
#define IDI_TRAY_PRESSED 102
#define IDI_TRAY_DISABLED 103
