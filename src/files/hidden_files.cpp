// The hidden-files listing and its baseline.
#include "files/hidden_files.h"

#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/capacity.h"
#include "core/history_codes.h"
#include "core/text.h"

namespace obrivo::files {
namespace {

// The baseline key's default value once it has been taken; no file's path is empty.
constexpr std::string_view kBaselineMarker = "Path";

// This process's own writes to the baseline, which may fall within one tick of the key's time.
int baselineWrites = 0;

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  if (length == 0 || length > MAX_PATH) return {};
  return core::RemoveTrailingBackslash(win32::Narrow(std::wstring_view(buffer, length)));
}

bool IsDotName(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

bool WalkWide(const std::wstring& folder, const WalkVisitor& visit, int depth) {
  WIN32_FIND_DATAW entry{};
  const std::wstring pattern = folder + L"\\*.*";
  win32::UniqueFind find(
      ::FindFirstFileW(win32::ExtendedPath(pattern).c_str(), &entry));
  if (!find) return false;
  std::vector<std::wstring> subfolders;
  do {
    if (IsDotName(entry.cFileName)) continue;
    if (visit(folder, entry)) return true;
    if (depth > 0 && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
        entry.cFileName[0] != L'.')
      subfolders.push_back(folder + L"\\" + entry.cFileName);
  } while (::FindNextFileW(find.get(), &entry));
  find.reset();  // one search handle open at a time, however deep
  for (const std::wstring& sub : subfolders)
    if (WalkWide(sub, visit, depth - 1)) return true;
  return false;
}

bool IsHiddenFile(const WIN32_FIND_DATAW& entry) {
  return (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) &&
         !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::unordered_set<std::string> AcceptedHiddenPaths() {
  // Read again only when the key changed since: a patrol pass over an unchanged baseline of
  // thousands of files would otherwise ask the registry for each name every time.
  struct Cache {
    FILETIME written{};
    DWORD values = 0;
    int generation = -1;
    std::unordered_set<std::string> paths;
  };
  static Cache cache;
  const win32::UniqueKey key = win32::OpenKey(HKEY_CURRENT_USER, HiddenBaselineKey(), KEY_READ);
  if (!key) return {};
  FILETIME written{};
  DWORD values = 0;
  if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, &written) == ERROR_SUCCESS &&
      values == cache.values && ::CompareFileTime(&written, &cache.written) == 0 &&
      cache.generation == baselineWrites &&
      (written.dwLowDateTime | written.dwHighDateTime) != 0)
    return cache.paths;
  std::unordered_set<std::string> paths;
  for (const std::string& name : win32::EnumValueNames(key.get()))
    if (!name.empty()) paths.insert(core::ToUpper(name));
  cache = {written, values, baselineWrites, paths};
  return paths;
}

std::vector<ScanRoot> HiddenScanRoots() {
  std::vector<ScanRoot> roots;
  roots.push_back({"C:\\", 0});
  if (std::string windows = win32::WindowsDirectory(); !windows.empty())
    roots.push_back({core::RemoveTrailingBackslash(windows), 0});
  if (std::string system = win32::SystemDirectory(); !system.empty())
    roots.push_back({core::RemoveTrailingBackslash(system), 1});
  if (std::string common =
          common::ReadStoreString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                  HKEY_LOCAL_MACHINE, "CommonFilesDir", core::kPathCapacity);
      !common.empty())
    roots.push_back({core::RemoveTrailingBackslash(common), 1});
  if (std::string temp = TempFolder(); !temp.empty()) roots.push_back({temp, 1});
  return roots;
}

bool WalkFolder(std::string_view folder, const WalkVisitor& visit, int depth) {
  std::wstring wide = win32::Wide(folder);
  // "C:\" walks as "C:", so that its entries read "C:\name" like any other folder's.
  if (!wide.empty() && wide.back() == L'\\') wide.pop_back();
  return WalkWide(wide, visit, depth);
}

std::string HiddenFileTitle(std::string_view path) {
  if (const auto version = common::ReadVersionInfo(path); version && !version->productName.empty())
    return version->productName;
  return core::FileNamePart(path);
}

std::size_t EnumHiddenFiles(const std::vector<ScanRoot>& roots, bool productNames) {
  common::ClearItems();
  const core::ItemListEnv env = common::ItemEnv();
  for (const ScanRoot& root : roots) {
    WalkFolder(
        root.folder,
        [productNames, &env](const std::wstring& folder, const WIN32_FIND_DATAW& entry) {
          if (!IsHiddenFile(entry)) return false;
          const std::string path = win32::Narrow(folder + L"\\" + entry.cFileName);
          const std::string title =
              productNames ? HiddenFileTitle(path) : win32::Narrow(entry.cFileName);
          const int flag = (entry.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) ? 0 : 1;
          return !common::AddItem(title, path, path, "", core::item_type::kHiddenFile, flag, env);
        },
        root.depth);
  }
  return common::ItemCount();
}

std::size_t EnumHiddenFiles(bool productNames) {
  return EnumHiddenFiles(HiddenScanRoots(), productNames);
}

std::optional<std::string> LastWrittenText(std::string_view path) {
  const win32::UniqueHandle file(::CreateFileW(win32::ExtendedPath(path).c_str(), GENERIC_READ,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  FILETIME written{};
  if (!file || !::GetFileTime(file.get(), nullptr, nullptr, &written)) return std::nullopt;
  std::string text = common::LocalDateTimeText(common::FileTimeToLocal(written));
  if (const std::size_t n = core::CharCount(text); n > 16) text = core::TruncateChars(text, n - 2);
  return text;
}

std::string HiddenBaselineKey() { return common::ProductSubkey("Hidden"); }

bool IsAcceptedHiddenFile(std::string_view path) {
  const win32::UniqueKey key = win32::OpenKey(HKEY_CURRENT_USER, HiddenBaselineKey(), KEY_READ);
  return key && win32::QueryValue(key.get(), path).has_value();
}

bool AcceptHiddenFile(std::string_view path) {
  ++baselineWrites;
  return common::WriteStoreString(HKEY_CURRENT_USER, HiddenBaselineKey(), path,
                                  common::LocalDateTimeNow());
}

void ForgetHiddenFile(std::string_view path) {
  ++baselineWrites;
  common::DeleteStoreValue(HKEY_CURRENT_USER, HiddenBaselineKey(), path);
}

void SnapshotHiddenFiles() {
  const std::unordered_set<std::string> accepted = AcceptedHiddenPaths();
  for (const std::string& path : HiddenFilePaths())
    if (!accepted.count(core::ToUpper(path))) AcceptHiddenFile(path);
  common::WriteStoreString(HKEY_CURRENT_USER, HiddenBaselineKey(), "",
                           std::string(kBaselineMarker));
}

bool EnsureHiddenBaseline() {
  if (common::ReadStoreString(HiddenBaselineKey(), HKEY_CURRENT_USER, "", 16) == kBaselineMarker)
    return false;
  SnapshotHiddenFiles();
  return true;
}

std::vector<std::string> HiddenFilePaths() {
  std::vector<std::string> paths;
  for (std::size_t i = 0, n = EnumHiddenFiles(false); i < n; ++i)
    paths.push_back(common::ItemPath(i));
  return paths;
}

}  // namespace obrivo::files
