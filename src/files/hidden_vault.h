// Deleting a hidden file, with the copy in the vault (the data folder's "vault" folder) that
// lets the history undo it, and putting it back. A file is deleted only once its copy is kept
// and vouched for by its digest (common/vault_digest.h); a copy that changed since is never
// put back.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace obrivo::files {

// The vault folder (no trailing backslash).
std::string VaultFolder();

enum class HiddenDeletion {
  Deleted,   // the file is gone, its copy kept, history record 29 written
  NotKept,   // no copy could be made (the file is held open, the vault cannot be written):
             // the file was left as it was
  Gone,      // the file was no longer there
  Failed,    // the file could not be deleted: it stays, with its attributes, and no copy
};

struct HiddenDeletionResult {
  HiddenDeletion outcome = HiddenDeletion::Failed;
  std::string vaultName;  // the copy's name inside the vault, when Deleted
  DWORD error = 0;        // the system's reason otherwise
};

// Copies the file into the vault, ends the programs running from it, and deletes it. The path's
// baseline value goes in every case, so a file still there is asked about again. The history
// record names the copy in its description.
HiddenDeletionResult DeleteHiddenFile(std::string_view path, std::string_view title);

enum class HiddenRestore {
  Restored,     // back at its path, hidden, and accepted
  NoCopy,       // the vault holds no copy of that name
  CopyAltered,  // the copy no longer matches its digest (or none was recorded): left unused
  PathTaken,    // a file exists at the path again: never overwritten
  Failed,       // the copy could not be written back
};

// The history's undo of a deletion: `vaultName` as the record names it (an empty name, from a
// record of an earlier version, is the file's own name).
HiddenRestore RestoreHiddenFileFromVault(std::string_view path, std::string_view vaultName);

// True while the vault holds an intact copy under `vaultName` (empty: the file name of `path`).
bool HiddenVaultCopyKept(std::string_view path, std::string_view vaultName);

// Clears the hidden, system and read-only attributes; the baseline is left as it is.
bool UnhideFile(std::string_view path);

}  // namespace obrivo::files
