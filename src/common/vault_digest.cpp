// Digests of the vault's copies.
#include "common/vault_digest.h"

#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>
#include <sddl.h>

#include <vector>

#include "common/store.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"

namespace obrivo::common {
namespace {

// The account's SID as text; empty when the token cannot be read.
std::string UserSidText() {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
  const win32::UniqueHandle token(raw);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<unsigned char> buffer(size);
  if (!::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return {};
  const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
  wchar_t* text = nullptr;
  if (!::ConvertSidToStringSidW(user->User.Sid, &text)) return {};
  std::string sid = win32::Narrow(text);
  ::LocalFree(text);
  return sid;
}

class Sha256 {
 public:
  Sha256() {
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM,
                                                      nullptr, 0)))
      algorithm_ = nullptr;
    else if (!BCRYPT_SUCCESS(::BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0)))
      hash_ = nullptr;
  }
  ~Sha256() {
    if (hash_) ::BCryptDestroyHash(hash_);
    if (algorithm_) ::BCryptCloseAlgorithmProvider(algorithm_, 0);
  }
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  bool Add(const unsigned char* data, ULONG size) {
    return hash_ && BCRYPT_SUCCESS(::BCryptHashData(hash_, const_cast<PUCHAR>(data), size, 0));
  }
  std::optional<std::string> Finish() {
    unsigned char digest[32];
    if (!hash_ || !BCRYPT_SUCCESS(::BCryptFinishHash(hash_, digest, sizeof digest, 0)))
      return std::nullopt;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : digest) {
      text += kHex[byte >> 4];
      text += kHex[byte & 15];
    }
    return text;
  }

 private:
  BCRYPT_ALG_HANDLE algorithm_ = nullptr;
  BCRYPT_HASH_HANDLE hash_ = nullptr;
};

}  // namespace

std::optional<std::string> FileDigest(std::string_view path) {
  const win32::UniqueHandle file(::CreateFileW(win32::ExtendedPath(path).c_str(), GENERIC_READ,
                                               FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  Sha256 sha;
  std::vector<unsigned char> buffer(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
      return std::nullopt;
    if (read == 0) break;
    if (!sha.Add(buffer.data(), read)) return std::nullopt;
  }
  return sha.Finish();
}

std::string VaultDigestKey() {
  const std::string sid = UserSidText();
  return ProductSubkey("Vault\\" + (sid.empty() ? std::string("Unknown") : sid));
}

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

std::optional<std::string> IntactVaultCopyOrigin(std::string_view name,
                                                 std::string_view copyPath) {
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
