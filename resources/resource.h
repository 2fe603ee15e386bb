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
// The tray icon of each profile.
#define IDI_PROFILE1 160
#define IDI_PROFILE2 161
#define IDI_PROFILE3 162
#define IDD_PROGRAMS 170

// The key settings dialog's controls.
#define IDC_ADD_MACRO 1017
#define IDC_DELETE_MACRO 1018
#define IDC_RECORD 1020
#define IDC_DELETE_STEP 1021
#define IDC_CLEAR_STEPS 1022
#define IDC_FIRST_STEP 1023
#define IDC_PREVIOUS_STEP 1024
#define IDC_NEXT_STEP 1025
#define IDC_LAST_STEP 1026
#define IDC_SET_ALL_DELAYS 1027
#define IDC_CLEAR_DELAYS 1028
#define IDC_KEY_NAME 1127
#define IDC_MEDIA_LIST 1128
#define IDC_FUNCTION_LIST 1129
#define IDC_MACRO_LIST 1130
#define IDC_STEP_LIST 1131
#define IDC_MACRO_MODE 1132
#define IDC_STEP_DELAY 1133
#define IDC_ALL_DELAYS 1134
#define IDC_SETTINGS_OK 1999
#define IDC_KIND_SINGLE_KEY 2028
#define IDC_KIND_MACRO 2029
#define IDC_KIND_MEDIA 2030
#define IDC_KIND_FUNCTION 2031
#define IDC_CLEAR 2032
#define IDC_OSK 2034

// The Programs dialog's controls, in the order of "Programs.ini".
#define IDC_PROGRAMS_OK 3001
#define IDC_ADD_PROGRAM 3003
#define IDC_REMOVE_PROGRAM 3004
#define IDC_RULE_PROFILE1 3005
#define IDC_RULE_PROFILE2 3006
#define IDC_RULE_PROFILE3 3007
#define IDC_FALLBACK_STAY 3008
#define IDC_FALLBACK_PROFILE1 3009
#define IDC_FALLBACK_PROFILE2 3010
#define IDC_FALLBACK_PROFILE3 3011
#define IDC_RULE_LIST 3012

#define ID_APP_EXIT_COMMAND 32771
#define ID_OPEN_COMMAND 32772
#define ID_ABOUT_COMMAND 32774
#define ID_EXPORT_COMMAND 32776
#define ID_IMPORT_COMMAND 32777
#define ID_PROGRAMS_COMMAND 32778
