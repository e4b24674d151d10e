#include "core/windows_version.h"

#include "core/text.h"

namespace obrivo::core {

namespace {

constexpr int kSuitePersonal = 0x200, kSuiteDatacenter = 0x80, kSuiteEnterprise = 0x2,
              kSuiteBlade = 0x400;

std::string NtName(const WindowsVersionFacts& v) {
  if (v.major == 5 && v.minor == 2) return "Windows Server 2003 family, ";
  if (v.major == 5 && v.minor == 1) return "Windows XP ";
  if (v.major == 5 && v.minor == 0) return "Windows 2000 ";
  if (v.major <= 4) return "Windows NT ";
  // Later versions by their own names: 6.1 and above were never Vista.
  if (v.major == 6 && v.minor == 0) return "Windows Vista ";
  if (v.major == 6 && v.minor == 1) return "Windows 7 ";
  if (v.major == 6 && v.minor == 2) return "Windows 8 ";
  if (v.major == 6 && v.minor == 3) return "Windows 8.1 ";
  if (v.major == 10) return v.build >= 22000 ? "Windows 11 " : "Windows 10 ";
  if (v.major == 7 && v.minor == 3) return "Windows XP ";
  return "Windows ";
}

std::string NtProduct(const WindowsVersionFacts& v) {
  if (!v.extended) {
    std::string type;
    if (EqualsNoCase(v.productOptionsType, "WINNT")) type = "Workstation ";
    if (EqualsNoCase(v.productOptionsType, "LANMANNT")) type = "Server ";
    if (EqualsNoCase(v.productOptionsType, "SERVERNT")) type = "Advanced Server ";
    return type + std::to_string(v.major) + "." + std::to_string(v.minor) + " ";
  }
  if (v.productType == 1) {
    if (v.major == 4) return "Workstation 4.0 ";
    if (v.suiteMask & kSuitePersonal) return "Home Edition ";
    return {};
  }
  if (v.major == 5 && v.minor == 2) {
    if (v.suiteMask & kSuiteDatacenter) return "Datacenter Edition ";
    if (v.suiteMask & kSuiteEnterprise) return "Enterprise Edition ";
    if (v.suiteMask == kSuiteBlade) return "Web Edition ";
    return "Standard Edition ";
  }
  if (v.major == 5 && v.minor == 0) {
    if (v.suiteMask & kSuiteDatacenter) return "Datacenter Server ";
    if (v.suiteMask & kSuiteEnterprise) return "Advanced Server ";
    return "Server ";
  }
  if (v.major == 4)
    return (v.suiteMask & kSuiteEnterprise) ? "Server 4.0, Enterprise Edition " : "Server 4.0 ";
  return {};
}

}  // namespace

std::string DescribeWindowsVersion(const WindowsVersionFacts& v) {
  if (v.platform == 0) return "Microsoft Win32s";
  if (v.platform == 1) {
    const char letter = v.servicePack.size() > 1 ? v.servicePack[1] : '\0';
    if (v.major == 4 && v.minor == 0)
      return std::string("Microsoft Windows 95 ") + (letter == 'C' || letter == 'B' ? "OSR2 " : "");
    if (v.major == 4 && v.minor == 10)
      return std::string("Microsoft Windows 98 ") + (letter == 'A' ? "SE " : "");
    if (v.major == 4 && v.minor == 90) return "Microsoft Windows Millennium Edition";
    return "Microsoft Windows";
  }
  std::string out = NtName(v);
  if (v.servicePackMajor >= 1 && v.servicePackMajor <= 3)
    out += "SP" + std::to_string(v.servicePackMajor) + " ";
  if (v.tabletPc) out += "Tablet PC Edition ";
  out += NtProduct(v);
  if (v.major == 4 && v.servicePack == "Service Pack 6" && v.hotfixQ246009)
    return out + "Service Pack 6a (Build " + std::to_string(v.build) + ")";
  return out + v.servicePack + " (Build " + std::to_string(v.build) + ")";
}

}  // namespace obrivo::core
