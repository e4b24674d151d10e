// Redirects HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT of this test process to
// empty keys of its own, and deletes them afterwards, so a test can write anywhere.
#pragma once

#include <windows.h>

#include <string>

namespace obrivo::test {

class RegistrySandbox {
 public:
  // Hives::CurrentUser redirects HKEY_CURRENT_USER alone, for tests that create the system's own
  // COM objects: under Wine, CoCreateInstance fails with ERROR_FILE_NOT_FOUND once the machine
  // hive is redirected.
  enum class Hives { All, CurrentUser };
  explicit RegistrySandbox(Hives hives = Hives::All);
  ~RegistrySandbox();
  // A new handle (the caller closes it) to the key `predefined` (HKEY_CURRENT_USER,
  // HKEY_LOCAL_MACHINE or HKEY_CLASSES_ROOT) is redirected to by the newest sandbox alive; null
  // when there is none. What a test needs to put the redirection back after it lifted it.
  static HKEY OpenRedirection(HKEY predefined);
  RegistrySandbox(const RegistrySandbox&) = delete;
  RegistrySandbox& operator=(const RegistrySandbox&) = delete;

 private:
  std::wstring root_;  // below the real HKEY_CURRENT_USER
  HKEY keys_[3] = {};
  int redirected_ = 3;
  RegistrySandbox* previous_ = nullptr;
};

}  // namespace obrivo::test
