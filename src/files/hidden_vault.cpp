// Deleting hidden files through the vault, and putting them back.
#include "files/hidden_vault.h"

#include "common/history.h"
#include "common/utilities.h"
#include "common/vault_digest.h"
#include "common/win32/files.h"
#include "core/capacity.h"
#include "core/history_codes.h"
#include "core/text.h"
#include "files/hidden_files.h"
#include "system/processes.h"

namespace obrivo::files {
namespace {

std::string VaultPath(std::string_view name) { return VaultFolder() + "\\" + std::string(name); }

std::string VaultNameOf(std::string_view path, std::string_view vaultName) {
  return vaultName.empty() ? core::FileNamePart(path) : std::string(vaultName);
}

// A name not used in the vault yet: the file's own, else with ".1", ".2"... after it, since
// files of one name lie in several of the folders walked (desktop.ini among them).
std::string FreeVaultName(std::string_view path) {
  const std::string name = core::FileNamePart(path);
  if (!win32::FileAttributes(VaultPath(name))) return name;
  for (int n = 1;; ++n) {
    std::string numbered = name + "." + std::to_string(n);
    if (!win32::FileAttributes(VaultPath(numbered))) return numbered;
  }
}

void DropVaultCopy(std::string_view name) {
  const std::wstring copy = win32::ExtendedPath(VaultPath(name));
  ::SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  ::DeleteFileW(copy.c_str());
  common::ForgetVaultDigest(name);
}

// The copy the undo needs; its name, or empty with `error` set when it could not be made.
std::string KeepVaultCopy(std::string_view path, DWORD& error) {
  if (!win32::EnsureDirectory(VaultFolder())) {
    error = ::GetLastError();
    return {};
  }
  const std::string name = FreeVaultName(path);
  const std::wstring copy = win32::ExtendedPath(VaultPath(name));
  if (!::CopyFileW(win32::ExtendedPath(path).c_str(), copy.c_str(), TRUE)) {
    error = ::GetLastError();
    return {};
  }
  // The copy is the product's own file, never hidden or read-only.
  ::SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (!common::RecordVaultCopy(name, VaultPath(name), path)) {
    error = ERROR_CANNOT_MAKE;
    DropVaultCopy(name);
    return {};
  }
  return name;
}

// Every process running from the file; never this one.
void StopProgramsOf(std::string_view path) {
  std::vector<system::ProcessIdentity> found;
  const DWORD self = ::GetCurrentProcessId();
  system::EnumRunningProcesses([&](const system::RunningProcess& p) {
    if (p.id != self && !p.sixteenBitTask && core::EqualsNoCase(p.imagePath, path))
      found.push_back({p.id, p.createdAt});
    return true;
  });
  for (const system::ProcessIdentity& process : found)
    if (system::KillProcessById(process))
      common::WriteHistory(core::history_event::kTaskKill, core::item_type::kProcess,
                           core::FileNamePart(path), path, "");
}

}  // namespace

std::string VaultFolder() { return common::DataFolder() + "\\vault"; }

HiddenDeletionResult DeleteHiddenFile(std::string_view path, std::string_view title) {
  HiddenDeletionResult result;
  ForgetHiddenFile(path);
  const auto attributes = win32::FileAttributes(path);
  if (!attributes || (*attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    result.outcome = HiddenDeletion::Gone;
    result.error = ERROR_FILE_NOT_FOUND;
    return result;
  }
  const std::string name = KeepVaultCopy(path, result.error);
  if (name.empty()) {
    result.outcome = result.error == ERROR_FILE_NOT_FOUND || result.error == ERROR_PATH_NOT_FOUND
                         ? HiddenDeletion::Gone
                         : HiddenDeletion::NotKept;
    return result;
  }
  StopProgramsOf(path);
  if (!common::DeleteFileForce(path)) {
    result.error = ::GetLastError();
    // Nothing was deleted: no copy stands for it, and the file keeps what marked it.
    DropVaultCopy(name);
    ::SetFileAttributesW(win32::ExtendedPath(path).c_str(), *attributes);
    result.outcome = result.error == ERROR_FILE_NOT_FOUND ? HiddenDeletion::Gone
                                                          : HiddenDeletion::Failed;
    return result;
  }
  // A record's file field holds a path of ordinary length; a longer one is cut there, before it
  // could push the copy's name off the line. The copy's own record keeps the whole path.
  common::WriteHistory(core::history_event::kHiddenDeleteFile, core::item_type::kHiddenFile,
                       title, core::TruncateChars(path, core::kPathCapacity), name);
  result.outcome = HiddenDeletion::Deleted;
  result.vaultName = name;
  return result;
}

namespace {

// The full path the intact copy `name` puts back for a record naming `path`: the record may hold
// the path cut short, never another one.
std::optional<std::string> RestoreTarget(std::string_view path, const std::string& name) {
  const auto origin = common::IntactVaultCopyOrigin(name, VaultPath(name));
  if (!origin || path.empty() || !core::StartsWithNoCase(*origin, path)) return std::nullopt;
  return origin;
}

}  // namespace

bool HiddenVaultCopyKept(std::string_view path, std::string_view vaultName) {
  const std::string name = VaultNameOf(path, vaultName);
  return win32::IsExistingFile(VaultPath(name)) && RestoreTarget(path, name).has_value();
}

HiddenRestore RestoreHiddenFileFromVault(std::string_view path, std::string_view vaultName) {
  const std::string name = VaultNameOf(path, vaultName);
  const std::string copy = VaultPath(name);
  if (!win32::IsExistingFile(copy)) return HiddenRestore::NoCopy;
  const auto target = RestoreTarget(path, name);
  if (!target) return HiddenRestore::CopyAltered;
  if (win32::FileAttributes(*target)) return HiddenRestore::PathTaken;
  const std::wstring wideTarget = win32::ExtendedPath(*target);
  if (!::CopyFileW(win32::ExtendedPath(copy).c_str(), wideTarget.c_str(), TRUE))
    return HiddenRestore::Failed;
  ::SetFileAttributesW(wideTarget.c_str(), FILE_ATTRIBUTE_HIDDEN);
  DropVaultCopy(name);
  AcceptHiddenFile(*target);
  return HiddenRestore::Restored;
}

bool UnhideFile(std::string_view path) {
  return ::SetFileAttributesW(win32::ExtendedPath(path).c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
}

}  // namespace obrivo::files
