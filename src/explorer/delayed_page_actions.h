// What the Delayed Start page's commands do to the selected entries and adding a program; the
// Startup page's move into the delayed-start list and the Options page's return of them all.
#pragma once

#include <optional>

#include "core/item_list.h"
#include "explorer/page.h"
#include "startup/delayed_list.h"

namespace obrivo::explorer {

// The delayed-start entry a row of the Delayed Start page lists (its path is the entry's name,
// its flag the hive), as the list holds it now; nothing when it has left the list meanwhile.
std::optional<startup::DelayedEntry> ListedDelayedEntry(const core::Item& item);

// Starts each selected program now, with the parameters stored in the entry's own hive; a start
// that fails is said.
void LaunchSelectedDelayed(Page& page);
// Asks for each selected entry whether its program goes back to the startup list (Yes), only
// leaves the delayed list (No), or whether the command stops (Cancel). A return that fails is
// said and the entry stays listed.
void RemoveSelectedDelayed(Page& page);
// Each selected entry back to its startup location; a return that fails is said.
void RestoreSelectedDelayed(Page& page);
// The file chooser, then whom the program starts for; a program the list holds already is said.
void AddDelayedFromChooser(Page& page);
// The delay options of the selected entry.
void EditSelectedDelayOptions(Page& page);

// The Startup page's "Move to Delayed Start": each selected entry into the delayed list, a
// machine-wide one only after the user agreed; an entry that must stay, is disabled, is listed
// already or could not be moved is said. This product's own entry ends the command.
void MoveSelectedToDelayed(Page& page);

// The Options page's "Restore All Delayed": every delayed program back to its startup location;
// said when some could not go back.
void RestoreEveryDelayed(Page& page);

// Tells the Startup and Delayed Start pages that entries moved between their lists.
void NoteStartupListsChanged();

}  // namespace obrivo::explorer
