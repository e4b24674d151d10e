// Registry access through the W functions, and through the native calls for the value names
// the W functions cannot pass.
#include "common/win32/registry.h"

#include <algorithm>
#include <cstring>

#include "common/win32/proc_address.h"
#include "common/win32/wide.h"

namespace obrivo::win32 {
namespace {

void SetError(LONG* error, LONG value) {
  if (error) *error = value;
}

// How often a read is tried again with a larger buffer: a value may grow between two calls.
constexpr int kAttempts = 8;
// Room for the longest name a counted native name can hold (32767 characters) and a terminator.
constexpr std::size_t kLongestName = 32768;
constexpr std::size_t kFirstBuffer = 256;

bool HasNul(std::wstring_view name) { return name.find(L'\0') != std::wstring_view::npos; }

// ---- The native calls ------------------------------------------------------------------------
// The W functions take a value name as a C string, so a name with a NUL inside reaches the value
// named by its part before the NUL. The native calls take the name counted. They are looked up
// at run time: neither toolchain's import libraries need to carry them.

// The layout of the native counted string (UNICODE_STRING).
struct CountedName {
  USHORT bytes;
  USHORT maximumBytes;
  wchar_t* buffer;
};

using NtQueryValueKeyFn = LONG(NTAPI*)(HANDLE key, CountedName* name, ULONG infoClass, void* info,
                                       ULONG infoBytes, ULONG* neededBytes);
using NtSetValueKeyFn = LONG(NTAPI*)(HANDLE key, CountedName* name, ULONG titleIndex, ULONG type,
                                     const void* data, ULONG dataBytes);
using NtDeleteValueKeyFn = LONG(NTAPI*)(HANDLE key, CountedName* name);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(LONG status);

constexpr ULONG kPartialInformation = 2;  // type, data length and data of a value
constexpr std::size_t kPartialHeader = 3 * sizeof(ULONG);
constexpr LONG kStatusBufferOverflow = static_cast<LONG>(0x80000005);
constexpr LONG kStatusBufferTooSmall = static_cast<LONG>(0xC0000023);

struct NativeCalls {
  NtQueryValueKeyFn query = nullptr;
  NtSetValueKeyFn set = nullptr;
  NtDeleteValueKeyFn remove = nullptr;
  RtlNtStatusToDosErrorFn toDosError = nullptr;
};

const NativeCalls& Native() {
  static const NativeCalls calls = [] {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    NativeCalls c;
    c.query = ProcAddress<NtQueryValueKeyFn>(ntdll, "NtQueryValueKey");
    c.set = ProcAddress<NtSetValueKeyFn>(ntdll, "NtSetValueKey");
    c.remove = ProcAddress<NtDeleteValueKeyFn>(ntdll, "NtDeleteValueKey");
    c.toDosError = ProcAddress<RtlNtStatusToDosErrorFn>(ntdll, "RtlNtStatusToDosError");
    return c;
  }();
  return calls;
}

LONG DosError(LONG status) {
  if (status == 0) return ERROR_SUCCESS;
  const NativeCalls& native = Native();
  return native.toDosError ? static_cast<LONG>(native.toDosError(status)) : ERROR_GEN_FAILURE;
}

// Nothing when the name is too long to be counted in 16 bits of bytes.
std::optional<CountedName> Counted(std::wstring& name) {
  const std::size_t bytes = name.size() * sizeof(wchar_t);
  if (bytes >= 0xFFFF) return std::nullopt;
  return CountedName{static_cast<USHORT>(bytes), static_cast<USHORT>(bytes), name.data()};
}

std::optional<RegValue> NativeQuery(HKEY key, std::wstring name, LONG& error) {
  const NativeCalls& native = Native();
  auto counted = Counted(name);
  if (!native.query || !counted) {
    error = native.query ? ERROR_INVALID_PARAMETER : ERROR_CALL_NOT_IMPLEMENTED;
    return std::nullopt;
  }
  std::vector<BYTE> info(kPartialHeader + kFirstBuffer);
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    ULONG needed = 0;
    const LONG status = native.query(key, &*counted, kPartialInformation, info.data(),
                                     static_cast<ULONG>(info.size()), &needed);
    if (status == 0) {
      ULONG type = 0, length = 0;
      std::memcpy(&type, info.data() + sizeof(ULONG), sizeof type);
      std::memcpy(&length, info.data() + 2 * sizeof(ULONG), sizeof length);
      const std::size_t bytes = std::min<std::size_t>(length, info.size() - kPartialHeader);
      RegValue value;
      value.type = type;
      value.data.assign(info.begin() + kPartialHeader, info.begin() + kPartialHeader + bytes);
      error = ERROR_SUCCESS;
      return value;
    }
    if (status != kStatusBufferOverflow && status != kStatusBufferTooSmall) {
      error = DosError(status);
      return std::nullopt;
    }
    info.resize(std::max<std::size_t>(needed, info.size() * 2));
  }
  error = ERROR_MORE_DATA;
  return std::nullopt;
}

LONG NativeSet(HKEY key, std::wstring name, DWORD type, const BYTE* data, DWORD bytes) {
  const NativeCalls& native = Native();
  auto counted = Counted(name);
  if (!native.set) return ERROR_CALL_NOT_IMPLEMENTED;
  if (!counted) return ERROR_INVALID_PARAMETER;
  return DosError(native.set(key, &*counted, 0, type, data, bytes));
}

LONG NativeDelete(HKEY key, std::wstring name) {
  const NativeCalls& native = Native();
  auto counted = Counted(name);
  if (!native.remove) return ERROR_CALL_NOT_IMPLEMENTED;
  if (!counted) return ERROR_INVALID_PARAMETER;
  return DosError(native.remove(key, &*counted));
}

// ---- By name -----------------------------------------------------------------------------------

LONG SetValue(HKEY key, std::string_view name, DWORD type, const BYTE* data, DWORD bytes) {
  std::wstring wname = Wide(name);
  if (HasNul(wname)) return NativeSet(key, std::move(wname), type, data, bytes);
  return ::RegSetValueExW(key, wname.c_str(), 0, type, data, bytes);
}

// ---- Enumeration -------------------------------------------------------------------------------

LONG EnumValueW(HKEY key, DWORD index, wchar_t* name, DWORD* nameChars, DWORD* type, BYTE* data,
                DWORD* dataBytes) {
  return ::RegEnumValueW(key, index, name, nameChars, nullptr, type, data, dataBytes);
}

LONG EnumKeyW(HKEY key, DWORD index, wchar_t* name, DWORD* nameChars) {
  return ::RegEnumKeyExW(key, index, name, nameChars, nullptr, nullptr, nullptr, nullptr);
}

// The buffers one listing reads every value into, first as large as the key says it needs.
struct ValueBuffers {
  ValueBuffers(HKEY key, bool readData) : withData(readData) {
    DWORD longestName = 0, largestData = 0;
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &longestName, readData ? &largestData : nullptr, nullptr, nullptr);
    name.assign(std::max<std::size_t>(longestName + 1, kFirstBuffer), L'\0');
    if (readData) data.resize(std::max<std::size_t>(largestData, kFirstBuffer));
  }

  bool withData;
  std::wstring name;
  std::vector<BYTE> data;
};

// The value at `index`, its name and (when asked for) its data from one call, the buffers
// growing while the call finds them too small.
LONG ReadValueAt(const EnumValueCall& call, HKEY key, DWORD index, ValueBuffers& buffers,
                 NamedValue& out) {
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    DWORD nameChars = static_cast<DWORD>(buffers.name.size());
    DWORD type = REG_NONE;
    DWORD dataBytes = static_cast<DWORD>(buffers.data.size());
    const bool withData = buffers.withData;
    const LONG rc = call(key, index, buffers.name.data(), &nameChars, withData ? &type : nullptr,
                         withData ? buffers.data.data() : nullptr, withData ? &dataBytes : nullptr);
    if (rc == ERROR_SUCCESS) {
      out.name = NarrowBuffer(buffers.name.data(), nameChars);
      out.value.type = type;
      if (withData)
        out.value.data.assign(
            buffers.data.begin(),
            buffers.data.begin() + std::min<std::size_t>(dataBytes, buffers.data.size()));
      return rc;
    }
    if (rc != ERROR_MORE_DATA) return rc;
    // The size the data needs is reported, the name's is not: a name buffer that may have been
    // the short one goes to the longest name there can be.
    if (withData && dataBytes > buffers.data.size())
      buffers.data.resize(dataBytes);
    else if (buffers.name.size() < kLongestName)
      buffers.name.resize(kLongestName);
    else if (withData)
      buffers.data.resize(buffers.data.size() * 2);
    else
      return rc;
  }
  return ERROR_MORE_DATA;
}

// A value that keeps outgrowing its buffer is left out; any other failure ends the listing, which
// would otherwise go on asking a deleted key for one index after another.
std::vector<NamedValue> ListValues(HKEY key, const EnumValueCall& call, bool withData) {
  std::vector<NamedValue> values;
  ValueBuffers buffers(key, withData);
  for (DWORD index = 0;; ++index) {
    NamedValue value;
    const LONG rc = ReadValueAt(call, key, index, buffers, value);
    if (rc == ERROR_SUCCESS)
      values.push_back(std::move(value));
    else if (rc != ERROR_MORE_DATA)
      break;
  }
  return values;
}

LONG ReadSubkeyAt(const EnumKeyCall& call, HKEY key, DWORD index, std::wstring& buffer,
                  std::string& name) {
  for (;;) {
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG rc = call(key, index, buffer.data(), &length);
    if (rc == ERROR_SUCCESS) {
      name = NarrowBuffer(buffer.data(), length);
      return rc;
    }
    // Key names have at most 255 characters; a buffer found short grows all the same.
    if (rc != ERROR_MORE_DATA || buffer.size() >= kLongestName) return rc;
    buffer.resize(kLongestName);
  }
}

}  // namespace

UniqueKey OpenKey(HKEY root, std::string_view path, REGSAM access, LONG* error) {
  HKEY key = nullptr;
  const LONG rc = ::RegOpenKeyExW(root, Wide(path).c_str(), 0, access, &key);
  SetError(error, rc);
  return UniqueKey(rc == ERROR_SUCCESS ? key : nullptr);
}

UniqueKey CreateKey(HKEY root, std::string_view path, REGSAM access, LONG* error) {
  HKEY key = nullptr;
  const LONG rc = ::RegCreateKeyExW(root, Wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    access, nullptr, &key, nullptr);
  SetError(error, rc);
  return UniqueKey(rc == ERROR_SUCCESS ? key : nullptr);
}

std::optional<RegValue> QueryValue(HKEY key, std::string_view name, LONG* error) {
  std::wstring wname = Wide(name);
  if (HasNul(wname)) {
    LONG rc = ERROR_SUCCESS;
    auto value = NativeQuery(key, std::move(wname), rc);
    SetError(error, rc);
    return value;
  }
  RegValue value;
  DWORD size = kFirstBuffer;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    value.data.resize(size);
    DWORD got = size;
    const LONG rc =
        ::RegQueryValueExW(key, wname.c_str(), nullptr, &value.type, value.data.data(), &got);
    if (rc == ERROR_SUCCESS) {
      value.data.resize(got);
      SetError(error, rc);
      return value;
    }
    if (rc != ERROR_MORE_DATA) {
      SetError(error, rc);
      return std::nullopt;
    }
    size = got > size ? got : size * 2;  // the value may grow between the two calls
  }
  SetError(error, ERROR_MORE_DATA);
  return std::nullopt;
}

std::optional<std::string> StringFromValue(const RegValue& value) {
  if (value.type != REG_SZ && value.type != REG_EXPAND_SZ && value.type != REG_MULTI_SZ)
    return std::nullopt;
  const std::size_t units = value.data.size() / sizeof(wchar_t);  // an odd last byte is dropped
  std::wstring text(units, L'\0');
  if (units) std::memcpy(text.data(), value.data.data(), units * sizeof(wchar_t));
  const std::size_t nul = text.find(L'\0');
  if (nul != std::wstring::npos) text.resize(nul);
  return Narrow(text);
}

bool SetStringValue(HKEY key, std::string_view name, std::string_view text, DWORD type) {
  const std::wstring wtext = Wide(text);
  const auto bytes = static_cast<DWORD>((wtext.size() + 1) * sizeof(wchar_t));
  return SetValue(key, name, type, reinterpret_cast<const BYTE*>(wtext.c_str()), bytes) ==
         ERROR_SUCCESS;
}

bool SetDwordValue(HKEY key, std::string_view name, DWORD value) {
  return SetValue(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
         ERROR_SUCCESS;
}

LONG SetRawValue(HKEY key, std::string_view name, const RegValue& value) {
  return SetValue(key, name, value.type, value.data.empty() ? nullptr : value.data.data(),
                  static_cast<DWORD>(value.data.size()));
}

LONG DeleteValue(HKEY key, std::string_view name) {
  std::wstring wname = Wide(name);
  if (HasNul(wname)) return NativeDelete(key, std::move(wname));
  return ::RegDeleteValueW(key, wname.c_str());
}

std::vector<NamedValue> EnumValuesThrough(HKEY key, const EnumValueCall& call) {
  return ListValues(key, call, true);
}

std::vector<NamedValue> EnumValues(HKEY key) { return ListValues(key, EnumValueW, true); }

std::vector<std::string> EnumValueNames(HKEY key) {
  std::vector<std::string> names;
  for (NamedValue& value : ListValues(key, EnumValueW, false))
    names.push_back(std::move(value.name));
  return names;
}

std::optional<std::string> SubkeyNameAt(HKEY key, DWORD index) {
  std::wstring buffer(kFirstBuffer, L'\0');
  std::string name;
  if (ReadSubkeyAt(EnumKeyW, key, index, buffer, name) != ERROR_SUCCESS) return std::nullopt;
  return name;
}

std::vector<std::string> EnumSubkeyNamesThrough(HKEY key, const EnumKeyCall& call) {
  std::vector<std::string> names;
  std::wstring buffer(kFirstBuffer, L'\0');
  for (DWORD index = 0;; ++index) {
    std::string name;
    const LONG rc = ReadSubkeyAt(call, key, index, buffer, name);
    if (rc == ERROR_SUCCESS)
      names.push_back(std::move(name));
    else if (rc != ERROR_MORE_DATA)  // one that keeps outgrowing the largest buffer is left out
      break;
  }
  return names;
}

std::vector<std::string> EnumSubkeyNames(HKEY key) { return EnumSubkeyNamesThrough(key, EnumKeyW); }

std::string ExpandEnvironment(std::string_view text) {
  const std::wstring wtext = Wide(text);
  DWORD size = ::ExpandEnvironmentStringsW(wtext.c_str(), nullptr, 0);
  if (size == 0) return std::string(text);
  std::wstring out(size, L'\0');
  size = ::ExpandEnvironmentStringsW(wtext.c_str(), out.data(), size);
  if (size == 0) return std::string(text);
  out.resize(size - 1);
  return Narrow(out);
}

}  // namespace obrivo::win32
