// The places that start code at logon without a Run value: Winlogon's Userinit and Shell, the
// shell's delay-loaded objects and hooks, AppInit_DLLs and the Winlogon notification packages.
#include <windows.h>

#include "common/items.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/startup_sources.h"

namespace obrivo::startup::detail {
namespace {

// What follows the first `separator`, leading spaces skipped. When nothing follows (the value
// ends with it), the text before it is the program. Without a separator the whole value is
// the program: Winlogon starts it all the same.
std::string ProgramAfter(std::string_view value, char separator) {
  const std::size_t at = value.find(separator);
  if (at == std::string_view::npos) return std::string(value);
  std::string after = core::SkipLeadingSpaces(value.substr(at + 1));
  return after.empty() ? std::string(value.substr(0, at)) : after;
}

std::optional<common::VersionInfo> VersionOf(std::string_view file) {
  return common::ReadVersionInfo(core::StripQuotes(file));
}

std::string ProductVersionOf(std::string_view file) {
  const auto version = VersionOf(file);
  return version ? version->productVersion : std::string();
}

void ListDelayLoad() {
  for (const StringValue& value : ReadStringValues(HKEY_LOCAL_MACHINE, core::kDelayLoadKey)) {
    const std::string server = common::ClsidServerLookup(value.data).serverPath;
    common::AddItem(value.name, server, value.data, ProductVersionOf(server), core::kDelayLoad, 0);
  }
}

// SharedTaskScheduler and ShellExecuteHooks: the CLSID is the value's name, its data a title.
void ListClassHooks(std::string_view keyPath, int code) {
  for (const StringValue& value : ReadStringValues(HKEY_LOCAL_MACHINE, keyPath)) {
    const common::ClsidServer server = common::ClsidServerLookup(value.name);
    const std::string& title = value.data.empty() ? server.className : value.data;
    common::AddItem(title, server.serverPath, value.name, ProductVersionOf(server.serverPath), code,
                    0);
  }
}

void ListAppInitDlls() {
  const std::string list =
      ReadStringValue(HKEY_LOCAL_MACHINE, core::kWindowsNtWindowsKey, "AppInit_DLLs")
          .value_or(std::string());
  std::size_t start = 0;
  while (start < list.size()) {
    std::size_t end = list.find_first_of(", ", start);
    if (end == std::string::npos) end = list.size();
    const std::string dll = list.substr(start, end - start);
    start = end + 1;
    if (dll.empty()) continue;
    const auto version = VersionOf(dll);
    common::AddItem(version ? version->productName : std::string(), dll,
                    version ? version->companyName : std::string(),
                    version ? version->productVersion : std::string(), core::kAppInitDlls, 0);
  }
}

void ListNotifyPackages() {
  const win32::UniqueKey notify =
      win32::OpenKey(HKEY_LOCAL_MACHINE, core::kWinlogonNotifyKey, KEY_READ);
  if (!notify) return;
  for (const std::string& name : win32::EnumSubkeyNames(notify.get())) {
    const std::string dll =
        ReadStringValue(HKEY_LOCAL_MACHINE, std::string(core::kWinlogonNotifyKey) + "\\" + name,
                        "DllName")
            .value_or(std::string());
    if (dll.empty()) continue;  // a disabled package keeps its subkey with an empty DllName
    const auto version = VersionOf(dll);
    common::AddItem(name, dll, version ? version->fileDescription : std::string(),
                    version ? version->productVersion : std::string(), core::kWinlogonNotify, 0);
  }
}

}  // namespace

void ListWinlogon() {
  // Winlogon starts every program of the comma-separated list, the first as much as the last:
  // each is an entry of its own (resetting any of them resets the whole value).
  const auto userinit = ReadStringValue(HKEY_LOCAL_MACHINE, core::kWinlogonKey, "UserInit");
  for (const std::string& program : core::SplitTrimmed(userinit.value_or(std::string()), ','))
    common::AddItem("Winlogon Userinit", program, "", "", core::kWinlogonUserinit, 0);
  const auto shell = ReadStringValue(HKEY_LOCAL_MACHINE, core::kWinlogonKey, "Shell");
  if (shell && !shell->empty())
    common::AddItem("Winlogon Shell", ProgramAfter(*shell, ' '), "", "", core::kWinlogonShell, 0);
}

void ListAdvancedLocations() {
  ListDelayLoad();
  ListClassHooks(core::kSharedTaskSchedulerKey, core::kSharedTaskScheduler);
  ListClassHooks(core::kShellExecuteHooksKey, core::kShellExecuteHooks);
  ListAppInitDlls();
  ListNotifyPackages();
}

}  // namespace obrivo::startup::detail
