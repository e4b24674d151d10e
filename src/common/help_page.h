// The help pages: a file in the program folder when it is there, the vendor's web site otherwise.
#pragma once

#include <windows.h>

#include <string>

namespace obrivo::common {

// The Explorer's page code for the general help page the Monitor opens.
inline constexpr int kGeneralHelpPage = 6051;

struct HelpTarget {
  bool local = false;    // a file of the program folder
  std::string location;  // its path, or the web address
};

// Where the help for a page code is: the local file first.
HelpTarget HelpPageTarget(int pageCode);
// Opens a local help file with the shell, a web address as every vendor page is opened.
bool OpenHelpTarget(HWND owner, const HelpTarget& target);
bool OpenHelpPage(HWND owner, int pageCode);

}  // namespace obrivo::common
