// The hidden files' vault copies and their digests (file_digest.h), so that a copy another
// program swapped in the user's data folder is never put back: one key per user (by the account's
// SID) under HKEY_LOCAL_MACHINE.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/file_digest.h"

namespace obrivo::common {

// The key below HKEY_LOCAL_MACHINE that holds the current user's vault digests.
std::string VaultDigestKey();

// Records the digest of the vault copy `name` (a file name inside the vault) at `copyPath`, with
// the full path of the file it was copied from (which a history record may hold only in part);
// false when the copy cannot be read or the record cannot be written.
bool RecordVaultCopy(std::string_view name, std::string_view copyPath, std::string_view origin);
// Where the copy came from, while the copy at `copyPath` still has the digest recorded for
// `name`; nothing when no record exists or the copy changed.
std::optional<std::string> IntactVaultCopyOrigin(std::string_view name, std::string_view copyPath);
void ForgetVaultDigest(std::string_view name);

}  // namespace obrivo::common
