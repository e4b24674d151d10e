// One services pass over the services of the session's prefix plus 300 fixture service keys,
// against reading the same keys raw (RegEnumKeyExW, then ImagePath, Start and a hosted
// service's ServiceDll of each), in one process: the machine hive is the session's own, the
// user's store is redirected to scratch keys for the baseline.
//
// Under Wine each registry call is a request to the Wine server: CPU is counted as this
// process's plus the server's (run.sh gives its pid), and wall time is shown beside it.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/app.h"
#include "common/items.h"
#include "common/utilities.h"
#include "common/win32/registry.h"
#include "common/win32/wide.h"
#include "cost_measure.h"
#include "registry_sandbox.h"
#include "system/service_check.h"
#include "system/services.h"

namespace obrivo::bench {
namespace {

constexpr int kFixtures = 300;
constexpr wchar_t kFixturePrefix[] = L"ObrivoBenchService";
const std::wstring kServices = L"SYSTEM\\CurrentControlSet\\Services";

std::wstring FixtureName(int i) { return kFixturePrefix + std::to_wstring(1000 + i); }

void SetString(HKEY key, const wchar_t* name, const std::wstring& text, DWORD type) {
  ::RegSetValueExW(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

void RemoveFixtures() {
  for (int i = 0; i < kFixtures; ++i)
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kServices + L"\\" + FixtureName(i)).c_str());
}

// Half run a program of their own, half a DLL in svchost, each with the values a real service
// key has.
bool AddFixtures() {
  for (int i = 0; i < kFixtures; ++i) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kServices + L"\\" + FixtureName(i)).c_str(), 0,
                          nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return false;
    const bool hosted = i % 2 == 1;
    SetString(key, L"ImagePath",
              hosted ? L"%SystemRoot%\\system32\\svchost.exe -k benchgroup"
                     : L"C:\\Program Files\\Bench Vendor\\service" + std::to_wstring(i) + L".exe",
              REG_EXPAND_SZ);
    SetString(key, L"DisplayName", L"Bench Service " + std::to_wstring(i), REG_SZ);
    SetString(key, L"Description", L"A service key of the services benchmark.", REG_SZ);
    const DWORD start = 2 + static_cast<DWORD>(i % 3), type = SERVICE_WIN32_OWN_PROCESS;
    ::RegSetValueExW(key, L"Start", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&start),
                     sizeof start);
    ::RegSetValueExW(key, L"Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof type);
    if (hosted) {
      HKEY parameters = nullptr;
      if (::RegCreateKeyExW(key, L"Parameters", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &parameters, nullptr) == ERROR_SUCCESS) {
        SetString(parameters, L"ServiceDll",
                  L"%SystemRoot%\\system32\\benchservice" + std::to_wstring(i) + L".dll",
                  REG_EXPAND_SZ);
        ::RegCloseKey(parameters);
      }
    }
    ::RegCloseKey(key);
  }
  return true;
}

// The reference: every subkey by RegEnumKeyExW, each opened for its ImagePath and Start, and a
// hosted service's Parameters for its ServiceDll, into buffers large enough for any of them.
std::size_t ReadRaw() {
  HKEY services = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kServices.c_str(), 0, KEY_READ, &services) !=
      ERROR_SUCCESS)
    return 0;
  std::vector<wchar_t> name(256), text(32768);
  std::size_t programs = 0;
  for (DWORD index = 0;; ++index) {
    DWORD chars = static_cast<DWORD>(name.size());
    if (::RegEnumKeyExW(services, index, name.data(), &chars, nullptr, nullptr, nullptr,
                        nullptr) != ERROR_SUCCESS)
      break;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(services, name.data(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t)), type = 0;
    if (::RegQueryValueExW(key, L"ImagePath", nullptr, &type,
                           reinterpret_cast<BYTE*>(text.data()), &bytes) == ERROR_SUCCESS) {
      const std::wstring image(text.data());
      DWORD start = 0, startBytes = sizeof start;
      ::RegQueryValueExW(key, L"Start", nullptr, nullptr, reinterpret_cast<BYTE*>(&start),
                         &startBytes);
      if (image.find(L"svchost") != std::wstring::npos) {
        HKEY parameters = nullptr;
        if (::RegOpenKeyExW(key, L"Parameters", 0, KEY_READ, &parameters) == ERROR_SUCCESS) {
          bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
          ::RegQueryValueExW(parameters, L"ServiceDll", nullptr, &type,
                             reinterpret_cast<BYTE*>(text.data()), &bytes);
          ::RegCloseKey(parameters);
        }
      }
      ++programs;
    }
    ::RegCloseKey(key);
  }
  ::RegCloseKey(services);
  return programs;
}

int Run() {
  test::RegistrySandbox sandbox;
  // The services are the prefix's own; only the user's store (the baseline) is scratch.
  ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  common::InitApp(core::Program::Monitor, ::GetModuleHandleW(nullptr));
  RemoveFixtures();
  if (!AddFixtures()) {
    Progress("the fixture service keys cannot be written");
    RemoveFixtures();
    return 2;
  }
  const std::size_t own = system::ReadServices(false).size();
  Figure("services pass: services listed (the prefix's and 300 fixtures)", std::to_string(own));

  // Not counted: the first readings after the fixtures were written ran many times slower, in
  // every run.
  Measure(nullptr, [] { ReadRaw(); });
  // The machine is shared: each figure is compared with a reference measured just before it.
  const auto compare = [](const std::string& name, const std::function<void()>& operation) {
    const Cost raw = Measure(nullptr, [] { ReadRaw(); });
    Report("services pass: RegEnumKeyExW and values of the same keys (reference)", raw, nullptr);
    Report("services pass: " + name, Measure(nullptr, operation), &raw);
  };
  compare("the patrol's reading (ReadServices, quick)", [] { system::ReadServices(false); });

  system::SnapshotServices();
  int asked = 0;
  system::ServiceCheckHooks hooks;
  hooks.askNewService = [&asked](const core::Item&) {
    ++asked;
    return 6;
  };
  hooks.askChangedCommand = [&asked](const core::Item&, const std::string&, const std::string&) {
    ++asked;
    return 6;
  };
  compare("the Monitor's check, baseline knows all (CheckServices)",
          [&] { system::CheckServices(hooks); });
  compare("the page's listing, every service (EnumServices)", [] { system::EnumServices(false); });
  compare("the page's listing, Microsoft's left out (EnumServices)",
          [] { system::EnumServices(true); });

  // Where the left-out listing's time goes: each service's file, and the Microsoft test of it.
  const std::vector<system::ServiceRecord> records = system::ReadServices(true);
  const core::SystemFolders folders = common::CurrentSystemFolders();
  std::vector<std::string> files;
  for (const auto& r : records) files.push_back(system::ServiceFile(r, folders));
  compare("ServiceFile of every service", [&] {
    for (const auto& r : records) system::ServiceFile(r, folders);
  });
  compare("IsMicrosoftFile of every service's file", [&] {
    for (const auto& f : files) system::IsMicrosoftFile(f);
  });

  RemoveFixtures();
  if (asked != 0) {
    Progress("unexpected: the quiet check asked " + std::to_string(asked) + " times");
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace obrivo::bench

int wmain() { return obrivo::bench::Run(); }
