// The address of the vendor's program information page for one program.
#pragma once

#include <string>
#include <string_view>

namespace obrivo::core {

// The vendor's web site; every vendor address is built on it.
inline constexpr std::string_view kVendorSite = "https://www.tolvane.com";

struct LookupRequest {
  std::string programName;  // file name of the program (or the item's title)
  std::string vendor;       // company name
  std::string version;      // file version
  std::string build;        // our own version
  int type = 0;             // lookup type: item type + 1000, 450 search, 460/470 shell menu
  std::string language;     // "en", "de", "fr" (or the string-634 code in the detailed form)
  std::string extension;    // of the file name, without the dot
  // The detailed form, when the user allowed data collection:
  bool detailed = false;
  std::string productName, copyright, description, created, detected, fileSize, path;
};

// The full address. Every value is escaped, so nothing in a name can change the address.
std::string BuildLookupAddress(const LookupRequest& r);

// The version check page: `storedAddress` (the machine's GetVersion value) when set, else the
// vendor's version script, followed by "&build=" and our version and "&Loc=" and the language.
std::string BuildVersionCheckAddress(std::string_view storedAddress, std::string_view build,
                                     std::string_view language);

// True for an address that may be handed to the shell: http or https only.
bool IsWebAddress(std::string_view address);

}  // namespace obrivo::core
