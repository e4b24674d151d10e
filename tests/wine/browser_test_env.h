// What the browser add-on tests share: the registry places add-ons register in, spelt out here
// rather than taken from the code under test, and a key's access list set from SDDL.
#pragma once

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

namespace obrivo::test {

// Below HKEY_LOCAL_MACHINE.
inline constexpr char kBhoKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
inline constexpr char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
inline constexpr char kExtensionsKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

// Replaces the key's DACL ("D:(D;;KA;;;WD)" closes it to everyone, "D:(A;;KA;;;WD)" opens it
// again so that the sandbox can be deleted). `key` must have been opened with WRITE_DAC.
inline void SetKeyDacl(HKEY key, const wchar_t* sddl) {
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd,
                                                                     nullptr));
  EXPECT_EQ(::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd), ERROR_SUCCESS);
  ::LocalFree(sd);
}

}  // namespace obrivo::test
