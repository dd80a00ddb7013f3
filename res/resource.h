// SPDX-License-Identifier: GPL-3.0-or-later
// Resource numbers of Quavel.rc: dialog templates, their controls, bitmaps,
// region data, the icon and strings. Control numbers are named per window
// because the windows reuse numbers for different controls.
#pragma once

// Dialog templates.
#define IDD_ABOUT 100
#define IDD_MAIN 102
#define IDD_CONNECT 130
#define IDD_PLAYLIST 134
#define IDD_INIT 142
#define IDD_FOLDER 143
#define IDD_OPTIONS 284

// Strings.
#define IDS_ABOUTBOX 101

// Icon.
#define IDI_MAIN 128

// Numbered bitmaps.
#define IDB_FILE_IMAGES 129
#define IDB_MAIN_SKIN 133
#define IDB_PLAYER 135
#define IDB_SCREEN 136
#define IDB_LAMP_IDLE 137
#define IDB_LAMP_UPLOAD 138
#define IDB_LAMP_DOWNLOAD 139
#define IDB_LAMP_OFFLINE 141
#define IDB_DRIVE_IMAGES 144
#define IDB_PLAYLIST_SKIN 183
#define IDB_FOLDER_SKIN 240
#define IDB_ABOUT_SKIN 254
#define IDB_CONNECT 262
#define IDB_OPTIONS_SKIN 297

// Region data (RCDATA).
#define IDR_MAIN_REGION 145
#define IDR_PLAYLIST_REGION 236
#define IDR_FOLDER_REGION 272
#define IDR_ABOUT_REGION 276

// System menu commands of the About and the "Verify downloads" entries, and
// the first of the "Convert to MP3" submenu ("Off"), whose entries follow at
// steps of 16 (the system keeps the low four bits of a command for itself).
#define IDM_ABOUTBOX 16
#define IDM_VERIFYDOWNLOADS 32
#define IDM_CONVERT_OFF 48
// System menu command of the "Check memory..." entry.
#define IDM_CHECKMEMORY 0x0400
// System menu command of "Sync with playlist...".
#define IDM_SYNCPLAYLIST 0x0240

// Main window (102).
#define IDC_MAIN_CLOSE 1
#define IDC_MAIN_REFRESH 1000
#define IDC_MAIN_LIST 1001
#define IDC_MAIN_DOWNP 1002
#define IDC_MAIN_PROGRESS 1004
#define IDC_MAIN_DELETE 1010
#define IDC_MAIN_UPLOAD 1011
#define IDC_MAIN_INIT 1013
#define IDC_MAIN_PLAYLST 1025
#define IDC_MAIN_LAMP_UPLOAD 1027
#define IDC_MAIN_LAMP_IDLE 1028
#define IDC_MAIN_LAMP_DOWNLOAD 1029
#define IDC_MAIN_LAMP_OFFLINE 1030
#define IDC_MAIN_INTFL 1038
#define IDC_MAIN_EXTFL 1039
#define IDC_MAIN_ABOUT 1040
#define IDC_MAIN_STATUS 1043
#define IDC_MAIN_KESTRY 1047
#define IDC_MAIN_HELP 57670

// About box (100).
#define IDC_ABOUT_OK 1
#define IDC_ABOUT_CLOSE 1000
#define IDC_ABOUT_VERSION 1048
#define IDC_ABOUT_THANKS 1050
#define IDC_ABOUT_AUTHORS_LINK 1051
#define IDC_ABOUT_MAKER_LINK 1052
#define IDC_ABOUT_EDITION 1058

// Playlist window (134).
#define IDC_PLAYLIST_DOWN 1
#define IDC_PLAYLIST_CLOSE 2
#define IDC_PLAYLIST_REMOVE 1010
#define IDC_PLAYLIST_LIST 1014
#define IDC_PLAYLIST_ADD 1015
#define IDC_PLAYLIST_SAVE 1017
#define IDC_PLAYLIST_OPEN 1018
#define IDC_PLAYLIST_NEW 1019
#define IDC_PLAYLIST_SAVEAS 1021
#define IDC_PLAYLIST_HELP 1022
#define IDC_PLAYLIST_MOVUP 1023
#define IDC_PLAYLIST_MOVDOWN 1024
#define IDC_PLAYLIST_TITLE 1042
#define IDC_PLAYLIST_FREE 1045
#define IDC_PLAYLIST_FREE_LABEL 1046

// Initialize dialog (142).
#define IDC_INIT_OK 1
#define IDC_INIT_CANCEL 2
#define IDC_INIT_HELPB 1022
#define IDC_INIT_CHECK 1031

// Folder selection dialog (143).
#define IDC_FOLDER_OK 1
#define IDC_FOLDER_CANCEL 2
#define IDC_FOLDER_HELP 1022
#define IDC_FOLDER_TREE 1033
#define IDC_FOLDER_CLOSE 1044

// Transfer speed options (284).
#define IDC_OPTIONS_OK 1
#define IDC_OPTIONS_CANCEL 2
#define IDC_OPTIONS_INIT_SLOW 1000
#define IDC_OPTIONS_CLOSE 1044
#define IDC_OPTIONS_INIT_MEDIUM 1059
#define IDC_OPTIONS_INIT_FAST 1060
#define IDC_OPTIONS_TX_SLOW 1061
#define IDC_OPTIONS_RX_SLOW 1062
#define IDC_OPTIONS_TX_MEDIUM 1063
#define IDC_OPTIONS_RX_MEDIUM 1064
#define IDC_OPTIONS_TX_FAST 1065
#define IDC_OPTIONS_RX_FAST 1066
#define IDC_OPTIONS_SETDEF 1068
#define IDC_OPTIONS_HELP 1070
