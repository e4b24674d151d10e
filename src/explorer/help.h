// The help pages: a file in the program folder when it is there, the vendor's web site otherwise.
#pragma once

#include <windows.h>

#include <string>

namespace obrivo::explorer {

struct HelpTarget {
  bool local = false;    // a file of the program folder
  std::string location;  // its path, or the web address
};

// Where the help for a page code is: the local file first.
HelpTarget HelpPageTarget(int pageCode);
void OpenHelpPage(HWND owner, int pageCode);

}  // namespace obrivo::explorer
