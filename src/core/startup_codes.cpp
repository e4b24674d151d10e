// The startup locations by their codes.
#include "core/startup_codes.h"

#include <array>

namespace obrivo::core {
namespace {

constexpr std::array<std::string_view, kRunKeyCount> kRunKeyNames = {"Run",
                                                                     "RunOnce",
                                                                     "RunOnceEx",
                                                                     "RunServices",
                                                                     "RunServicesOnce",
                                                                     "RunOnce\\Setup",
                                                                     "policies\\Explorer\\Run"};
constexpr std::array<std::string_view, kRunKeyCount> kRunKeyTags = {
    "RUN", "RUNONCE", "RUNONCEEX", "RUNSERVICES", "RUNSERVICESONCE", "RUNONCESETUP", "POLICY"};
constexpr std::array<std::string_view, kRunKeyCount> kRunKeyDisabledSubkeys = {
    "Run", "RunOnce", "RunOnceEx", "RunServices", "RunServicesOnce", "RunSetup", "Policy"};

constexpr std::string_view kVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr std::string_view kWow64VersionKey =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion";

struct Single {
  int code;
  std::string_view tag;
  std::string_view label;
  std::string_view disabledSubkey;
};
constexpr Single kSingles[] = {
    {kWinIniLoad, "WIN.INI_LOAD", "WIN.INI     [Load] Section", "WinLoad"},
    {kWinIniRun, "WIN.INI_RUN", "WIN.INI     [Run] Section", "WinRun"},
    {kStartupFolder, "STARTUP_FOLDER", "Windows Startup Group", ""},
    {kWinlogonUserinit, "LOGON_USERINIT",
     "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Userinit", ""},
    {kWinlogonShell, "LOGON_SHELL",
     "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Shell", ""},
    {kDelayLoad, "DELAYLOAD",
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ShellServiceObjectDelayLoad", ""},
    {kSharedTaskScheduler, "TASKSCHEDULER",
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\SharedTaskScheduler", ""},
    {kShellExecuteHooks, "SHELLHOOK",
     "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks", ""},
    {kAppInitDlls, "APPINIT_DLL",
     "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows  AppInit_DLLs", ""},
    {kWinlogonNotify, "NOTIFY",
     "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Notify", "WinNotify"},
};

const Single* FindSingle(int code) {
  for (const Single& s : kSingles)
    if (s.code == code) return &s;
  return nullptr;
}

}  // namespace

bool IsLetThroughRunOnce(int code) {
  const auto key = SplitRunKeyCode(code);
  if (!key) return false;
  return key->index == 1 || (key->index == 2 && key->root != RunRoot::Machine32);
}

std::optional<RunKeyCode> SplitRunKeyCode(int code) {
  const int index = code % 10 - 1;
  if (index < 0 || index >= kRunKeyCount) return std::nullopt;
  switch (code / 10) {
    case 0:
      return RunKeyCode{RunRoot::Machine, index};
    case 1:
      return RunKeyCode{RunRoot::User, index};
    case 2:
      return RunKeyCode{RunRoot::Machine32, index};
    default:
      return std::nullopt;
  }
}

int RunKeyCodeFor(RunRoot root, int index) {
  const int offset = root == RunRoot::Machine ? 0 : root == RunRoot::User ? 10 : 20;
  return offset + index + 1;
}

std::string RunKeyPath(int code) {
  const auto run = SplitRunKeyCode(code);
  if (!run) return {};
  std::string path(run->root == RunRoot::Machine32 ? kWow64VersionKey : kVersionKey);
  path += '\\';
  path += kRunKeyNames[static_cast<std::size_t>(run->index)];
  return path;
}

std::string_view StartupTypeTag(int code) {
  static const std::array<std::string, 3 * kRunKeyCount> runTags = [] {
    std::array<std::string, 3 * kRunKeyCount> tags;
    constexpr std::string_view kPrefixes[] = {"HKLM_", "HKCU_", "x64_"};
    for (std::size_t root = 0; root < 3; ++root)
      for (std::size_t i = 0; i < kRunKeyCount; ++i)
        tags[root * kRunKeyCount + i] = std::string(kPrefixes[root]) + std::string(kRunKeyTags[i]);
    return tags;
  }();
  if (const auto run = SplitRunKeyCode(code))
    return runTags[static_cast<std::size_t>(static_cast<int>(run->root) * kRunKeyCount +
                                            run->index)];
  const Single* single = FindSingle(code);
  return single ? single->tag : std::string_view();
}

std::string StartupLocationText(int code) {
  if (const auto run = SplitRunKeyCode(code)) {
    // RunOnce\Setup and the policy key have no label of their own.
    if (run->index >= 5) return {};
    const std::string_view hive = run->root == RunRoot::User ? "HKCU\\" : "HKLM\\";
    return std::string(hive) + RunKeyPath(code);
  }
  const Single* single = FindSingle(code);
  return single ? std::string(single->label) : std::string();
}

std::string_view DisabledSubkey(int code) {
  if (const auto run = SplitRunKeyCode(code)) {
    // The 32-bit view's RunOnce\Setup and policy entries have nowhere to go.
    if (run->root == RunRoot::Machine32 && run->index >= 5) return {};
    return kRunKeyDisabledSubkeys[static_cast<std::size_t>(run->index)];
  }
  const Single* single = FindSingle(code);
  return single ? single->disabledSubkey : std::string_view();
}

bool CanDisable(int code) { return !DisabledSubkey(code).empty() || code == kStartupFolder; }

const std::vector<int>& DisabledCodesInListOrder() {
  static const std::vector<int> order = [] {
    std::vector<int> codes;
    for (int index = 0; index < kRunKeyCount; ++index)
      for (const RunRoot root : {RunRoot::Machine, RunRoot::User, RunRoot::Machine32})
        if (const int code = RunKeyCodeFor(root, index); CanDisable(code)) codes.push_back(code);
    codes.insert(codes.end(), {kWinIniLoad, kWinIniRun, kWinlogonNotify});
    return codes;
  }();
  return order;
}

}  // namespace obrivo::core
