// Per-process registry redirection for tests.
#include "registry_sandbox.h"

#include <stdexcept>

namespace obrivo::test {
namespace {

const HKEY kRedirected[3] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT};
const wchar_t* const kNames[3] = {L"CU", L"LM", L"CR"};

obrivo::test::RegistrySandbox*& Newest() {
  static obrivo::test::RegistrySandbox* newest = nullptr;
  return newest;
}

}  // namespace

RegistrySandbox::RegistrySandbox(Hives hives) : redirected_(hives == Hives::CurrentUser ? 1 : 3) {
  static int counter = 0;
  root_ = L"Software\\ObrivoTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  for (int i = 0; i < 3; ++i) {
    const std::wstring path = root_ + L"\\" + kNames[i];
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                          &keys_[i], nullptr) != ERROR_SUCCESS)
      throw std::runtime_error("cannot create the sandbox key");
  }
  // The machine hive gets the Wow6432Node Run key a 64-bit system has.
  HKEY wow = nullptr;
  ::RegCreateKeyExW(keys_[1], L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                    0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &wow, nullptr);
  if (wow) ::RegCloseKey(wow);
  for (int i = 0; i < redirected_; ++i) ::RegOverridePredefKey(kRedirected[i], keys_[i]);
  previous_ = Newest();
  Newest() = this;
}

HKEY RegistrySandbox::OpenRedirection(HKEY predefined) {
  const RegistrySandbox* sandbox = Newest();
  if (!sandbox) return nullptr;
  for (int i = 0; i < sandbox->redirected_; ++i) {
    HKEY copy = nullptr;
    if (kRedirected[i] == predefined &&
        ::DuplicateHandle(::GetCurrentProcess(), sandbox->keys_[i], ::GetCurrentProcess(),
                          reinterpret_cast<HANDLE*>(&copy), 0, FALSE, DUPLICATE_SAME_ACCESS))
      return copy;
  }
  return nullptr;
}

RegistrySandbox::~RegistrySandbox() {
  if (Newest() == this) Newest() = previous_;
  for (int i = 0; i < 3; ++i) {
    if (i < redirected_) ::RegOverridePredefKey(kRedirected[i], nullptr);
    ::RegCloseKey(keys_[i]);
  }
  ::RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
}

}  // namespace obrivo::test
