// The name, edition, service pack and build of Windows as one text, for the report headers.
#pragma once

#include <string>

namespace obrivo::core {

struct WindowsVersionFacts {
  int platform = 2;  // 0 Win32s, 1 Windows 9x, 2 NT
  int major = 0, minor = 0, build = 0;
  std::string servicePack;  // the service-pack text ("Service Pack 2", " C")
  int servicePackMajor = 0;
  int suiteMask = 0;
  int productType = 1;  // 1 workstation, 2 domain controller, 3 server
  bool tabletPc = false;
  bool extended = true;             // the extended structure was available
  std::string productOptionsType;   // ProductOptions\ProductType, read without it
  bool hotfixQ246009 = false;       // NT 4's Service Pack 6a
};

std::string DescribeWindowsVersion(const WindowsVersionFacts& v);

}  // namespace obrivo::core
