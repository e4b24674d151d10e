// Read-only inventories of further places from which code reaches the browser or the shell, for
// the reports and the hijack log. Each returns one item per entry that passes its filter; the
// ones that can say so return nothing when their key cannot be opened. Nothing here changes the
// registry or loads a file.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/item_list.h"

namespace obrivo::browser {

using Inventory = std::vector<core::Item>;

// Every BHO as registered, whether its class exists or not: title the class's text, path its
// in-process server, key the subkey name, type 900. Nothing when the key cannot be opened.
std::optional<Inventory> EnumBrowserHelperObjectsRaw();
// Every toolbar value: title the class's text, path its server, key the value name, text the
// server file's company name, type 901. Nothing when the key cannot be opened.
std::optional<Inventory> EnumToolbarsRaw();
// HKCU context-menu entries: title and key the subkey name, path its default value; entries
// without a default value are left out. Nothing when the key cannot be opened.
std::optional<Inventory> EnumMenuExtensions();
// Extensions of both hives (HKLM first): title ButtonText or "(no name)", path Script, else Exec,
// else the server of the class it names (ClsidExtension, else its own name), " (HKCU)" appended
// for the user's; key the subkey; type 1. One with MenuText gives a second item of type 2 titled
// by it. Entries without a path are left out; missing keys give an empty list.
Inventory EnumIEExtensionsRaw();
// Advanced options: title Text, path HelpID, key Bitmap up to its last backslash; the browser's
// own (HelpID naming iexplore.hlp) are left out. A missing key gives an empty list.
Inventory EnumAdvancedOptions();
// Plug-ins by extension: title and key the subkey, path Location; without a Location left out.
Inventory EnumPlugins();
// Downloaded program files: title the class's text, path the CODEBASE they came from, key the
// class's server, text the class identifier; without a CODEBASE left out.
Inventory EnumDistributionUnits();
// Delay-loaded shell service objects: title the class's text, path its server, key the class
// identifier (the value's data), text the value's name; without data or server left out.
// Nothing when the key cannot be opened.
std::optional<Inventory> EnumShellServiceObjects();
// Shared task schedulers: title the class's text, path its server, key the class identifier
// (the value's name), text the description (its data); without data or server left out.
// Nothing when the key cannot be opened.
std::optional<Inventory> EnumSharedTaskSchedulers();
// True for the shell service objects every Windows installation carries, which the hijack log
// leaves out (any spelling of their class identifiers).
bool IsStandardShellServiceObject(std::string_view clsid);
// Domains of both hives (HKLM first) put in the trusted-sites zone (2), by a value of the domain
// itself ("*", "http", ...) or of one of its subdomains: title the domain (for a subdomain
// "sub.domain"), key the hive ("HKLM" or "HKCU"). Missing keys give an empty list.
Inventory EnumTrustedZoneDomains();

}  // namespace obrivo::browser
