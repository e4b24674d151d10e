// The Windows description of the report headers, over the versions and editions it names.
#include "core/windows_version.h"

#include <gtest/gtest.h>

namespace obrivo::core {
namespace {

TEST(WindowsVersion, Descriptions) {
  const auto nt = [](int major, int minor, int sp, int type, int suite) {
    WindowsVersionFacts v;
    v.major = major;
    v.minor = minor;
    v.build = 2600;
    v.servicePackMajor = sp;
    v.servicePack = sp ? "Service Pack " + std::to_string(sp) : "";
    v.productType = type;
    v.suiteMask = suite;
    return v;
  };
  WindowsVersionFacts tablet = nt(5, 1, 2, 1, 0);
  tablet.tabletPc = true;
  WindowsVersionFacts oldNt = nt(4, 0, 0, 1, 0);
  oldNt.extended = false;
  oldNt.productOptionsType = "LANMANNT";
  oldNt.servicePack = "Service Pack 6";
  oldNt.build = 1381;
  WindowsVersionFacts sp6a = nt(4, 0, 6, 1, 0);
  sp6a.hotfixQ246009 = true;
  sp6a.build = 1381;
  WindowsVersionFacts win11 = nt(10, 0, 0, 1, 0);
  win11.build = 22631;
  WindowsVersionFacts win95;
  win95.platform = 1;
  win95.major = 4;
  win95.servicePack = " C";
  WindowsVersionFacts win98 = win95;
  win98.minor = 10;
  win98.servicePack = " A";
  WindowsVersionFacts win32s;
  win32s.platform = 0;
  // clang-format off
  const struct {
    WindowsVersionFacts facts;
    std::string text;
  } cases[] = {
      {nt(5, 1, 3, 1, 0x200), "Windows XP SP3 Home Edition Service Pack 3 (Build 2600)"},
      {nt(5, 1, 0, 1, 0), "Windows XP  (Build 2600)"},
      {tablet, "Windows XP SP2 Tablet PC Edition Service Pack 2 (Build 2600)"},
      {nt(5, 2, 1, 3, 0x80), "Windows Server 2003 family, SP1 Datacenter Edition Service Pack 1 (Build 2600)"},
      {nt(5, 2, 0, 3, 0x2), "Windows Server 2003 family, Enterprise Edition  (Build 2600)"},
      {nt(5, 2, 0, 3, 0x400), "Windows Server 2003 family, Web Edition  (Build 2600)"},
      {nt(5, 2, 0, 2, 0x410), "Windows Server 2003 family, Standard Edition  (Build 2600)"},
      {nt(5, 0, 0, 3, 0x2), "Windows 2000 Advanced Server  (Build 2600)"},
      {nt(4, 0, 0, 1, 0), "Windows NT Workstation 4.0  (Build 2600)"},
      {nt(4, 0, 0, 3, 0x2), "Windows NT Server 4.0, Enterprise Edition  (Build 2600)"},
      {oldNt, "Windows NT Server 4.0 Service Pack 6 (Build 1381)"},
      {sp6a, "Windows NT Workstation 4.0 Service Pack 6a (Build 1381)"},
      {nt(6, 0, 1, 1, 0), "Windows Vista SP1 Service Pack 1 (Build 2600)"},
      {nt(6, 1, 1, 1, 0), "Windows 7 SP1 Service Pack 1 (Build 2600)"},
      {nt(6, 3, 0, 1, 0), "Windows 8.1  (Build 2600)"},
      {nt(10, 0, 0, 1, 0), "Windows 10  (Build 2600)"},
      {win11, "Windows 11  (Build 22631)"},
      {win95, "Microsoft Windows 95 OSR2 "},
      {win98, "Microsoft Windows 98 SE "},
      {win32s, "Microsoft Win32s"},
  };
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DescribeWindowsVersion(c.facts), c.text);
  }
}

}  // namespace
}  // namespace obrivo::core
