// The startup location codes: keys, tags, labels and where disabled entries go.
#include "core/startup_codes.h"

#include <gtest/gtest.h>

namespace obrivo::core {
namespace {

TEST(StartupCodes, EveryCodeItsKeyTagLabelAndDisabledPlace) {
  const struct {
    int code;
    const char* key;  // below its hive
    const char* tag;
    const char* label;
    const char* disabled;
  } cases[] = {
      {1, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "HKLM_RUN",
       "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Run"},
      {3, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", "HKLM_RUNONCEEX",
       "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx", "RunOnceEx"},
      {6, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup", "HKLM_RUNONCESETUP", "",
       "RunSetup"},
      {7, "Software\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\Run", "HKLM_POLICY",
       "", "Policy"},
      {11, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "HKCU_RUN",
       "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Run"},
      {15, "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce", "HKCU_RUNSERVICESONCE",
       "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce", "RunServicesOnce"},
      {17, "Software\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\Run", "HKCU_POLICY",
       "", "Policy"},
      {22, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "x64_RUNONCE",
       "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "RunOnce"},
      {26, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce\\Setup",
       "x64_RUNONCESETUP", "", ""},
      {27, "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\policies\\Explorer\\Run",
       "x64_POLICY", "", ""},
      {100, "", "WIN.INI_LOAD", "WIN.INI     [Load] Section", "WinLoad"},
      {101, "", "WIN.INI_RUN", "WIN.INI     [Run] Section", "WinRun"},
      {200, "", "STARTUP_FOLDER", "Windows Startup Group", ""},
      {250, "", "LOGON_USERINIT",
       "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Userinit", ""},
      {254, "", "SHELLHOOK",
       "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks", ""},
      {255, "", "APPINIT_DLL",
       "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows  AppInit_DLLs", ""},
      {256, "", "NOTIFY", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon Notify",
       "WinNotify"},
      // Not startup codes at all.
      {0, "", "", "", ""},
      {8, "", "", "", ""},
      {10, "", "", "", ""},
      {30, "", "", "", ""},
      {257, "", "", "", ""},
      {-1, "", "", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(RunKeyPath(c.code), c.key);
    EXPECT_EQ(StartupTypeTag(c.code), c.tag);
    EXPECT_EQ(StartupLocationText(c.code), c.label);
    EXPECT_EQ(DisabledSubkey(c.code), c.disabled);
  }
}

TEST(StartupCodes, WhatCanBeDisabled) {
  for (int code : {1, 5, 7, 11, 17, 21, 25, 100, 101, 200, 256})
    EXPECT_TRUE(CanDisable(code)) << code;
  for (int code : {26, 27, 250, 251, 252, 253, 254, 255, 0, 300})
    EXPECT_FALSE(CanDisable(code)) << code;
}

TEST(StartupCodes, RunOnceKeysLetThroughByTheOption) {
  for (int code : {2, 3, 12, 13, 22}) EXPECT_TRUE(IsLetThroughRunOnce(code)) << code;
  for (int code : {1, 4, 5, 11, 14, 15, 21, 23, 0, 100, 200})
    EXPECT_FALSE(IsLetThroughRunOnce(code)) << code;
}

TEST(StartupCodes, RunKeyCodesSplitAndJoin) {
  for (RunRoot root : {RunRoot::Machine, RunRoot::User, RunRoot::Machine32})
    for (int i = 0; i < kRunKeyCount; ++i) {
      const int code = RunKeyCodeFor(root, i);
      const auto split = SplitRunKeyCode(code);
      ASSERT_TRUE(split) << code;
      EXPECT_EQ(split->root, root);
      EXPECT_EQ(split->index, i);
    }
  EXPECT_EQ(RunKeyCodeFor(RunRoot::User, 0), 11);
  EXPECT_EQ(RunKeyCodeFor(RunRoot::Machine32, 6), 27);
}

}  // namespace
}  // namespace obrivo::core
