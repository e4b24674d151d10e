// What the Startup Programs page's buttons do to the selected entries, and adding a program.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "explorer/page.h"
#include "startup/delete_on_reboot.h"

namespace obrivo::explorer {

// Each selected disabled entry is enabled again.
void EnableSelectedEntries(Page& page);
// Each selected entry's program is ended when it runs (asked first when one row is selected),
// and the entry is disabled.
void DisableSelectedEntries(Page& page);
// One selected entry: its program ended after asking, then the removal asked with string 15.
// Several: ended and removed without asking. Advanced entries go through their warning.
void RemoveSelectedEntries(Page& page);

// "Delete File on Reboot" for the selected entry: after string 800 is answered Yes, its program
// file (not the whole command; for a RUNDLL32 entry the DLL) is scheduled for deletion at the
// next restart. A file that cannot be found or scheduled is reported, with the reason.
void DeleteSelectedEntryOnReboot(Page& page);
// The same for any page: `schedule` names and schedules the selected item's file.
void DeleteSelectedFileOnReboot(
    Page& page, const std::function<startup::RebootDeletion(const core::Item&)>& schedule);

// The file chooser of Add over `owner`: the program file chosen; empty when cancelled.
std::string ChooseProgramFile(HWND owner);
// The file chooser, then AddStartupProgram of the chosen file.
void AddStartupProgramFromChooser(Page& page);
// Adds `path` to the user's Run key under the title its version information gives (the file's
// name without extension when it has none) and accepts it in the baseline, so the Monitor does
// not ask about what the user added. Returns the title; empty when nothing was added.
std::string AddStartupProgram(std::string_view path);

}  // namespace obrivo::explorer
