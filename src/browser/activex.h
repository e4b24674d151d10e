// ActiveX controls: the ones Internet Explorer has used (its add-on usage statistics) and the ones
// named in its compatibility list, and their kill bits, which stop the browser from loading them.
//
// A control is known by its class identifier (core::ClassIdentity): spellings without braces or
// in lower case are one control, a name that is no class identifier meets only itself.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/item_list.h"

namespace obrivo::browser {

// Below HKEY_LOCAL_MACHINE: one subkey per class, holding `Compatibility Flags`.
inline constexpr std::string_view kActiveXCompatibilityKey =
    "SOFTWARE\\Microsoft\\Internet Explorer\\ActiveX Compatibility";
// Below HKEY_CURRENT_USER: one subkey per class the browser has used.
inline constexpr std::string_view kActiveXStatsKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats";
inline constexpr DWORD kKillBit = 0x400;

// The class's `Compatibility Flags`. A missing key or value, and a value that is no four-byte
// REG_DWORD (a string, binary data, nothing at all), read as 0, as the browser reads them.
DWORD GetCompatibilityFlags(std::string_view clsid);
// The kill bit is clear.
bool IsActiveXEnabled(std::string_view clsid);

struct KillBitWrite {
  bool done = false;            // the bit is as asked now
  bool changed = false;         // it was not before (history written)
  DWORD error = ERROR_SUCCESS;  // why not, when not done
};

// Sets or clears the kill bit of the control, keeping every other bit, as a REG_DWORD (a value of
// another type is replaced). A control already in that state is left as it is. A change writes
// history (ACTIVEX_Disable or ACTIVEX_Enable naming the control's compatibility key); a write
// that fails changes nothing, is not done and writes no history.
KillBitWrite DisableActiveX(const core::Item& control);
KillBitWrite EnableActiveX(const core::Item& control);

// "HKLM\<compatibility key>\<class>": where the control's kill bit lives.
std::string ActiveXLocation(std::string_view clsid);

struct ActiveXListing {
  bool keep = false;           // append to the item list instead of emptying it first
  bool hideMicrosoft = false;  // leave out Microsoft's own controls (IsMicrosoftControl)
};

// The controls the browser has used: title (the class's text, else the file's description, else
// its product name, else its file name), path (the class's in-process server), key (the class as
// the statistics name it), text (the file's product version), type 1200, flag (its compatibility
// flags). A class without a server, and one the browser no longer loads (its `iexplore` `Type`
// is 2 or more), is left out. Returns the list's count.
std::size_t EnumUsedActiveX(const ActiveXListing& listing);
// Empties the list, lists the used controls, then every class of the compatibility list (by its
// `AlternateCLSID` when it names one). A control in both places is listed twice.
std::size_t EnumAllActiveX(bool hideMicrosoft);

// The names the statistics give the used controls, without reading a class or a file.
std::vector<std::string> UsedActiveXNames();

// Microsoft's own control: its file names Microsoft as its company and lies in the Windows folder
// (any file can claim the company).
bool IsMicrosoftControl(std::string_view path, std::string_view company);

}  // namespace obrivo::browser
