// ActiveX controls and their kill bits.
#include "browser/activex.h"

#include <cstring>
#include <optional>

#include "browser/class_registry.h"
#include "common/history.h"
#include "common/items.h"
#include "common/win32/registry.h"
#include "core/class_id.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "system/services.h"

namespace obrivo::browser {
namespace {

namespace T = core::item_type;

constexpr std::string_view kFlagsValue = "Compatibility Flags";
constexpr std::string_view kAlternateValue = "AlternateCLSID";
// The browser's own statistics for each control: `Type` 2 or more means it no longer loads it.
constexpr std::string_view kBrowserSubkey = "iexplore";
constexpr std::string_view kTypeValue = "Type";
constexpr DWORD kHighestLoadedType = 1;

std::string CompatibilityPath(std::string_view clsid) {
  return std::string(kActiveXCompatibilityKey) + "\\" + core::ClassRegistrationName(clsid);
}

// A four-byte REG_DWORD; anything else is no number.
std::optional<DWORD> DwordOf(const std::optional<win32::RegValue>& value) {
  if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD))
    return std::nullopt;
  DWORD number = 0;
  std::memcpy(&number, value->data.data(), sizeof number);
  return number;
}

std::optional<win32::RegValue> FlagsValue(std::string_view clsid) {
  const win32::UniqueKey key =
      win32::OpenKey(HKEY_LOCAL_MACHINE, CompatibilityPath(clsid), KEY_QUERY_VALUE);
  return key ? win32::QueryValue(key.get(), kFlagsValue) : std::nullopt;
}

KillBitWrite WriteKillBit(const core::Item& control, bool set) {
  KillBitWrite result;
  const std::optional<win32::RegValue> stored = FlagsValue(control.key);
  const std::optional<DWORD> old = DwordOf(stored);
  const DWORD before = old.value_or(0);
  const DWORD after = set ? (before | kKillBit) : (before & ~kKillBit);
  // Already so: an enabled control without any entry gets none, a proper value is not rewritten.
  if (after == before && (old || (!stored && !set))) {
    result.done = true;
    return result;
  }
  LONG error = ERROR_SUCCESS;
  const win32::UniqueKey key =
      win32::CreateKey(HKEY_LOCAL_MACHINE, CompatibilityPath(control.key), KEY_SET_VALUE, &error);
  if (!key || !win32::SetDwordValue(key.get(), kFlagsValue, after)) {
    // The value's own write gives no reason: refused, as writing to the machine's settings is.
    result.error = !key && error != ERROR_SUCCESS ? static_cast<DWORD>(error)
                                                  : static_cast<DWORD>(ERROR_ACCESS_DENIED);
    return result;
  }
  result.done = true;
  result.changed = (after & kKillBit) != (before & kKillBit);
  if (result.changed) {
    const std::string name = control.path.empty() ? control.title : core::FileNamePart(control.path);
    common::WriteHistory(set ? core::history_event::kActiveXDisable
                             : core::history_event::kActiveXEnable,
                         T::kActiveX, name, control.path, ActiveXLocation(control.key));
  }
  return result;
}

// The browser's `Type` for the control: a missing key or value, or one that is no number, is 0.
DWORD BrowserUseType(std::string_view name) {
  const win32::UniqueKey key = win32::OpenKey(
      HKEY_CURRENT_USER, std::string(kActiveXStatsKey) + "\\" + std::string(name) + "\\" +
                             std::string(kBrowserSubkey),
      KEY_QUERY_VALUE);
  return key ? DwordOf(win32::QueryValue(key.get(), kTypeValue)).value_or(0) : 0;
}

// Appends the control of class `clsid` when its class has a server and it passes the listing.
void AppendControl(std::string_view clsid, bool hideMicrosoft) {
  // The server first: a class without one is not listed, and its text need not be read.
  const std::string server = ClassServer(clsid).value_or("");
  if (server.empty()) return;
  const std::optional<common::VersionInfo> version = CachedVersionInfo(server);
  if (hideMicrosoft && version && IsMicrosoftControl(server, version->companyName)) return;
  std::string title = ClassText(clsid);
  if (title.empty() && version) title = version->fileDescription;
  if (title.empty() && version) title = version->productName;
  if (title.empty()) title = core::FileNamePart(server);
  if (title.empty()) title = server;
  if (!common::AddItem(title, server, clsid, version ? version->productVersion : "",
                       T::kActiveX, static_cast<int>(GetCompatibilityFlags(clsid))))
    return;
  // The key names the class exactly as the registry does, whatever the list's path rules do.
  common::LastItem().key = std::string(clsid);
}

}  // namespace

DWORD GetCompatibilityFlags(std::string_view clsid) {
  return DwordOf(FlagsValue(clsid)).value_or(0);
}

bool IsActiveXEnabled(std::string_view clsid) {
  return (GetCompatibilityFlags(clsid) & kKillBit) == 0;
}

KillBitWrite DisableActiveX(const core::Item& control) { return WriteKillBit(control, true); }
KillBitWrite EnableActiveX(const core::Item& control) { return WriteKillBit(control, false); }

std::string ActiveXLocation(std::string_view clsid) { return "HKLM\\" + CompatibilityPath(clsid); }

std::vector<std::string> UsedActiveXNames() {
  const win32::UniqueKey stats = win32::OpenKey(HKEY_CURRENT_USER, kActiveXStatsKey, KEY_READ);
  return stats ? win32::EnumSubkeyNames(stats.get()) : std::vector<std::string>();
}

std::size_t EnumUsedActiveX(const ActiveXListing& listing) {
  if (!listing.keep) common::ClearItems();
  for (const std::string& name : UsedActiveXNames())
    if (BrowserUseType(name) <= kHighestLoadedType) AppendControl(name, listing.hideMicrosoft);
  return common::ItemCount();
}

std::size_t EnumAllActiveX(bool hideMicrosoft) {
  EnumUsedActiveX({false, hideMicrosoft});
  const win32::UniqueKey list =
      win32::OpenKey(HKEY_LOCAL_MACHINE, kActiveXCompatibilityKey, KEY_READ);
  if (!list) return common::ItemCount();
  for (const std::string& name : win32::EnumSubkeyNames(list.get())) {
    const std::string alternate =
        ReadText(HKEY_LOCAL_MACHINE, std::string(kActiveXCompatibilityKey) + "\\" + name,
                 kAlternateValue)
            .value_or("");
    AppendControl(alternate.empty() ? name : alternate, hideMicrosoft);
  }
  return common::ItemCount();
}

bool IsMicrosoftControl(std::string_view path, std::string_view company) {
  return core::ContainsNoCase(company, "Microsoft") && system::IsInWindowsFolder(path);
}

}  // namespace obrivo::browser
