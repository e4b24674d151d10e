// The address of the program information page, and which addresses may go to the shell.
#include "core/online_lookup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace obrivo::core {
namespace {

LookupRequest Plain() {
  LookupRequest r;
  r.programName = "agent.exe";
  r.vendor = "Acme Corp";
  r.version = "1.2";
  r.build = "16.0.2009.5";
  r.type = 1400;
  r.language = "en";
  r.extension = "exe";
  return r;
}

LookupRequest Detailed() {
  LookupRequest r = Plain();
  r.detailed = true;
  r.language = "de";
  r.productName = "Agent Tool";
  r.copyright = "(c) A&B";
  r.description = "Agent";
  r.created = "2024/03/05 07:08";
  r.detected = "03/05/2024";
  r.fileSize = "1,234";
  r.path = "\"C:\\Tools\\agent.exe\" -x";
  return r;
}

// The parameter names of an address, in order; empty when the query is not well formed
// (a second "?", a fragment, or a part that is not exactly one name=value pair).
std::vector<std::string> ParameterNames(const std::string& address) {
  const std::size_t q = address.find('?');
  if (q == std::string::npos || address.find('?', q + 1) != std::string::npos ||
      address.find('#') != std::string::npos)
    return {};
  std::vector<std::string> names;
  std::size_t start = q + 1;
  while (start <= address.size()) {
    std::size_t end = address.find('&', start);
    if (end == std::string::npos) end = address.size();
    const std::string part = address.substr(start, end - start);
    const std::size_t eq = part.find('=');
    if (eq == std::string::npos || part.find('=', eq + 1) != std::string::npos) return {};
    names.push_back(part.substr(0, eq));
    start = end + 1;
  }
  return names;
}

const std::vector<std::string> kPlainNames = {"program", "vendor", "version", "build",
                                              "Type",    "Loc",    "ext"};
const std::vector<std::string> kDetailedNames = {"program", "vendor",   "build", "Type", "Loc",
                                                 "ext",     "version",  "name",  "copy", "detail",
                                                 "created", "detected", "fsize", "path"};

TEST(OnlineLookup, PlainAddress) {
  EXPECT_EQ(BuildLookupAddress(Plain()),
            "https://www.tolvane.com/cgi-bin/plusinfo.pl?program=agent.exe&vendor=Acme%20Corp"
            "&version=1.2&build=16.0.2009.5&Type=1400&Loc=en&ext=exe");

  LookupRequest noExtension = Plain();
  noExtension.extension.clear();
  const std::string address = BuildLookupAddress(noExtension);
  EXPECT_EQ(address.substr(address.size() - 5), "&ext=");
}

TEST(OnlineLookup, DetailedAddress) {
  EXPECT_EQ(BuildLookupAddress(Detailed()),
            "https://www.tolvane.com/cgi-bin/plusinfo12.pl?program=agent.exe&vendor=Acme%20Corp"
            "&build=16.0.2009.5&Type=1400&Loc=de&ext=exe&version=1.2&name=Agent%20Tool"
            "&copy=(c)%20A+B&detail=Agent&created=2024/03/05%2007:08&detected=03/05/2024"
            "&fsize=1,234&path=%22C:%5CTools%5Cagent.exe%22%20-x");

  LookupRequest noLanguage = Detailed();
  noLanguage.language.clear();
  EXPECT_NE(BuildLookupAddress(noLanguage).find("&Loc=en&"), std::string::npos);
}

TEST(OnlineLookup, NoValueCanAddOrChangeAParameter) {
  const std::string hostile[] = {
      "a&Type=1", "a#frag", "a?x=1", "a=b",  "\"q\" 'x' <y>", "a b",
      "Жук.exe",  "a\r\nb", "a+b&c", "%41%", "a\\b",          "&&==??##",
  };
  for (const std::string& value : hostile) {
    SCOPED_TRACE(value);
    for (bool detailed : {false, true}) {
      LookupRequest r = detailed ? Detailed() : Plain();
      r.programName = r.vendor = r.version = r.build = r.language = r.extension = value;
      r.productName = r.copyright = r.description = r.created = r.detected = r.fileSize = r.path =
          value;
      const std::string address = BuildLookupAddress(r);
      EXPECT_EQ(ParameterNames(address), detailed ? kDetailedNames : kPlainNames) << address;
      EXPECT_EQ(address.find("&Type=", address.find("&Type=") + 1), std::string::npos);
      for (char c : address)
        EXPECT_TRUE(c > 0x20 && c < 0x7F) << "unescaped byte " << int(c) << " in " << address;
    }
  }
}

TEST(OnlineLookup, OnlyWebAddressesGoToTheShell) {
  const struct {
    std::string address;
    bool web;
  } cases[] = {
      {"http://www.tolvane.com/", true},
      {"https://www.tolvane.com/cgi-bin/plusinfo.pl?program=x", true},
      {"HTTPS://X", true},
      {"Http://x", true},
      {"file:///C:/Windows/system32/calc.exe", false},
      {"javascript:alert(1)", false},
      {"C:\\x", false},
      {"\\\\server\\share\\x.exe", false},
      {"ftp://x", false},
      {"http:x", false},
      {"httpx://x", false},
      {" http://x", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsWebAddress(c.address), c.web) << c.address;
}

TEST(OnlineLookup, VersionCheckAddress) {
  const struct {
    std::string stored, build, language, address;
  } cases[] = {
      {"", "16.0.2009.5", "en",
       "https://www.tolvane.com/cgi-bin/version.pl?&build=16.0.2009.5&Loc=en"},
      // The machine's own address wins; our values still follow it, escaped.
      {"https://updates.example/check?", "16.0 beta&1", "de",
       "https://updates.example/check?&build=16.0%20beta+1&Loc=de"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(BuildVersionCheckAddress(c.stored, c.build, c.language), c.address);
}

}  // namespace
}  // namespace obrivo::core
