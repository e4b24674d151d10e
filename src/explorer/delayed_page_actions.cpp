// The delayed-start list's commands on the Delayed Start, Startup and Options pages.
#include "explorer/delayed_page_actions.h"

#include <string>
#include <vector>

#include "common/text_loader.h"
#include "common/utilities.h"
#include "core/text.h"
#include "explorer/delay_options_dialog.h"
#include "explorer/explorer_state.h"
#include "explorer/messages.h"
#include "explorer/startup_page_actions.h"
#include "explorer/startup_type_dialog.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

constexpr int kMachineWideQuestionId = 1120;
constexpr int kMustStayId = 1130;
constexpr int kRemoveQuestionId = 1134;

// The selected rows' items, copied: every command refills the list, which replaces them.
std::vector<core::Item> SelectedCopies(Page& page) {
  std::vector<core::Item> items;
  for (std::size_t index : page.SelectedItemsOrSay()) items.push_back(page.items().At(index));
  return items;
}

void Say(Page& page, int id, std::string_view name, UINT icon = MB_ICONWARNING) {
  ShowMessageText(page.window(), core::FormatText(common::LoadText(id), name), icon);
}

// An entry that could not go back keeps its place in the list, and the user hears of it.
void ReturnToStartup(Page& page, const core::Item& item) {
  const auto entry = ListedDelayedEntry(item);
  if (entry && !startup::RestoreFromDelayed(*entry, true))
    Say(page, IDS_DELAY_RETURN_FAILED, item.title);
}

bool StartNow(const startup::DelayedEntry& entry) {
  // A program that ran through a host (RUNDLL32) cannot start by itself: the launcher's own
  // start runs the host with it, and never finds the program's file running as a process.
  if (!entry.applet.empty())
    return startup::LaunchDelayedEntry(entry) == startup::DelayLaunch::Started;
  return startup::LaunchDelayedNow(entry.name, entry.parameters);
}

void Refill(Page& page) {
  NoteStartupListsChanged();
  page.Fill();
}

}  // namespace

std::optional<startup::DelayedEntry> ListedDelayedEntry(const core::Item& item) {
  const auto hive = item.flag == static_cast<int>(startup::DelayHive::Machine)
                        ? startup::DelayHive::Machine
                        : startup::DelayHive::User;
  return startup::FindDelayedEntry(hive, item.path);
}

void NoteStartupListsChanged() { ++Explorer().startupListChanges; }

void LaunchSelectedDelayed(Page& page) {
  const std::vector<core::Item> items = SelectedCopies(page);
  if (items.empty()) return;
  for (const core::Item& item : items) {
    const auto entry = ListedDelayedEntry(item);
    if (!entry || !StartNow(*entry)) Say(page, IDS_DELAY_LAUNCH_FAILED, item.title);
  }
  page.Fill();  // the Status column shows what runs now
}

void RemoveSelectedDelayed(Page& page) {
  const std::vector<core::Item> items = SelectedCopies(page);
  if (items.empty()) return;
  for (const core::Item& item : items) {
    // The question names the program, as several may be asked about in turn.
    const int answer = Ask(page.window(), item.title + "\n\n" + common::LoadText(kRemoveQuestionId),
                           MB_YESNOCANCEL, MB_ICONQUESTION);
    if (answer == IDCANCEL) break;
    if (answer == IDYES) {
      ReturnToStartup(page, item);
    } else if (const auto entry = ListedDelayedEntry(item)) {
      if (!startup::DropDelayedEntry(entry->name, entry->hive))
        Say(page, IDS_DELAY_DROP_FAILED, item.title);
    }
  }
  Refill(page);
}

void RestoreSelectedDelayed(Page& page) {
  const std::vector<core::Item> items = SelectedCopies(page);
  if (items.empty()) return;
  for (const core::Item& item : items) ReturnToStartup(page, item);
  Refill(page);
}

void AddDelayedFromChooser(Page& page) {
  const std::string path = ChooseProgramFile(page.window());
  if (path.empty()) return;
  const auto hive = AskStartupType(page.window());
  if (!hive) return;
  if (!startup::AddDelayedProgram(path, *hive)) {
    // The list names a program by its file in upper case, as the addition did.
    const std::string name = core::ToUpper(common::CommandToProgramPathAndArgs(path).path);
    const bool listed = startup::FindDelayedEntry(*hive, name).has_value();
    Say(page, listed ? IDS_DELAY_ADD_LISTED : IDS_DELAY_ADD_FAILED, path,
        listed ? MB_ICONINFORMATION : MB_ICONWARNING);
  }
  page.Fill();
}

void EditSelectedDelayOptions(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return;
  }
  const auto entry = ListedDelayedEntry(page.items().At(static_cast<std::size_t>(index)));
  // An entry gone meanwhile has nothing to set: the refill shows it gone.
  if (!entry || ShowDelayOptionsDialog(page.window(), *entry)) page.Fill();
}

void MoveSelectedToDelayed(Page& page) {
  const std::vector<core::Item> items = SelectedCopies(page);
  if (items.empty()) return;
  const auto confirm = [&page] {
    return Ask(page.window(), common::LoadText(kMachineWideQuestionId), MB_OKCANCEL,
               MB_ICONEXCLAMATION) == IDOK;
  };
  for (const core::Item& item : items) {
    const startup::DelayMove moved = startup::MoveToDelayed(item, confirm);
    if (moved == startup::DelayMove::MustStay) {
      ShowMessage(page.window(), kMustStayId);
      if (startup::IsProductStartupEntry(item)) break;
    } else if (moved == startup::DelayMove::AlreadyListed) {
      Say(page, IDS_ALREADY_DELAYED, item.title, MB_ICONINFORMATION);
    } else if (moved == startup::DelayMove::Failed) {
      // A disabled entry is not moved: what brings it back is in the Disabled store.
      Say(page, item.disabled ? IDS_DELAY_DISABLED_ENTRY : IDS_DELAY_MOVE_FAILED, item.title,
          item.disabled ? MB_ICONINFORMATION : MB_ICONWARNING);
    }
  }
  Refill(page);
}

void RestoreEveryDelayed(Page& page) {
  if (!startup::RestoreAllDelayed())
    ShowMessage(page.window(), IDS_RESTORE_ALL_INCOMPLETE, MB_ICONWARNING);
  NoteStartupListsChanged();
}

}  // namespace obrivo::explorer
