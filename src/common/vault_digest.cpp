// Digests of the vault's copies.
#include "common/vault_digest.h"

#include <windows.h>

#include "common/file_digest.h"
#include "common/store.h"
#include "common/win32/registry.h"
#include "common/win32/unique.h"

namespace obrivo::common {

std::string VaultDigestKey() { return ProductSubkey("Vault\\" + CurrentUserId()); }

namespace {
// Between the digest and the origin; no path holds it.
constexpr char kSeparator = '|';
}  // namespace

bool RecordVaultCopy(std::string_view name, std::string_view copyPath, std::string_view origin) {
  const auto digest = FileDigest(copyPath);
  if (!digest) return false;
  // Written whole: an origin may be far longer than the store's string helpers read.
  const win32::UniqueKey key = win32::CreateKey(HKEY_LOCAL_MACHINE, VaultDigestKey(), KEY_WRITE);
  return key && win32::SetStringValue(key.get(), name, *digest + kSeparator + std::string(origin));
}

std::optional<std::string> IntactVaultCopyOrigin(std::string_view name, std::string_view copyPath) {
  const win32::UniqueKey key = win32::OpenKey(HKEY_LOCAL_MACHINE, VaultDigestKey(), KEY_READ);
  if (!key) return std::nullopt;
  const auto value = win32::QueryValue(key.get(), name);
  const auto text = value ? win32::StringFromValue(*value) : std::nullopt;
  if (!text) return std::nullopt;
  const std::size_t separator = text->find(kSeparator);
  if (separator == std::string::npos) return std::nullopt;
  const auto digest = FileDigest(copyPath);
  if (!digest || *digest != text->substr(0, separator)) return std::nullopt;
  return text->substr(separator + 1);
}

void ForgetVaultDigest(std::string_view name) {
  DeleteStoreValue(HKEY_LOCAL_MACHINE, VaultDigestKey(), name);
}

}  // namespace obrivo::common
