// Digests through the system's hashing provider (bcrypt), read in pieces so that a large file
// is never held whole.
#include "common/file_digest.h"

#include <windows.h>
// After windows.h, which they need.
#include <bcrypt.h>
#include <sddl.h>

#include <vector>

#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/text.h"

namespace obrivo::common {
namespace {

// One SHA-256 computation, fed in pieces.
class Sha256 {
 public:
  Sha256() {
    if (::BCryptOpenAlgorithmProvider(&algorithm_, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) {
      algorithm_ = nullptr;
      return;
    }
    if (::BCryptCreateHash(algorithm_, &hash_, nullptr, 0, nullptr, 0, 0) != 0) hash_ = nullptr;
  }
  ~Sha256() {
    if (hash_) ::BCryptDestroyHash(hash_);
    if (algorithm_) ::BCryptCloseAlgorithmProvider(algorithm_, 0);
  }
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  bool Add(const char* data, std::size_t size) {
    if (!hash_) return false;
    while (size > 0) {
      const ULONG piece = static_cast<ULONG>(size > (1u << 30) ? (1u << 30) : size);
      if (::BCryptHashData(hash_, reinterpret_cast<PUCHAR>(const_cast<char*>(data)), piece, 0) != 0)
        return false;
      data += piece;
      size -= piece;
    }
    return true;
  }

  std::optional<std::string> Finish() {
    if (!hash_) return std::nullopt;
    unsigned char digest[32] = {};
    if (::BCryptFinishHash(hash_, digest, sizeof digest, 0) != 0) return std::nullopt;
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

std::optional<std::string> DigestOfBytes(std::string_view bytes) {
  Sha256 sha;
  if (!sha.Add(bytes.data(), bytes.size())) return std::nullopt;
  return sha.Finish();
}

std::optional<std::string> FileDigest(std::string_view path) {
  // The long form, so that a vault copy of a file deep in the system folders is read too.
  win32::UniqueHandle file(::CreateFileW(win32::ExtendedPath(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  Sha256 sha;
  std::vector<char> buffer(1 << 16);
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return std::nullopt;
    if (got == 0) break;
    if (!sha.Add(buffer.data(), got)) return std::nullopt;
  }
  return sha.Finish();
}

bool DigestsMatch(std::string_view expected, const std::optional<std::string>& actual) {
  return !expected.empty() && actual && core::EqualsNoCase(expected, *actual);
}

std::string CurrentUserId() {
  HANDLE rawToken = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &rawToken)) return "user";
  win32::UniqueHandle token(rawToken);
  DWORD size = 0;
  ::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return "user";
  std::vector<BYTE> data(size);
  if (!::GetTokenInformation(token.get(), TokenUser, data.data(), size, &size)) return "user";
  wchar_t* text = nullptr;
  if (!::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(data.data())->User.Sid, &text))
    return "user";
  std::string id = win32::Narrow(text);
  ::LocalFree(text);
  return id;
}

std::string DigestValueName(std::string_view prefix) {
  return std::string(prefix) + " " + CurrentUserId();
}

}  // namespace obrivo::common
