// Folders, files, command lines, version information and dates on this system.
#include "common/utilities.h"

#include <memory>
#include <vector>

#include "common/store.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "core/date_text.h"
#include "core/text.h"

namespace obrivo::common {

using win32::Wide;

std::string ProgramFolder() {
  const std::string path = win32::ModuleFileName();
  return path.substr(0, path.rfind('\\') == std::string::npos ? 0 : path.rfind('\\'));
}

std::string DataFolder() {
  const std::string appData = ReadStoreString(
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", HKEY_CURRENT_USER,
      "AppData", core::kTextCapacity);
  if (appData.empty()) return ProgramFolder();
  const std::string folder = appData + "\\Obrivo";
  if (!win32::EnsureDirectory(folder) || !win32::EnsureDirectory(folder + "\\vault"))
    return ProgramFolder();
  return folder;
}

std::string HostsFilePath() {
  if (win32::IsNtFamily()) return win32::SystemDirectory() + "\\drivers\\etc\\HOSTS";
  return win32::WindowsDirectory() + "\\HOSTS";
}

bool FileExists(std::string& path) {
  if (path.empty()) return false;
  if (win32::IsExistingFile(path)) return true;
  if (core::CharCount(path) >= 32) return false;
  if (win32::IsExistingFile(win32::WindowsDirectory() + "\\" + path)) return true;
  const std::string inSystem = win32::SystemDirectory() + "\\" + path;
  if (win32::IsExistingFile(inSystem)) {
    path = inSystem;
    return true;
  }
  return false;
}

std::string FolderOfProgram(std::string_view name) {
  const std::size_t slash = name.rfind('\\');
  if (slash != std::string_view::npos) {
    std::string folder(name.substr(0, slash));
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
  }
  if (name.empty() || core::CharCount(name) >= 32) return {};
  const std::string windows = win32::WindowsDirectory();
  if (win32::IsExistingFile(windows + "\\" + std::string(name))) return windows;
  const std::string system = win32::SystemDirectory();
  if (win32::IsExistingFile(system + "\\" + std::string(name))) return system;
  return {};
}

bool DeleteFileForce(std::string_view path) {
  const std::wstring wide = win32::ExtendedPath(path);
  ::SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
  return ::DeleteFileW(wide.c_str()) != FALSE;
}

std::optional<std::string> ReadTextFile(std::string_view path, bool crlf) {
  auto data = win32::ReadWholeFile(path);
  if (!data || !crlf) return data;
  std::string out;
  out.reserve(data->size() + data->size() / 16);
  for (std::size_t i = 0; i < data->size(); ++i) {
    const char c = (*data)[i];
    if (c == '\n' && (i == 0 || (*data)[i - 1] != '\r')) out += '\r';
    out += c;
  }
  return out;
}

core::SystemFolders CurrentSystemFolders() {
  core::SystemFolders folders;
  folders.windowsDir = win32::WindowsDirectory();
  folders.programFilesDir =
      ReadStoreString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", HKEY_LOCAL_MACHINE,
                      "ProgramFilesDir", core::kPathCapacity);
  if (folders.programFilesDir.empty()) folders.programFilesDir = "C:\\Program Files";
  return folders;
}

std::string CommandToProgramPath(std::string_view command) {
  return core::CommandToProgramPath(command, CurrentSystemFolders());
}

core::ProgramAndArgs CommandToProgramPathAndArgs(std::string_view command) {
  return core::CommandToProgramPathAndArgs(command, CurrentSystemFolders(),
                                           [](std::string_view p) { return LongPathName(p); });
}

std::string LongPathName(std::string_view path) {
  auto longPath = win32::LongPath(path);
  return longPath ? *longPath : std::string(path);
}

std::optional<AppPathInfo> AppPathsLookup(std::string_view exeName) {
  const std::string key =
      "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + std::string(exeName);
  std::string file = ReadStoreString(key, HKEY_LOCAL_MACHINE, "", core::kPathCapacity);
  file = core::StripQuotes(file);
  if (file.empty() || !FileExists(file)) return std::nullopt;
  AppPathInfo info;
  if (auto version = ReadVersionInfo(file)) info.version = version->productVersion;
  info.folder = ReadStoreString(key, HKEY_LOCAL_MACHINE, "Path", core::kPathCapacity);
  return info;
}

ClsidServer ClsidServerLookup(std::string_view clsid) {
  std::string key = "CLSID\\";
  if (clsid.empty() || clsid.front() != '{')
    key += "{" + std::string(clsid) + "}";
  else
    key += clsid;
  ClsidServer server;
  server.className = ReadStoreString(key, HKEY_CLASSES_ROOT, "", 512);
  server.serverPath = ReadStoreString(key + "\\InprocServer32", HKEY_CLASSES_ROOT, "",
                                      core::kTextCapacity);
  return server;
}

namespace {

std::string VersionString(const std::vector<BYTE>& block, WORD language, WORD codePage,
                          const wchar_t* field) {
  wchar_t query[128];
  swprintf(query, 128, L"\\StringFileInfo\\%04x%04x\\%ls", language, codePage, field);
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), query, &value, &length) || value == nullptr) return {};
  std::wstring_view text(static_cast<const wchar_t*>(value), length);
  const std::size_t nul = text.find(L'\0');
  if (nul != std::wstring_view::npos) text = text.substr(0, nul);
  const std::string utf8 = win32::Narrow(text);
  // A field longer than the field capacity reads as empty.
  return core::CharCount(utf8) >= core::kVersionFieldCapacity ? std::string() : utf8;
}

}  // namespace

std::optional<VersionInfo> ReadVersionInfo(std::string_view path) {
  const std::wstring wide = Wide(path);
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(wide.c_str(), &handle);
  if (size == 0 || size > (1u << 20)) return std::nullopt;
  std::vector<BYTE> block(size);
  if (!::GetFileVersionInfoW(wide.c_str(), 0, size, block.data())) return std::nullopt;

  struct Translation {
    WORD language, codePage;
  };
  void* value = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
      value == nullptr)
    return std::nullopt;

  VersionInfo info;
  const auto* translations = static_cast<const Translation*>(value);
  for (UINT i = 0; i < length / sizeof(Translation); ++i) {
    const Translation t = translations[i];
    std::string product = VersionString(block, t.language, t.codePage, L"ProductName");
    if (product.empty()) continue;
    info.productName = product;
    info.productVersion = VersionString(block, t.language, t.codePage, L"ProductVersion");
    info.companyName = VersionString(block, t.language, t.codePage, L"CompanyName");
    info.fileDescription = VersionString(block, t.language, t.codePage, L"FileDescription");
    info.legalCopyright = VersionString(block, t.language, t.codePage, L"LegalCopyright");
  }
  if (core::ContainsNoCase(info.productName, "Operating System"))
    info.productName = info.fileDescription;
  if (info.productName.empty()) return std::nullopt;
  return info;
}

std::string LocalDateTimeText(const SYSTEMTIME& time) {
  const char* international = "Control Panel\\International";
  const std::string shortDate =
      ReadStoreString(international, HKEY_CURRENT_USER, "sShortDate", 24);
  const std::string timeFormat =
      ReadStoreString(international, HKEY_CURRENT_USER, "sTimeFormat", 24);
  core::DateTime t{time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
  return core::LocalDateTimeText(t, shortDate, timeFormat);
}

std::string LocalDateTimeNow() {
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  return LocalDateTimeText(now);
}

SYSTEMTIME FileTimeToLocal(const FILETIME& fileTime) {
  FILETIME local{};
  SYSTEMTIME system{};
  ::FileTimeToLocalFileTime(&fileTime, &local);
  ::FileTimeToSystemTime(&local, &system);
  return system;
}

std::string FileCreationTimeText(std::string_view path) {
  const auto created = win32::FileCreationTime(path);
  if (!created) return {};
  const SYSTEMTIME t = FileTimeToLocal(*created);
  return core::FileTimeText({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
}

}  // namespace obrivo::common
