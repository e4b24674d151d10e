/* Identifiers of the icons and bitmaps, shared by the resource scripts and the C++ code of every
   layer. Plain C preprocessor only: windres and rc read this file too. The numbers are stored
   (the TrayIcon option holds an icon's id), so they never change. */
#ifndef OBRIVO_ICON_IDS_H
#define OBRIVO_ICON_IDS_H

/* The program, the tray's states and the list rows. */
#define IDI_PROGRAM 101        /* the program, and the tray icon while idle */
#define IDI_MISSING_FILE 115   /* a row whose file is gone */
#define IDI_TRAY_STARTUP 157   /* the patrol verifies the startup programs (its first half) */
#define IDI_TRAY_REVIEWING 158 /* the patrol checks for other changes (its second half) */
#define IDI_TRAY_ORIGINAL 159  /* the older tray icon, chosen on the Options page */
#define IDI_TRAY_ALERT 161     /* an alert is being shown */

/* Each page's tab; the Monitor's alert of a category shows its page's icon too. */
#define IDI_PAGE_STARTUP 174
#define IDI_PAGE_DELAYED 200
#define IDI_PAGE_ACTIVEX 212
#define IDI_PAGE_IE_HELPERS 180
#define IDI_PAGE_SCHEDULED_TASKS 182
#define IDI_PAGE_SERVICES 173
#define IDI_PAGE_ACTIVE_TASKS 176
#define IDI_PAGE_COOKIES 183
#define IDI_PAGE_FILE_TYPES 179
#define IDI_PAGE_HIDDEN_FILES 198
#define IDI_PAGE_RECENT 175
#define IDI_PAGE_PLUS 167
#define IDI_PAGE_OPTIONS 181
#define IDI_ACTIVEX_ALERT 162 /* the ActiveX alert's own, in the ActiveX tab's colours */

/* The Explorer's bitmaps. The Help picture and the Monitor (patrol) picture each have their
   states. */
#define IDB_PRODUCT 117
#define IDB_HELP_NORMAL 133
#define IDB_HELP_HOVER 134
#define IDB_HELP_PRESSED 135
#define IDB_PATROL_OFF 154
#define IDB_PATROL_PRESSED 155
#define IDB_PATROL_ON 156
#define IDB_PATROL_REAL_TIME 193
#define IDB_PAGE_TOP 158
#define IDB_OPTIONS_TOP 159
#define IDB_INFORMATION_TOP 160

#endif /* OBRIVO_ICON_IDS_H */
