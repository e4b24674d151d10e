// Facts about the running system and module.
#include "common/win32/system.h"

#include <shellapi.h>

#include <vector>

#include "common/win32/proc_address.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"

namespace obrivo::win32 {

std::string ModuleFileName(HMODULE module) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return NarrowBuffer(buffer.data(), length);
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

std::string WindowsDirectory() {
  wchar_t buffer[MAX_PATH * 2];
  const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH * 2);
  return length && length < MAX_PATH * 2 ? NarrowBuffer(buffer, length) : std::string();
}

std::string SystemDirectory() {
  wchar_t buffer[MAX_PATH * 2];
  const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH * 2);
  return length && length < MAX_PATH * 2 ? NarrowBuffer(buffer, length) : std::string();
}

OsVersion GetOsVersion() {
  // RtlGetVersion reports the real version; GetVersionEx may be shimmed by the manifest.
  OsVersion v;
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (const auto fn =
          ProcAddress<RtlGetVersionFn>(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")) {
    if (fn(&info) == 0) {
      v.major = info.dwMajorVersion;
      v.minor = info.dwMinorVersion;
      v.platformId = info.dwPlatformId;
      return v;
    }
  }
  v.platformId = VER_PLATFORM_WIN32_NT;
  return v;
}

bool IsNtFamily() { return GetOsVersion().platformId == VER_PLATFORM_WIN32_NT; }

std::optional<std::string> LoadResourceString(HINSTANCE module, int id) {
  // With a zero length LoadStringW returns a pointer to the text inside the resource itself,
  // which has no length limit and no terminator.
  const wchar_t* text = nullptr;
  const int length =
      ::LoadStringW(module, static_cast<UINT>(id), reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || text == nullptr) return std::nullopt;
  return NarrowBuffer(text, static_cast<std::size_t>(length));
}

bool StartCommandLine(std::string_view commandLine, int showCommand) {
  std::wstring line = Wide(commandLine);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return false;
  UniqueHandle thread(process.hThread), handle(process.hProcess);
  return true;
}

std::string SystemErrorText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  std::string text = length ? NarrowBuffer(buffer, length) : std::string();
  if (buffer) ::LocalFree(buffer);
  return std::to_string(code) + "  " + text;
}

UniqueIcon ExtractFileIcon(std::string_view file, int index, bool small) {
  HICON icon = nullptr;
  const std::wstring wide = Wide(file);
  const UINT got = small ? ::ExtractIconExW(wide.c_str(), index, nullptr, &icon, 1)
                         : ::ExtractIconExW(wide.c_str(), index, &icon, nullptr, 1);
  if (got == 0 || got == UINT_MAX) return UniqueIcon();
  return UniqueIcon(icon);
}

}  // namespace obrivo::win32
