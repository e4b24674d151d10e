// Another process's command line, read from that process.
#include "common/win32/process_command_line.h"

#include <winternl.h>

#include <cstddef>
#include <vector>

#include "common/win32/proc_address.h"
#include "common/win32/wide.h"

namespace obrivo::win32 {
namespace {

using QueryProcessFn = LONG(WINAPI*)(HANDLE, ULONG, void*, ULONG, ULONG*);

// Information classes of NtQueryInformationProcess.
constexpr ULONG kBasicInformation = 0;
constexpr ULONG kCommandLineInformation = 60;  // answered from Windows 8.1 on; not by Wine 8

constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr LONG kBufferTooSmall = static_cast<LONG>(0xC0000023);
constexpr LONG kBufferOverflow = static_cast<LONG>(0x80000005);

QueryProcessFn QueryProcess() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");  // mapped into every process
  return ProcAddress<QueryProcessFn>(ntdll, "NtQueryInformationProcess");
}

std::optional<std::string> FromSystem(QueryProcessFn query, HANDLE process) {
  std::vector<unsigned char> buffer(sizeof(UNICODE_STRING) + 1024);
  for (int attempt = 0; attempt < 3; ++attempt) {
    ULONG needed = 0;
    const LONG status = query(process, kCommandLineInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status >= 0) {
      const auto* text = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
      if (!text->Buffer) return std::nullopt;
      return NarrowBuffer(text->Buffer, text->Length / sizeof(wchar_t));
    }
    if (status != kInfoLengthMismatch && status != kBufferTooSmall && status != kBufferOverflow)
      return std::nullopt;
    if (needed <= buffer.size()) return std::nullopt;
    buffer.resize(needed);
  }
  return std::nullopt;
}

template <typename T>
bool ReadRemote(HANDLE process, const void* address, T& value) {
  SIZE_T read = 0;
  return address && ::ReadProcessMemory(process, address, &value, sizeof value, &read) &&
         read == sizeof value;
}

// Through the process's environment block: its parameters hold the command line it was given.
// The block the system names has this program's width (a 32-bit process read from a 64-bit one
// has a 64-bit block too), so its layout is this program's own.
std::optional<std::string> FromEnvironmentBlock(QueryProcessFn query, HANDLE process) {
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  if (query(process, kBasicInformation, &basic, sizeof basic, &length) < 0) return std::nullopt;
  const auto* peb = reinterpret_cast<const unsigned char*>(basic.PebBaseAddress);
  if (!peb) return std::nullopt;
  RTL_USER_PROCESS_PARAMETERS* parameters = nullptr;
  if (!ReadRemote(process, peb + offsetof(PEB, ProcessParameters), parameters)) return std::nullopt;
  UNICODE_STRING line{};
  if (!ReadRemote(process,
                  reinterpret_cast<const unsigned char*>(parameters) +
                      offsetof(RTL_USER_PROCESS_PARAMETERS, CommandLine),
                  line))
    return std::nullopt;
  std::wstring text(line.Length / sizeof(wchar_t), L'\0');
  if (text.empty()) return std::string();
  SIZE_T read = 0;
  if (!line.Buffer ||
      !::ReadProcessMemory(process, line.Buffer, text.data(), text.size() * sizeof(wchar_t),
                           &read) ||
      read != text.size() * sizeof(wchar_t))
    return std::nullopt;
  return Narrow(text);
}

}  // namespace

std::optional<std::string> ReadProcessCommandLine(HANDLE process) {
  const QueryProcessFn query = QueryProcess();
  if (!query || !process) return std::nullopt;
  if (auto line = FromSystem(query, process)) return line;
  return FromEnvironmentBlock(query, process);
}

}  // namespace obrivo::win32
