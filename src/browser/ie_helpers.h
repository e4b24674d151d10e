// Browser add-ons that load themselves into Internet Explorer: Browser Helper Objects, toolbars
// and toolbar or menu extensions, as one item list; their removal and its undo.
//
// An add-on is known by its kind (the item's type) and its class identifier (the item's key,
// exactly as its registration names it), never by its title: any add-on can give itself a known
// product's name. Removal deletes the registrations directly and never loads or starts the file,
// which is the add-on's own, untrusted code.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/item_list.h"

namespace obrivo::browser {

// Below HKEY_LOCAL_MACHINE: BHOs and extensions are subkeys, toolbars values.
inline constexpr std::string_view kBrowserHelperObjectsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";
inline constexpr std::string_view kToolbarKey = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";
inline constexpr std::string_view kExtensionsKey =
    "SOFTWARE\\Microsoft\\Internet Explorer\\Extensions";

// Empties the item list and lists every add-on: title, path (the file it loads; empty when its
// class is not registered or an extension names no command), key (its class identifier as the
// registration gives it), text (the file's product version; an extension's HotIcon, else its
// path), type 900, 901 or 902. A BHO whose class has no InprocServer32 cannot load and is left
// out. Returns the number of items.
std::size_t EnumIEHelpers();

// The identities (core::AddOnIdentity) of every registration in the three places, from their
// names alone: enough for a patrol to tell that nothing is new without reading a class or file.
// Unlike EnumIEHelpers it includes BHOs whose class has no server.
std::vector<std::string> RegisteredIEHelperIdentities();

// The registration of an add-on of `type` named `key`, as the history and the Info window show
// it: "HKLM\<key of its kind>\<key>" (for a toolbar, the key and the value's name).
std::string IEHelperLocation(int type, std::string_view key);
// The key of the add-on's kind alone ("HKLM\SOFTWARE\...\Toolbar"); empty for another type.
std::string IEHelperKindLocation(int type);

struct IEHelperRemoval {
  bool removed = false;
  DWORD error = ERROR_SUCCESS;  // why not, when not removed
};

// Saves the add-on's registration (and its class registration, when no other add-on or shell
// object names that class) in the store, then deletes them. A registration that cannot be saved
// or deleted is left as it was (what was deleted of it is written back), counts as no removal and
// writes no history; a removal writes history record 3 naming the registration.
IEHelperRemoval RemoveIEHelper(const core::Item& item);

// Writes back what RemoveIEHelper saved for the add-on of `type` whose registration was
// `location` (the removal's history record), then forgets the saved copy and writes history
// record 14. False when nothing is saved for it or it could not be written.
bool RestoreIEHelper(int type, std::string_view location);

// The store key under HKEY_LOCAL_MACHINE where removed registrations are kept.
std::string RemovedIEHelpersKey();

}  // namespace obrivo::browser
