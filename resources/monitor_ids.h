/* Identifiers of the Monitor's alert dialogs and their controls, shared by the resource scripts
   and the C++ code. Plain C preprocessor only: windres and rc read this file too. The ids below
   2400 are the ones the alerts are known and driven by; 2400 and up are our own choice for
   controls nothing else refers to by number. */
#ifndef OBRIVO_MONITOR_IDS_H
#define OBRIVO_MONITOR_IDS_H

/* Alert dialogs. */
#define IDD_ALERT_STARTUP 131   /* new startup program */
#define IDD_ALERT_TASK 138      /* new scheduled task */
#define IDD_ALERT_IE_HELPER 140 /* Internet Explorer add-on */
#define IDD_ALERT_FILE_TYPE 143 /* file-type association change */
#define IDD_ALERT_SYS_FILE 189  /* a watched system file (HOSTS ...) changed */
#define IDD_ALERT_SERVICE 171   /* new service */
#define IDD_ALERT_HIDDEN 191    /* new hidden file */
#define IDD_ALERT_DELAYED 192   /* a delayed program put itself back into the startup list */
#define IDD_ALERT_ACTIVEX 193   /* ActiveX control */

/* The built-in alert sound. */
#define IDW_ALERT_SOUND 170

/* Answer buttons. The hidden-file alert answers with OK (1) and Delete, whose id is its own:
   as 2 (IDCANCEL) it would be what Escape and the close box send, and closing would delete. */
#define IDC_ALERT_YES 6
#define IDC_ALERT_NO 7
#define IDC_ALERT_OK 1
#define IDC_ALERT_DELETE 4245
#define IDC_ALERT_INFO 1067

/* The program alerts' fields. */
#define IDC_ALERT_MESSAGE 1036
#define IDC_ALERT_UPPER_MESSAGE 1143 /* the service alert's two texts */
#define IDC_ALERT_LOWER_MESSAGE 1144
#define IDC_ALERT_ITEM_ICON 117
#define IDC_ALERT_NAME 100
#define IDC_ALERT_COMMAND 1026
#define IDC_ALERT_VERSION_LABEL 1097
#define IDC_ALERT_VERSION 1029
#define IDC_ALERT_COMPANY 1030
#define IDC_ALERT_DESCRIPTION 1031
#define IDC_ALERT_COPYRIGHT 1032
#define IDC_ALERT_CHECK 1014
#define IDC_ALERT_CATEGORY_ICON 2400
#define IDC_ALERT_NEXT_RUN_LABEL 2420 /* the task alert: next run time */
#define IDC_ALERT_NEXT_RUN 2421

/* The file-type alert: four texts, and the old and the new program with an Info button each. */
#define IDC_FT_INTRO 1025
#define IDC_FT_OLD_HEADING 1026
#define IDC_FT_NEW_HEADING 1027
#define IDC_FT_QUESTION 1028
#define IDC_FT_OLD_INFO 1115
#define IDC_FT_NEW_INFO 1120
#define IDC_FT_EXTENSION 2401
#define IDC_FT_OLD_ICON 2402
#define IDC_FT_OLD_NAME 2403
#define IDC_FT_OLD_COMPANY 2404
#define IDC_FT_OLD_COMMAND 2405
#define IDC_FT_NEW_ICON 2406
#define IDC_FT_NEW_NAME 2407
#define IDC_FT_NEW_COMPANY 2408
#define IDC_FT_NEW_COMMAND 2409

/* The system-file alert: what changed, the two views and the two answers. */
#define IDC_SF_HEADING 4230
#define IDC_SF_EXPECTED 4231
#define IDC_SF_UNEXPECTED 4232
#define IDC_SF_NAME_LABEL 4233
#define IDC_SF_LOCATION_LABEL 4234
#define IDC_SF_NAME 4235
#define IDC_SF_LOCATION 4236
#define IDC_SF_COMMENT 4237
#define IDC_SF_VIEW_NEW 4238
#define IDC_SF_VIEW_PREVIOUS 4239
#define IDC_SF_ACCEPT 4240
#define IDC_SF_REJECT 4241
#define IDC_SF_STOP_WATCHING 4242

#endif
