/* Identifiers of the Explorer's dialogs and controls, shared by the resource scripts and the
   C++ code; the bitmaps are in icon_ids.h, the right-click menu's own commands in menu_ids.h.
   Plain C preprocessor only: windres and rc read this file too.
   Ids below 2100 are the ones the pages and the framework act on by number (list, corner
   pictures, commands that double as right-click menu entries); 2100-2399 are our own choice
   for controls nothing else refers to by number, and for menu commands of our own. An id is
   unique within its dialog, not across dialogs: the Options page's 1201 is a check box,
   elsewhere it is a menu command. */
#ifndef OBRIVO_EXPLORER_IDS_H
#define OBRIVO_EXPLORER_IDS_H

/* Property pages, in sheet order. */
#define IDD_STARTUP_PAGE 102
#define IDD_DELAYED_PAGE 197
#define IDD_ACTIVEX_PAGE 201
#define IDD_IE_HELPERS_PAGE 139
#define IDD_SCHEDULED_TASKS_PAGE 137
#define IDD_SERVICES_PAGE 132
#define IDD_ACTIVE_TASKS_PAGE 110
#define IDD_COOKIES_PAGE 108
#define IDD_FILE_TYPES_PAGE 142
#define IDD_HIDDEN_FILES_PAGE 195
#define IDD_RECENT_PAGE 214
#define IDD_PLUS_PAGE 103
#define IDD_OPTIONS_PAGE 114

/* Dialogs opened from the pages. */
#define IDD_PROGRAM_INFO 121
#define IDD_PATROL_TIME 160
#define IDD_HIDE_ALERTS 213
#define IDD_HISTORY 141
#define IDD_DEFAULT_WARNING 194
#define IDD_DELAY_OPTIONS 198
#define IDD_STARTUP_TYPE 199
#define IDD_COOKIE_VIEWER 145

/* The anatomy every page shares. */
#define IDC_PAGE_LIST 1000
#define IDC_TOP_PICTURE 1130
#define IDC_HEADING 1047  /* first heading text */
#define IDC_HEADING2 1048 /* second heading text, where the page has two */
#define IDC_HELP_PICTURE 1077
#define IDC_HELP_LABEL 1134
#define IDC_MONITOR_PICTURE 1112
#define IDC_MONITOR_LABEL 1135

/* The sheet's status bar, made at run time. */
#define IDC_SHEET_STATUS_BAR 6050

/* Bottom buttons; the right-click menu's entries that do what a button does send its id. */
#define IDC_ENABLE 10
#define IDC_DISABLE 11
#define IDC_REMOVE 1003
#define IDC_CLOSE 1004
#define IDC_REFRESH 1006
#define IDC_KILL_TASK 1007
#define IDC_INFO 1008
#define IDC_ADD 1064
#define IDC_DELAY_OPTIONS 1197

/* Startup Programs page. */
#define IDC_SHOW_ALL_STARTUP 1014

/* Delayed Start page: its headings have ids of their own. */
#define IDC_DELAYED_HEADING 1187
#define IDC_DELAYED_HINT 1200

/* ActiveX and Services pages. */
#define IDC_ACTIVEX_LIST_ALL 2120
#define IDC_HIDE_MICROSOFT 2121 /* "non-Microsoft only" on both pages */

/* Hidden Files page. */
#define IDC_UNHIDE 2125

/* Cookies page. */
#define IDC_COOKIE_VIEW_HINT 2130
#define IDC_COOKIE_FILTER_HINT 2131
#define IDC_COOKIE_FILTERS_HEADING 2132
#define IDC_COOKIE_FILTER_EDIT 2133
#define IDC_VIEW_COOKIES 2134
#define IDC_ALWAYS_VIEW_COOKIES 2135
#define IDC_COOKIES_IE 2136
#define IDC_COOKIES_MOZILLA 2137
#define IDC_COOKIE_FOLDER 2138
#define IDC_COOKIE_FOLDER_BROWSE 2139

/* Cookie viewer: the list is IDC_PAGE_LIST, Close is IDCANCEL, the patrol picture
   IDC_MONITOR_PICTURE, the folder field IDC_COOKIE_FOLDER. */
#define IDC_COOKIE_VIEWER_TEXT 4275
#define IDC_COOKIE_VIEWER_HINT 4276
#define IDC_COOKIE_VIEW_FILE 4277
#define IDC_REMOVE_UNCHECKED 4278
#define IDC_REMOVE_CHECKED 4279
#define IDC_COOKIE_VIEWER_STATUS 4280

/* Recent page. */
#define IDC_RECENT_HEADING 1244
#define IDC_RECENT_HEADING2 1245
#define IDC_RECENT_ACTION 1246

/* PLUS page. */
#define IDC_PLUS_TITLE 2150
#define IDC_PRODUCT_PICTURE 2151
#define IDC_NEWS_LINK 2152
#define IDC_VERSION_CHECK 2153
#define IDC_SEARCH_LABEL 2154
#define IDC_SEARCH_EDIT 2155
#define IDC_SEARCH 2156

/* Options page. */
#define IDC_OPTIONS_HEADING 1049
#define IDC_OPTIONS_GROUP 1051
#define IDC_START_PAGES_PICTURE 1136
#define IDC_HOSTS_PICTURE 1137
#define IDC_RESTART_FILE_PICTURE 1138
#define IDC_RESTART_FILE_TEXT 1139
#define IDC_START_PAGES_TEXT 1140
#define IDC_HOSTS_TEXT 1141
#define IDC_AUTO_START 1017
#define IDC_EXPLORER_INTEGRATION 1018
#define IDC_PLAY_SOUNDS 1020
#define IDC_TRACK_HISTORY 1024
#define IDC_HIDE_TRAY_ICON 1025
#define IDC_LOCK_FILE_TYPES 1026
#define IDC_CONFIRM_EXIT 1027
#define IDC_ORIGINAL_TRAY_ICON 1201
#define IDC_PLUS_FORMAT 1202
#define IDC_VIEW_HISTORY 1104
#define IDC_VIEW_HOSTS 1105
#define IDC_EXPORT_SETTINGS 1106
#define IDC_RESTORE_ALL_DELAYED 1107
#define IDC_OBRIVO_LOG 1108
#define IDC_HIJACK_LOG 1109
#define IDC_SPREADSHEET_REPORT 1110
#define IDC_HIDE_ALERTS 1236

/* Set Patrol Time dialog; OK is IDOK, Close is IDCANCEL. */
#define IDC_PATROL_MINUTES 1004
#define IDC_PATROL_REAL_TIME 1014
#define IDC_PATROL_TEXT 1131
#define IDC_PATROL_MINUTES_LABEL 1132
#define IDC_PATROL_OFF_HINT 1133
#define IDC_PATROL_SLIDER 1142

/* Hide Alerts dialog: per category a check box and its Allow and Prevent radios; OK is IDOK. */
#define IDC_SHOW_ALL_ALERTS 1015
#define IDC_ALLOW_STARTUP 1214
#define IDC_PREVENT_STARTUP 1215
#define IDC_ALLOW_IE_HELPERS 1216
#define IDC_PREVENT_IE_HELPERS 1217
#define IDC_ALLOW_TASKS 1218
#define IDC_PREVENT_TASKS 1219
#define IDC_ALLOW_SERVICES 1220
#define IDC_PREVENT_SERVICES 1221
#define IDC_ALLOW_ACTIVEX 1222
#define IDC_PREVENT_ACTIVEX 1223
#define IDC_ALLOW_HIDDEN 1224
#define IDC_PREVENT_HIDDEN 1225
#define IDC_ALLOW_SYSTEM_FILES 1226
#define IDC_PREVENT_SYSTEM_FILES 1227
#define IDC_ALLOW_HOME_PAGE 1228
#define IDC_PREVENT_HOME_PAGE 1229
#define IDC_ALLOW_FILE_TYPES 1231
#define IDC_PREVENT_FILE_TYPES 1232
#define IDC_HIDE_STARTUP 1234
#define IDC_HIDE_IE_HELPERS 1235
#define IDC_HIDE_TASKS 1236
#define IDC_HIDE_SERVICES 1237
#define IDC_HIDE_ACTIVEX 1238
#define IDC_HIDE_HIDDEN 1239
#define IDC_HIDE_FILE_TYPES 1240
#define IDC_HIDE_SYSTEM_FILES 1241
#define IDC_HIDE_HOME_PAGE 1242
#define IDC_HIDE_RUN_ONCE 1243
#define IDC_HIDE_ALERTS_TEXT 2170
#define IDC_ALERT_TYPE_HEADING 2171
#define IDC_ALLOW_HEADING 2172
#define IDC_PREVENT_HEADING 2173

/* Program Info dialog. Close is IDCANCEL, so that Escape closes it too. */
#define IDC_INFO_KILL 3
#define IDC_INFO_RUN 4
#define IDC_INFO_EXPAND 5
#define IDC_INFO_PRODUCT 100
#define IDC_INFO_STATUS 1010
#define IDC_INFO_CREATED 1011
#define IDC_INFO_LAST_SAVED 1013
#define IDC_INFO_DETECTED 1014
#define IDC_INFO_PATH 1026
#define IDC_INFO_COMPANY 1029
#define IDC_INFO_VERSION 1030
#define IDC_INFO_DESCRIPTION 1031
#define IDC_INFO_COPYRIGHT 1032
#define IDC_INFO_NOTES 1033
#define IDC_INFO_LOCATION 1039
#define IDC_INFO_SIZE 1181
#define IDC_INFO_ICON 2100
#define IDC_INFO_COMPANY_LABEL 2101
#define IDC_INFO_VERSION_LABEL 2102
#define IDC_INFO_COPYRIGHT_LABEL 2103
#define IDC_INFO_CREATED_LABEL 2104
#define IDC_INFO_LAST_SAVED_LABEL 2105
#define IDC_INFO_SIZE_LABEL 2106
#define IDC_INFO_DETECTED_LABEL 2107
#define IDC_INFO_PREVIOUS 2108
#define IDC_INFO_NEXT 2109
#define IDC_INFO_PLUS 2110
#define IDC_INFO_NOTE 2111 /* Create Note, then Save Note */
/* Service items only; hidden until the item is a service. */
#define IDC_INFO_START_TYPE_LABEL 2112
#define IDC_INFO_START_TYPE 2113
#define IDC_INFO_SERVICE_STATUS_LABEL 2114
#define IDC_INFO_SERVICE_STATUS 2115
#define IDC_INFO_SERVICE_STOP 2116
#define IDC_INFO_SERVICE_APPLY 2117

/* History viewer; its list is IDC_PAGE_LIST and Close is IDOK. */
#define IDC_HISTORY_TEXT 1102
#define IDC_HISTORY_RESTORE 1104
#define IDC_HISTORY_CLEAR 1106

/* Warning before an advanced startup entry is removed; OK is IDOK. */
#define IDC_WARNING_PATH 2160
#define IDC_WARNING_TEXT 2161
#define IDC_WARNING_TITLE 2162
#define IDC_WARNING_CONFIRM 2163

/* Delay options of a delayed program; Apply is IDOK, Close is IDCANCEL. */
#define IDC_DELAY_TEXT 2180
#define IDC_DELAY_PROGRAM 2181
#define IDC_DELAY_TIME_LABEL 2182
#define IDC_DELAY_MINUTES 2183
#define IDC_DELAY_MINUTES_LABEL 2184
#define IDC_DELAY_SECONDS 2185
#define IDC_DELAY_SECONDS_LABEL 2186
#define IDC_OPEN_AS_LABEL 2187
#define IDC_OPEN_AS 2188
#define IDC_DELAY_PARAMETERS_LABEL 2189
#define IDC_DELAY_PARAMETERS 2190
#define IDC_DELAY_TITLE_LABEL 2191
#define IDC_DELAY_TITLE 2192

/* Startup Program Type: who a program added to the delayed list starts for; OK is IDOK,
   Cancel is IDCANCEL. */
#define IDC_STARTUP_TYPE_TEXT 2195
#define IDC_ALL_USERS 2196
#define IDC_CURRENT_USER 2197

/* The Add File Type Extension dialog. */
#define IDD_ADD_FILE_TYPE 144
#define IDC_ADD_FILE_TYPE_EDIT 4215
#define IDC_ADD_FILE_TYPE_TEXT 4216

#endif /* OBRIVO_EXPLORER_IDS_H */
