#pragma once

// Resource identifiers. The numbers are the program's own and stay fixed:
// the tray icon's id and the menu commands travel in window messages.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDD_ABOUTBOX 100
#define IDI_TARSIL 133
#define IDD_MAIN 137
#define IDR_TRAY_MENU 140
#define IDD_KEY_SETTINGS 148
#define IDR_BUTTON_MENU 155

#define ID_APP_EXIT_COMMAND 32771
#define ID_OPEN_COMMAND 32772
#define ID_ABOUT_COMMAND 32774
#define ID_EXPORT_COMMAND 32776
#define ID_IMPORT_COMMAND 32777
