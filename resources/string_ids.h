/* Identifiers of the string-table entries that more than one place names, and of the messages
   and dialog texts of our own, shared by the string table (strings.rc) and the C++ code of every
   layer. Plain C preprocessor only: windres and rc read this file too. Texts that one place alone
   shows keep their number there. The numbers are those of the translations' override files, so
   they never change. */
#ifndef OBRIVO_STRING_IDS_H
#define OBRIVO_STRING_IDS_H

/* The window classes and the program's title. */
#define IDS_MONITOR_CLASS 1
#define IDS_PROGRAM_TITLE 2
#define IDS_EXPLORER_CLASS 9

/* Questions asked from more than one place. */
#define IDS_REMOVE_STARTUP_QUESTION 15
#define IDS_DELETE_ON_REBOOT_QUESTION 800

/* The tray tips of the patrol. */
#define IDS_PATROL_TIP 820
#define IDS_VERIFYING_STARTUP_TIP 821
#define IDS_CHECKING_CHANGES_TIP 824
#define IDS_SETTINGS_EXPORTED 854

/* Texts of the buttons and of the menu entries and alert buttons that do the same. */
#define IDS_HELP_TITLE 31 /* "Obrivo Help": the menu entry and the help message's title */
#define IDS_INFO 301
#define IDS_REMOVE 302
#define IDS_CLOSE 304
#define IDS_REFRESH 305
#define IDS_KILL_TASK 306
#define IDS_OBRIVO_LOG 310
#define IDS_ADD 311
#define IDS_ENABLE 632
#define IDS_DISABLE 633
#define IDS_PLUS_INFO 641
#define IDS_YES 719
#define IDS_NO 720
#define IDS_DELETE 925
#define IDS_CREATE_NOTE 969
#define IDS_SAVE_NOTE 970

/* Labels. */
#define IDS_DISABLED_PREFIX 626 /* put before a disabled entry's type */
#define IDS_VERSION_LABEL 644
#define IDS_STARTUP_LOCATION 646
#define IDS_RUNNING 655
#define IDS_FILE_NOT_FOUND 730 /* "Local File not found." */

/* The pages' tab captions. */
#define IDS_PAGE_STARTUP 606
#define IDS_PAGE_DELAYED 609
#define IDS_PAGE_ACTIVEX 1155
#define IDS_PAGE_IE_HELPERS 694
#define IDS_PAGE_SCHEDULED_TASKS 680
#define IDS_PAGE_SERVICES 636
#define IDS_PAGE_ACTIVE_TASKS 607
#define IDS_PAGE_COOKIES 608
#define IDS_PAGE_FILE_TYPES 739
#define IDS_PAGE_HIDDEN_FILES 973
#define IDS_PAGE_RECENT 3192
#define IDS_PAGE_PLUS 611
#define IDS_PAGE_OPTIONS 3610
/* Tray menu entries whose text is also their page's own window text. */
#define IDS_MENU_OPTIONS 610
#define IDS_MENU_RECENT 1192

/* Column headings that several lists share. */
#define IDS_COLUMN_TITLE 627
#define IDS_COLUMN_COMMAND 628
#define IDS_COLUMN_MODULE 629
#define IDS_COLUMN_DESCRIPTION 631
#define IDS_COLUMN_STATUS 648
#define IDS_COLUMN_NAME 681
#define IDS_COLUMN_PROGRAM 684
#define IDS_COLUMN_COMPANY 699
#define IDS_COLUMN_TYPE 714
#define IDS_COLUMN_FIRST_DETECTED 912
#define IDS_CLSID 1158 /* a column heading and the Info window's label */
#define IDS_COLUMN_DELAY_TIME 1119 /* also the delay options' label */

/* The units of a delay, in the Delay Time column and beside the delay options' lists. */
#define IDS_MINUTES_UNIT 1121
#define IDS_SECONDS_UNIT 1122

/* The delayed-start list: what its commands report, and texts of its dialogs of our own. */
#define IDS_STARTUP_REMOVE_FAILED 3803
#define IDS_ALREADY_DELAYED 3804
#define IDS_DELAY_MOVE_FAILED 3805
#define IDS_DELAY_DISABLED_ENTRY 3806
#define IDS_DELAY_RETURN_FAILED 3807
#define IDS_DELAY_LAUNCH_FAILED 3808
#define IDS_DELAY_ADD_LISTED 3809
#define IDS_DELAY_ADD_FAILED 3810
#define IDS_RESTORE_ALL_INCOMPLETE 3811
#define IDS_DELAY_OPTIONS_FAILED 3812
#define IDS_DELAY_DROP_FAILED 3813
#define IDS_SERVICE_COMMAND_CHANGED 3814
#define IDS_SERVICE_COMMAND_TEXT 3815
#define IDS_SERVICE_STOP_FAILED 3816
#define IDS_SERVICE_START_FAILED 3817
#define IDS_SERVICE_RESTORE_FAILED 3818
#define IDS_SERVICES_UNREADABLE 3819
#define IDS_SERVICES_PARTIAL 3820
#define IDS_TASK_DELETE_FAILED 3830
#define IDS_TASKS_SCHEDULER_DOWN 3831
#define IDS_TASKS_NOT_LISTED 3832
#define IDS_TASK_FOLDERS_NOT_LISTED 3833
#define IDS_TASK_RESTORE_FAILED 3834
/* What the uninstaller's requests to the Explorer report. */
#define IDS_ENABLE_ALL_INCOMPLETE 3850
#define IDS_CANCEL 3901
#define IDS_STARTUP_TYPE_TITLE 3920

/* Browser add-ons: the Monitor's tray tip while it asks, and what their commands report. */
#define IDS_VERIFYING_IE_HELPERS_TIP 822
#define IDS_REMOVE_IE_HELPER_QUESTION 698
#define IDS_LOCATION 716
#define IDS_IE_HELPER_REMOVE_FAILED 3840
#define IDS_IE_HELPER_RESTORE_FAILED 3841

/* ActiveX controls: the page's state column and questions, and what a kill-bit write reports. */
#define IDS_ACTIVEX_DISABLED 666
#define IDS_ACTIVEX_ENABLED 1156
#define IDS_DISABLE_ACTIVEX_QUESTION 1159
#define IDS_ACTIVEX_DISABLE_FAILED 4000
#define IDS_ACTIVEX_ENABLE_FAILED 4001
/* Watched system files: the alert's texts, the HOSTS viewer, and what their actions report. */
#define IDS_VIEW_HOSTS_MISSING 736
#define IDS_CHECKING_HOSTS_TIP 828
#define IDS_SYSFILE_ALERT_TITLE 1000
#define IDS_SYSFILE_ALERT_HEADING 1001
#define IDS_SYSFILE_ALERT_EXPECTED 1002
#define IDS_SYSFILE_ALERT_UNEXPECTED 1003
#define IDS_SYSFILE_NAME_LABEL 1004
#define IDS_SYSFILE_LOCATION_LABEL 1005
#define IDS_SYSFILE_VIEW_NEW 1006
#define IDS_SYSFILE_VIEW_PREVIOUS 1007
#define IDS_SYSFILE_ACCEPT 1008
#define IDS_SYSFILE_REJECT 1009
#define IDS_SYSFILE_STOP_WATCHING 1010
#define IDS_SYSFILE_BACKUP_CHANGED 4040
#define IDS_SYSFILE_BACKUP_FAILED 4041
/* The settings guard: what its restores report. */
#define IDS_GUARD_ELEVATION_DECLINED 4080
#define IDS_GUARD_WRITE_REFUSED 4081
#define IDS_GUARD_WRITE_FAILED 4082
#define IDS_GUARD_PAGE_RESTORE_FAILED 4083
/* Cookies and their filters: what the viewer's status bar and the commands report. */
#define IDS_COOKIE_COUNT 4100
#define IDS_COOKIE_REMOVE_FAILED 4101
#define IDS_NUT_NOT_ADDED 4102
#define IDS_CHOOSE_COOKIE_FOLDER 4103 /* the button beside the cookie folder */
#define IDS_EXPORT_LEFT_OUT 4140
#define IDS_EXPORT_FAILED 4141
/* Hidden files: what a deletion, an undo and the page's commands report. */
#define IDS_HIDDEN_NOT_KEPT 4060
#define IDS_HIDDEN_DELETE_FAILED 4061
#define IDS_HIDDEN_GONE 4062
#define IDS_HIDDEN_RESTORE_NO_COPY 4063
#define IDS_HIDDEN_RESTORE_ALTERED 4064
#define IDS_HIDDEN_RESTORE_TAKEN 4065
#define IDS_HIDDEN_RESTORE_FAILED 4066
#define IDS_HIDDEN_UNHIDE_FAILED 4067
#define IDS_HIDDEN_NOTEPAD_FAILED 4068
/* File types: the watched list and its refusals, the Monitor's tray tip while it asks, and what
   their commands report; the restart commands of Windows 9x. */
#define IDS_FILE_TYPE_LIST 750
#define IDS_ALREADY_MONITORED 762
#define IDS_FILE_TYPE_LIST_FULL 763
#define IDS_EXECUTABLE 746
#define IDS_NO_ASSOCIATED_FILE 742
#define IDS_FILE_TYPES_TIP 827
#define IDS_RESTART_COMMANDS_TITLE 30
#define IDS_NO_RESTART_COMMANDS 59
#define IDS_RESTART_COMMANDS_LEGEND 702
#define IDS_NOT_AN_EXTENSION 4020
#define IDS_FILE_TYPE_RESTORE_FAILED 4021
#define IDS_RESTART_FILE_NOT_DELETED 4022
#define IDS_HIJACK_LOG_WRITTEN 4180
#define IDS_HIJACK_LOG_FAILED 4181

// Reports (4160-4179).
#define IDS_REPORT_WRITTEN 4160
#define IDS_REPORT_NOT_WRITTEN 4161

#endif /* OBRIVO_STRING_IDS_H */
