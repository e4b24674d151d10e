/* Commands of the Explorer pages' right-click menu that no page control carries, shared by the
   platform-free menu table and the pages. Plain C preprocessor only, like the other id headers.
   An entry that does what a page's button or picture does sends that control's id instead
   (explorer_ids.h: IDC_INFO, IDC_ADD, IDC_REMOVE, IDC_ENABLE, IDC_DISABLE, IDC_REFRESH,
   IDC_KILL_TASK, IDC_DELAY_OPTIONS, and IDC_HELP_PICTURE for Help). A page acts on a menu
   command as on the control of that id, so every id here must differ from every control of a
   page that has a list; the dialog resource tests check it. */
#ifndef OBRIVO_MENU_IDS_H
#define OBRIVO_MENU_IDS_H

#define IDM_OBRIVO_LOG 9
#define IDM_LAUNCH_PROGRAM 1065
#define IDM_PLUS_INFO 1067
#define IDM_REMOVE_CHECKED 1103
#define IDM_DELETE_ON_REBOOT 1144
#define IDM_VIEW_NOTE 1164
#define IDM_VIEW_NOTEPAD 1180
#define IDM_DELETE 1184
#define IDM_MOVE_TO_DELAYED 1195
#define IDM_RESTORE_TO_STARTUP 1198
#define IDM_EXPLORE_FOLDER 1201
#define IDM_PROPERTIES 1202
/* Not 1004, which is every page's Close button. */
#define IDM_REMOVE_UNCHECKED 2140

#endif /* OBRIVO_MENU_IDS_H */
