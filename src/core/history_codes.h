// The codes of the history file's records: the event (what was done or asked) and the item type
// (what it was done to). The item types are also the items' `type` in the item list and choose
// their first-detected category; the startup locations' codes among them are in startup_codes.h.
// history_record.cpp names each code in the file, and older files are read back by those names:
// the numbers never change.
#pragma once

namespace obrivo::core {

namespace history_event {
inline constexpr int kStartupRemove = 0;  // restorable: the entry is written back
inline constexpr int kStartupDisable = 1;
inline constexpr int kStartupEnable = 2;
inline constexpr int kIEHelperRemove = 3;
inline constexpr int kTaskRemove = 4;
inline constexpr int kTaskKill = 5;  // a running program ended
inline constexpr int kStartupAlert = 6;
inline constexpr int kTaskAlert = 7;
inline constexpr int kIEHelperAlert = 8;
inline constexpr int kServiceStop = 9;
inline constexpr int kServiceAutomatic = 10;
inline constexpr int kServiceManual = 11;
inline constexpr int kServiceDisabled = 12;
inline constexpr int kStartupRestore = 12;  // read back only: a record of 12 is SERVICE_Disabled
inline constexpr int kTaskRestore = 13;
inline constexpr int kIEHelperRestore = 14;
inline constexpr int kScheduledTaskRemove = 15;
inline constexpr int kServiceFromAutomatic = 17;
// What a rejected service was found doing, recorded before it is stopped (named in the file
// "SERVICE_from_Manual", "SERVICE_from_Disabled" and "SERVICE__from_Disabled").
inline constexpr int kServiceWasStarting = 18;
inline constexpr int kServiceWasStopping = 19;
inline constexpr int kServiceWasRunning = 20;
inline constexpr int kResetUserinit = 21;
inline constexpr int kResetShell = 22;
inline constexpr int kRemoveTaskScheduler = 23;
inline constexpr int kRemoveDelayLoad = 24;
inline constexpr int kRemoveShellExecuteHook = 25;
inline constexpr int kRemoveAppInit = 26;
inline constexpr int kHiddenAlert = 28;
inline constexpr int kHiddenDeleteFile = 29;  // restorable: the file is copied back
inline constexpr int kRemoveWinlogonNotify = 30;
// A line whose event name is in no row ("LOG_UNKNOWN"); neither 0 nor 29, so such a row is
// never offered for restoring. Also what a kill that left a process running is recorded as.
inline constexpr int kUnknown = 31;
// A program of the delayed-start list the Monitor could not start: its file is gone or the
// system refused to run it. The record's description says which.
inline constexpr int kDelayStartFailed = 32;
// An accepted service's changed command was put back as it was accepted; the description holds
// the command it had been changed to.
inline constexpr int kServiceCommandRestored = 36;
// An ActiveX control's kill bit set (the control disabled) and cleared (enabled again).
inline constexpr int kActiveXDisable = 40;
inline constexpr int kActiveXEnable = 41;
}  // namespace history_event

namespace item_type {
inline constexpr int kRestartDelete = 300;
inline constexpr int kRestartRename = 301;
inline constexpr int kMonitor = 350;
inline constexpr int kBlacklist = 360;
inline constexpr int kHiddenFile = 370;
inline constexpr int kFileType = 400;
inline constexpr int kSearch = 450;  // a PLUS search; also its online lookup's type
inline constexpr int kCookie = 500;
inline constexpr int kNetCookie = 501;
inline constexpr int kSaveCookie = 502;
inline constexpr int kNuts = 503;
inline constexpr int kMozillaCookie = 504;  // a line of the Mozilla-based browsers' cookie file
inline constexpr int kProcess = 600;  // a running program file
inline constexpr int kServiceExe = 700;
inline constexpr int kServiceSvchost = 701;
inline constexpr int kScheduledTask = 800;
inline constexpr int kBrowserHelper = 900;
inline constexpr int kToolbar = 901;
inline constexpr int kBrowserExtension = 902;
// The Recent page's rows, one code per category, which name their first-detection records
// themselves.
inline constexpr int kRecentActiveX = 1020;
inline constexpr int kRecentHiddenFile = 1030;
inline constexpr int kRecentBrowserHelper = 1040;
inline constexpr int kRecentTask = 1050;
inline constexpr int kRecentService = 1060;
inline constexpr int kRecentStartup = 1070;
inline constexpr int kActiveX = 1200;
// A line whose type name is in no row ("TYPE_UNKNOWN").
inline constexpr int kUnknown = 3000;
}  // namespace item_type

}  // namespace obrivo::core
