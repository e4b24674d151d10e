// Registry change notifications on the watched keys.
#include "quenrax/key_watch.h"

#include <utility>

namespace obrivo::quenrax {
namespace {

constexpr DWORD kFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

const wchar_t kCurrentVersion[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\";
const wchar_t kWowCurrentVersion[] = L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";
const wchar_t kNtCurrentVersion[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\";

// The Run keys below one CurrentVersion key; RunOnce and RunOnceEx with their subkeys (Setup,
// the numbered RunOnceEx sections).
const struct {
  const wchar_t* name;
  bool subtree;
} kRunKeys[] = {
    {L"Run", false},         {L"RunOnce", true},          {L"RunOnceEx", true},
    {L"RunServices", false}, {L"RunServicesOnce", false}, {L"policies\\Explorer\\Run", false}};

std::vector<WatchedKey> MakeWatchedKeys() {
  std::vector<WatchedKey> keys;
  // The 32-bit programs' keys of a 64-bit system are named explicitly, so the same list serves
  // whichever registry view this module is built for.
  const std::pair<HKEY, const wchar_t*> runRoots[] = {{HKEY_LOCAL_MACHINE, kCurrentVersion},
                                                      {HKEY_CURRENT_USER, kCurrentVersion},
                                                      {HKEY_LOCAL_MACHINE, kWowCurrentVersion}};
  for (const auto& [root, prefix] : runRoots)
    for (const auto& run : kRunKeys)
      keys.push_back({root, std::wstring(prefix) + run.name, run.subtree});
  const std::wstring nt = kNtCurrentVersion;
  const std::wstring cv = kCurrentVersion;
  // Userinit, Shell and the Notify subkeys.
  keys.push_back({HKEY_LOCAL_MACHINE, nt + L"Winlogon", true});
  // AppInit_DLLs; the user's copy holds win.ini's load and run lines.
  keys.push_back({HKEY_LOCAL_MACHINE, nt + L"Windows", false});
  keys.push_back({HKEY_CURRENT_USER, nt + L"Windows", false});
  keys.push_back({HKEY_LOCAL_MACHINE, cv + L"ShellServiceObjectDelayLoad", false});
  keys.push_back({HKEY_LOCAL_MACHINE, cv + L"Explorer\\SharedTaskScheduler", false});
  keys.push_back({HKEY_LOCAL_MACHINE, cv + L"Explorer\\ShellExecuteHooks", false});
  // A new service is a new subkey; a changed one changes a value below its own key.
  keys.push_back({HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Services", true});
  return keys;
}

}  // namespace

const std::vector<WatchedKey>& WatchedKeys() {
  static const std::vector<WatchedKey> keys = MakeWatchedKeys();
  return keys;
}

KeyWatch::KeyWatch(const WatchedKey& key)
    : watched_(key), event_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

bool KeyWatch::OpenAndArm() {
  if (!event_) return false;
  if (key_) return true;
  // Query access lets Refresh notice a deleted key.
  if (::RegOpenKeyExW(watched_.root, watched_.path.c_str(), 0, KEY_NOTIFY | KEY_QUERY_VALUE,
                      key_.put()) != ERROR_SUCCESS) {
    key_.reset();
    return false;
  }
  return Arm();
}

bool KeyWatch::Rearm() {
  if (!key_) return false;
  Arm();
  return true;
}

bool KeyWatch::Refresh() {
  if (key_) {
    const LONG state = ::RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, nullptr, nullptr,
                                          nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (state != ERROR_KEY_DELETED) return false;
    key_.reset();
    OpenAndArm();  // it may already be there again
    return true;
  }
  return OpenAndArm();
}

bool KeyWatch::Arm() {
  if (::RegNotifyChangeKeyValue(key_.get(), watched_.subtree ? TRUE : FALSE, kFilter, event_.get(),
                                TRUE) == ERROR_SUCCESS)
    return true;
  // Deleted (or no longer ours to watch): let go, and look for it again later.
  key_.reset();
  return false;
}

}  // namespace obrivo::quenrax
