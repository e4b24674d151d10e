// The CPU cost of one hidden-files patrol pass over the prefix's system folders with 2,000 extra
// hidden fixture files (one level below the temporary folder, which the pass walks one level
// deep), every file known to the baseline, against a raw FindFirstFileW walk of the same roots
// to the same depths. The listing with the files' product names, as the page reads it, is
// reported beside them.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_support.h"
#include "common/app.h"
#include "common/win32/wide.h"
#include "core/alert_rules.h"
#include "cost_measure.h"
#include "files/hidden_check.h"
#include "files/hidden_files.h"
#include "registry_sandbox.h"

namespace obrivo::bench {
namespace {

constexpr int kFixtures = 2000;

std::wstring FixtureFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, temp);
  return std::wstring(temp) + L"obrivo bench hidden";
}

void RemoveFixtures() {
  const std::wstring folder = FixtureFolder();
  WIN32_FIND_DATAW entry{};
  HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring path = folder + L"\\" + entry.cFileName;
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      ::DeleteFileW(path.c_str());
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
  }
  ::RemoveDirectoryW(folder.c_str());
}

bool AddFixtures() {
  const std::wstring folder = FixtureFolder();
  if (!::CreateDirectoryW(folder.c_str(), nullptr)) return false;
  for (int i = 0; i < kFixtures; ++i) {
    wchar_t name[64];
    swprintf(name, 64, L"\\bench hidden %04d.dat", i);
    const std::wstring path = folder + name;
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    ::WriteFile(file, "bench", 5, &written, nullptr);
    ::CloseHandle(file);
  }
  return true;
}

// The reference: the same roots to the same depths, every entry's attributes looked at, the
// hidden files counted; nothing else.
std::size_t RawWalk(const std::wstring& folder, int depth) {
  std::size_t hidden = 0;
  std::vector<std::wstring> subfolders;
  WIN32_FIND_DATAW entry{};
  HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    const bool directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!directory && (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) ++hidden;
    if (directory && depth > 0 && entry.cFileName[0] != L'.')
      subfolders.push_back(folder + L"\\" + entry.cFileName);
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  for (const std::wstring& sub : subfolders) hidden += RawWalk(sub, depth - 1);
  return hidden;
}

std::size_t RawWalkOfRoots(const std::vector<files::ScanRoot>& roots) {
  std::size_t hidden = 0;
  for (const files::ScanRoot& root : roots) {
    std::wstring folder = win32::Wide(root.folder);
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    hidden += RawWalk(folder, root.depth);
  }
  return hidden;
}

int Run() {
  test::RegistrySandbox sandbox;
  // The roots are the prefix's own (the common files folder is named in the machine hive); only
  // the user's store (the baseline) is scratch.
  ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  common::InitApp(core::Program::Monitor, ::GetModuleHandleW(nullptr));
  RemoveFixtures();
  if (!AddFixtures()) {
    Progress("the fixture files could not be made");
    RemoveFixtures();
    return 2;
  }
  const std::vector<files::ScanRoot> roots = files::HiddenScanRoots();
  const std::size_t raw = RawWalkOfRoots(roots);
  const std::size_t listed = files::EnumHiddenFiles(false);
  if (listed != raw || listed < kFixtures) {
    Progress("the walk found " + std::to_string(raw) + " hidden files, the listing " +
             std::to_string(listed));
    RemoveFixtures();
    return 2;
  }
  Progress(std::to_string(listed) + " hidden files under " + std::to_string(roots.size()) +
           " roots");
  files::SnapshotHiddenFiles();

  const Cost walk = Measure(nullptr, [&roots] { RawWalkOfRoots(roots); });
  Report("Hidden files, 2,000 extra: FindFirstFileW walk of the same roots (reference)", walk,
         nullptr);
  int asked = 0;
  files::HiddenCheckHooks hooks;
  hooks.ask = [&asked](const core::Item&) {
    ++asked;
    return core::kAlertYes;
  };
  std::size_t examined = 0;
  const Cost pass =
      Measure(nullptr, [&hooks, &examined] { examined = files::VerifyHiddenFiles(hooks); });
  Report("Hidden files, 2,000 extra: quiet patrol pass (VerifyHiddenFiles)", pass, &walk);
  const Cost page = Measure(nullptr, [] { files::EnumHiddenFiles(true); });
  Report("Hidden files, 2,000 extra: listing with product names (the page's)", page, &walk);
  RemoveFixtures();
  if (asked != 0 || examined != listed) {
    Progress("the quiet pass asked about " + std::to_string(asked) + " files and examined " +
             std::to_string(examined));
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace obrivo::bench

int wmain() { return obrivo::bench::Run(); }
