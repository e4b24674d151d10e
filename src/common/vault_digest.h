// Digests of the copies the product keeps in the user's data folder (the vault), so that a copy
// another program swapped there is never put back. Any program the user runs can write the data
// folder; the digests live under HKEY_LOCAL_MACHINE, one key per user (by the account's SID), so
// only the product, running elevated, and the user's own records vouch for a copy.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace obrivo::common {

// The SHA-256 of a whole file in lower-case hex; nothing when it cannot be read.
std::optional<std::string> FileDigest(std::string_view path);

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
