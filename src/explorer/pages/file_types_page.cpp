// The File Types page: the programs that open each watched file type, with Add and Remove of
// the watched extensions (neither changes an association itself).
#include "explorer/pages/page_registry.h"

#include <map>
#include <optional>
#include <string>

#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "core/file_type_list.h"
#include "core/text.h"
#include "explorer/add_file_type_dialog.h"
#include "explorer/list_view.h"
#include "explorer/messages.h"
#include "explorer_ids.h"
#include "file_types/associations.h"
#include "string_ids.h"

namespace obrivo::explorer {
namespace {

std::string_view KindText(int kind) {
  switch (kind) {
    case 1:
      return "System";
    case 2:
    case 3:
      return "Explorer";
    case file_types::kRootKind:
      return "Root";
    default:
      return {};
  }
}

// The Command column: the program's file name, or what the command is when it names none.
std::string CommandDisplayName(std::string_view command) {
  switch (core::ClassifyCommand(command)) {
    case core::CommandKind::Empty:
      return common::LoadText(IDS_NO_ASSOCIATED_FILE, 64);
    case core::CommandKind::SelfExecuting:
      return common::LoadText(IDS_EXECUTABLE, 64);
    case core::CommandKind::Program:
      break;
  }
  const std::string program = common::CommandToProgramPath(command);
  return program.empty() ? std::string(command) : core::FileNamePart(program);
}

void Fill(Page& page) {
  file_types::EnumFileTypes();
  page.items() = common::Items();
  std::map<std::string, std::optional<common::VersionInfo>> versions;
  for (std::size_t i = 0; i < page.items().Count(); ++i) {
    const core::Item& item = page.items().At(i);
    const core::IconLocation icon = file_types::FileTypeIcon(item.text, item.command);
    const int row = page.AddRow(i, item.title, icon.file, icon.index);
    const std::string program = common::CommandToProgramPath(item.command);
    auto known = versions.find(program);
    if (known == versions.end())
      known = versions.emplace(program, program.empty() ? std::nullopt
                                                        : common::ReadVersionInfo(program))
                  .first;
    SetCellText(page.list(), row, 1, CommandDisplayName(item.command));
    SetCellText(page.list(), row, 2, known->second ? known->second->companyName : std::string());
    SetCellText(page.list(), row, 3, item.key);
    SetCellText(page.list(), row, 4, item.text);
    SetCellText(page.list(), row, 5, KindText(item.flag));
  }
}

void AddExtension(Page& page) {
  if (ShowAddFileTypeDialog(page.window())) page.Fill();
}

// At once, without asking: the association itself stays as it is, only the watching ends.
void RemoveSelected(Page& page) {
  const int index = page.SelectedItem();
  if (index < 0) {
    ShowNoSelection(page.window());
    return;
  }
  file_types::RemoveMonitoredFileType(page.items().At(static_cast<std::size_t>(index)).text);
  page.Fill();
}

constexpr int kTitleColumn = 0;
constexpr int kClassColumn = 3;

}  // namespace

const PageDescription& FileTypesPage() {
  using E = core::RowMenuEntry;
  static const PageDescription page = [] {
    PageDescription d;
    d.code = 6042;
    d.dialogId = IDD_FILE_TYPES_PAGE;
    d.columns = {{IDS_COLUMN_TITLE},
                 {IDS_COLUMN_COMMAND},
                 {IDS_COLUMN_COMPANY},
                 {747},
                 {748},
                 {IDS_COLUMN_TYPE, false, false}};
    d.menu = {E::Info, E::ViewNote, E::Add, E::Remove};
    d.sortOption = "SortFileType";
    d.bottomButtons = {IDC_INFO, IDC_ADD, IDC_REMOVE, IDC_CLOSE};
    d.monitor = MonitorPicture{"FileType", "RealtimeFileType"};
    d.fill = Fill;
    // Each time the page shows, the rows come grouped by class, and a click on Title then sorts
    // them descending.
    d.activate = [](Page& p) {
      p.SortInClickDirection(kClassColumn);
      p.SetClickDirection(kTitleColumn, true);
    };
    d.commands = {
        {IDC_ADD, AddExtension},
        {IDC_REMOVE, RemoveSelected},
    };
    return d;
  }();
  return page;
}

}  // namespace obrivo::explorer
