// The string each control of the Explorer's dialogs shows, by dialog.
#include "explorer/dialog_texts.h"

#include <string>

#include "common/text_loader.h"
#include "common/win32/wide.h"
#include "explorer_ids.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kCaption = 0;
constexpr int kHelp = 793;
constexpr int kMonitor = 794;

constexpr ControlText kStartup[] = {
    {kCaption, IDS_PAGE_STARTUP},
    {IDC_HEADING, 211},
    {IDC_SHOW_ALL_STARTUP, 929},
    {IDC_INFO, IDS_INFO},
    {IDC_ENABLE, IDS_ENABLE},
    {IDC_DISABLE, IDS_DISABLE},
    {IDC_ADD, IDS_ADD},
    {IDC_REMOVE, IDS_REMOVE},
    {IDC_CLOSE, IDS_CLOSE},
    {IDC_HELP_LABEL, kHelp},
    {IDC_MONITOR_LABEL, kMonitor},
};

constexpr ControlText kDelayed[] = {
    {kCaption, IDS_PAGE_DELAYED}, {IDC_DELAYED_HEADING, 1100}, {IDC_DELAYED_HINT, 1133},
    {IDC_INFO, IDS_INFO},         {IDC_ADD, IDS_ADD},          {IDC_DELAY_OPTIONS, 1132},
    {IDC_REMOVE, IDS_REMOVE},     {IDC_CLOSE, IDS_CLOSE},      {IDC_HELP_LABEL, kHelp},
};

constexpr ControlText kActiveX[] = {
    {kCaption, IDS_PAGE_ACTIVEX},  {IDC_HEADING, 1152},    {IDC_ACTIVEX_LIST_ALL, 1154},
    {IDC_HIDE_MICROSOFT, 1161},    {IDC_INFO, IDS_INFO},   {IDC_ENABLE, IDS_ENABLE},
    {IDC_DISABLE, IDS_DISABLE},    {IDC_CLOSE, IDS_CLOSE}, {IDC_HELP_LABEL, kHelp},
    {IDC_MONITOR_LABEL, kMonitor},
};

constexpr ControlText kIeHelpers[] = {
    {kCaption, IDS_PAGE_IE_HELPERS},
    {IDC_HEADING, 695},
    {IDC_HEADING2, 696},
    {IDC_INFO, IDS_INFO},
    {IDC_REMOVE, IDS_REMOVE},
    {IDC_CLOSE, IDS_CLOSE},
    {IDC_HELP_LABEL, kHelp},
    {IDC_MONITOR_LABEL, kMonitor},
};

constexpr ControlText kScheduledTasks[] = {
    {kCaption, IDS_PAGE_SCHEDULED_TASKS},
    {IDC_HEADING, 678},
    {IDC_HEADING2, 679},
    {IDC_INFO, IDS_INFO},
    {IDC_REMOVE, IDS_REMOVE},
    {IDC_HELP_LABEL, kHelp},
    {IDC_MONITOR_LABEL, kMonitor},
};

constexpr ControlText kServices[] = {
    {kCaption, IDS_PAGE_SERVICES}, {IDC_HEADING, 638},
    {IDC_HEADING2, 639},           {IDC_HIDE_MICROSOFT, 721},
    {IDC_INFO, IDS_INFO},          {IDC_CLOSE, IDS_CLOSE},
    {IDC_HELP_LABEL, kHelp},       {IDC_MONITOR_LABEL, kMonitor},
};

constexpr ControlText kActiveTasks[] = {
    {kCaption, IDS_PAGE_ACTIVE_TASKS},
    {IDC_HEADING, 221},
    {IDC_HEADING2, 222},
    {IDC_INFO, IDS_INFO},
    {IDC_REFRESH, IDS_REFRESH},
    {IDC_KILL_TASK, IDS_KILL_TASK},
    {IDC_CLOSE, IDS_CLOSE},
    {IDC_HELP_LABEL, kHelp},
};

// The page's own window text is 722; its tab reads IDS_PAGE_COOKIES (the sheet sets that).
constexpr ControlText kCookies[] = {
    {kCaption, 722},
    {IDC_HEADING, 771},
    {IDC_COOKIE_VIEW_HINT, 772},
    {IDC_COOKIE_FILTER_HINT, 773},
    {IDC_COOKIE_FILTERS_HEADING, 967},
    {IDC_ADD, IDS_ADD},
    {IDC_REMOVE, IDS_REMOVE},
    {IDC_VIEW_COOKIES, 774},
    {IDC_ALWAYS_VIEW_COOKIES, 796},
    {IDC_COOKIES_IE, 798},
    {IDC_COOKIES_MOZILLA, 797},
    {IDC_COOKIE_FOLDER_BROWSE, IDS_CHOOSE_COOKIE_FOLDER},
    {IDC_HELP_LABEL, kHelp},
    {IDC_MONITOR_LABEL, kMonitor},
};

constexpr ControlText kFileTypes[] = {
    {kCaption, IDS_PAGE_FILE_TYPES},
    {IDC_HEADING, 740},
    {IDC_HEADING2, 741},
    {IDC_INFO, IDS_INFO},
    {IDC_ADD, IDS_ADD},
    {IDC_REMOVE, IDS_REMOVE},
    {IDC_CLOSE, IDS_CLOSE},
    {IDC_HELP_LABEL, kHelp},
    {IDC_MONITOR_LABEL, kMonitor},
};

constexpr ControlText kAddFileType[] = {
    {kCaption, 752},
    {IDC_ADD_FILE_TYPE_TEXT, 751},
    {IDOK, 753},
    {IDCANCEL, IDS_CLOSE},
};

constexpr ControlText kHiddenFiles[] = {
    {kCaption, IDS_PAGE_HIDDEN_FILES},
    {IDC_HEADING, 910},
    {IDC_HEADING2, 911},
    {IDC_INFO, IDS_INFO},
    {IDC_REFRESH, IDS_REFRESH},
    {IDC_UNHIDE, 931},
    {IDC_CLOSE, IDS_CLOSE},
    {IDC_HELP_LABEL, kHelp},
    {IDC_MONITOR_LABEL, kMonitor},
};

constexpr ControlText kRecent[] = {
    {kCaption, IDS_MENU_RECENT}, {IDC_RECENT_HEADING, 1190}, {IDC_RECENT_HEADING2, 1191},
    {IDC_INFO, IDS_INFO},        {IDC_CLOSE, IDS_CLOSE},     {IDC_HELP_LABEL, kHelp},
};

constexpr ControlText kPlus[] = {
    {kCaption, IDS_PAGE_PLUS}, {IDC_NEWS_LINK, 1147}, {IDC_VERSION_CHECK, 764},
    {IDC_SEARCH_LABEL, 770},   {IDC_SEARCH, 769},     {IDC_HELP_LABEL, kHelp},
};

constexpr ControlText kOptions[] = {
    {kCaption, IDS_MENU_OPTIONS},
    {IDC_OPTIONS_HEADING, 251},
    {IDC_OPTIONS_GROUP, 253},
    {IDC_RESTART_FILE_TEXT, 355},
    {IDC_START_PAGES_TEXT, 635},
    {IDC_HOSTS_TEXT, 735},
    {IDC_AUTO_START, 353},
    {IDC_PLAY_SOUNDS, 354},
    {IDC_TRACK_HISTORY, 709},
    {IDC_HIDE_TRAY_ICON, 974},
    {IDC_LOCK_FILE_TYPES, 928},
    {IDC_CONFIRM_EXIT, 749},
    {IDC_ORIGINAL_TRAY_ICON, 1148},
    {IDC_PLUS_FORMAT, 1150},
    {IDC_EXPLORER_INTEGRATION, 1185},
    {IDC_OBRIVO_LOG, IDS_OBRIVO_LOG},
    {IDC_VIEW_HISTORY, 727},
    {IDC_VIEW_HOSTS, 734},
    {IDC_EXPORT_SETTINGS, 853},
    {IDC_HIJACK_LOG, 1137},
    {IDC_SPREADSHEET_REPORT, 1145},
    {IDC_RESTORE_ALL_DELAYED, 1125},
    {IDC_HIDE_ALERTS, 1164},
    {IDC_HELP_LABEL, kHelp},
};

// The title is the category's, given by the caller.
constexpr ControlText kPatrolTime[] = {
    {IDC_PATROL_TEXT, 782},
    {IDC_PATROL_MINUTES_LABEL, 783},
    {IDC_PATROL_OFF_HINT, 802},
    {IDC_PATROL_REAL_TIME, 3910},
    {IDOK, 3900},
    {IDCANCEL, IDS_CLOSE},
};

constexpr ControlText kHideAlerts[] = {
    {kCaption, 1170},
    {IDC_HIDE_ALERTS_TEXT, 1171},
    {IDC_ALERT_TYPE_HEADING, 1186},
    {IDC_ALLOW_HEADING, 1172},
    {IDC_PREVENT_HEADING, 1173},
    {IDC_HIDE_STARTUP, 1174},
    {IDC_HIDE_IE_HELPERS, 1175},
    {IDC_HIDE_TASKS, 1176},
    {IDC_HIDE_SERVICES, 1177},
    {IDC_HIDE_ACTIVEX, 1178},
    {IDC_HIDE_HIDDEN, 1179},
    {IDC_HIDE_FILE_TYPES, 1180},
    {IDC_HIDE_SYSTEM_FILES, 1181},
    {IDC_HIDE_HOME_PAGE, 1182},
    {IDC_SHOW_ALL_ALERTS, 1188},
    {IDC_HIDE_RUN_ONCE, 1187},
    {IDOK, IDS_CLOSE},
};

// The window title is the item's title, set with the item.
constexpr ControlText kProgramInfo[] = {
    {IDC_INFO_COMPANY_LABEL, 643},
    {IDC_INFO_VERSION_LABEL, IDS_VERSION_LABEL},
    {IDC_INFO_COPYRIGHT_LABEL, 645},
    {IDC_INFO_CREATED_LABEL, 915},
    {IDC_INFO_LAST_SAVED_LABEL, 917},
    {IDC_INFO_SIZE_LABEL, 920},
    {IDC_INFO_DETECTED_LABEL, 921},
    {IDC_INFO_PREVIOUS, 1083},
    {IDC_INFO_NEXT, 1082},
    {IDC_INFO_PLUS, IDS_PLUS_INFO},
    {IDC_INFO_NOTE, IDS_CREATE_NOTE},
    {IDC_INFO_EXPAND, 918},
    {IDC_INFO_KILL, IDS_KILL_TASK},
    {IDC_INFO_RUN, 832},
    {IDC_INFO_START_TYPE_LABEL, 667},
    {IDC_INFO_SERVICE_STATUS_LABEL, 668},
    {IDC_INFO_SERVICE_STOP, 650},
    {IDC_INFO_SERVICE_APPLY, 662},
    {IDCANCEL, IDS_CLOSE},
};

constexpr ControlText kHistory[] = {
    {kCaption, 712},          {IDC_HISTORY_TEXT, 710}, {IDC_HISTORY_RESTORE, 717},
    {IDC_HISTORY_CLEAR, 711}, {IDOK, IDS_CLOSE},
};

// The path and the title line are the entry's own.
constexpr ControlText kDefaultWarning[] = {
    {kCaption, 972},
    {IDC_WARNING_TEXT, 907},
    {IDC_WARNING_CONFIRM, 906},
    {IDOK, 3900},
};

// The program's file is the entry's own.
constexpr ControlText kDelayOptions[] = {
    {kCaption, 1112},
    {IDC_DELAY_TEXT, 1111},
    {IDC_DELAY_TIME_LABEL, IDS_COLUMN_DELAY_TIME},
    {IDC_DELAY_MINUTES_LABEL, IDS_MINUTES_UNIT},
    {IDC_DELAY_SECONDS_LABEL, IDS_SECONDS_UNIT},
    {IDC_OPEN_AS_LABEL, 1141},
    {IDC_DELAY_PARAMETERS_LABEL, 1115},
    {IDC_DELAY_TITLE_LABEL, 1131},
    {IDOK, 662},
    {IDCANCEL, IDS_CLOSE},
};

constexpr ControlText kCookieViewer[] = {
    {kCaption, IDS_PAGE_COOKIES},
    {IDC_COOKIE_VIEWER_TEXT, 231},
    {IDC_COOKIE_VIEWER_HINT, 232},
    {IDC_COOKIE_VIEW_FILE, 659},
    {IDC_REMOVE_UNCHECKED, 303},
    {IDC_REMOVE_CHECKED, 708},
    {IDCANCEL, IDS_CLOSE},
};

constexpr ControlText kStartupType[] = {
    {kCaption, IDS_STARTUP_TYPE_TITLE},
    {IDC_STARTUP_TYPE_TEXT, 1126},
    {IDC_ALL_USERS, 1127},
    {IDC_CURRENT_USER, 1128},
    {IDOK, 3900},
    {IDCANCEL, IDS_CANCEL},
};

struct DialogTable {
  int dialogId;
  std::span<const ControlText> texts;
};

constexpr DialogTable kDialogs[] = {
    {IDD_STARTUP_PAGE, kStartup},
    {IDD_DELAYED_PAGE, kDelayed},
    {IDD_ACTIVEX_PAGE, kActiveX},
    {IDD_IE_HELPERS_PAGE, kIeHelpers},
    {IDD_SCHEDULED_TASKS_PAGE, kScheduledTasks},
    {IDD_SERVICES_PAGE, kServices},
    {IDD_ACTIVE_TASKS_PAGE, kActiveTasks},
    {IDD_COOKIES_PAGE, kCookies},
    {IDD_FILE_TYPES_PAGE, kFileTypes},
    {IDD_ADD_FILE_TYPE, kAddFileType},
    {IDD_HIDDEN_FILES_PAGE, kHiddenFiles},
    {IDD_RECENT_PAGE, kRecent},
    {IDD_PLUS_PAGE, kPlus},
    {IDD_OPTIONS_PAGE, kOptions},
    {IDD_PATROL_TIME, kPatrolTime},
    {IDD_HIDE_ALERTS, kHideAlerts},
    {IDD_PROGRAM_INFO, kProgramInfo},
    {IDD_HISTORY, kHistory},
    {IDD_DEFAULT_WARNING, kDefaultWarning},
    {IDD_DELAY_OPTIONS, kDelayOptions},
    {IDD_STARTUP_TYPE, kStartupType},
    {IDD_COOKIE_VIEWER, kCookieViewer},
};

}  // namespace

std::span<const ControlText> DialogTexts(int dialogId) {
  for (const DialogTable& dialog : kDialogs)
    if (dialog.dialogId == dialogId) return dialog.texts;
  return {};
}

void ApplyDialogTexts(HWND dialog, int dialogId) {
  for (const ControlText& entry : DialogTexts(dialogId)) {
    const std::wstring text = win32::Wide(common::LoadText(entry.stringId));
    if (entry.control == kCaption)
      ::SetWindowTextW(dialog, text.c_str());
    else
      ::SetDlgItemTextW(dialog, entry.control, text.c_str());
  }
}

}  // namespace obrivo::explorer
