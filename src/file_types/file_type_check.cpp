#include "file_types/file_type_check.h"

#include <vector>

#include "common/first_detected.h"
#include "common/items.h"
#include "core/alert_rules.h"
#include "core/file_type_list.h"
#include "file_types/associations.h"

namespace obrivo::file_types {
namespace {

void PutBack(const FileTypeChange& change, const FileTypeCheckHooks& hooks) {
  if (!RestoreFileType(change.extension, change.kind) && hooks.restoreFailed)
    hooks.restoreFailed(change);
}

}  // namespace

std::size_t VerifyFileTypes(const FileTypeCheckHooks& hooks) {
  const std::size_t rows = EnumFileTypes();
  // The alerts below pump messages; the rows are copied so nothing can change them meanwhile.
  std::vector<core::Item> items;
  for (std::size_t i = 0; i < rows; ++i) items.push_back(common::Items().At(i));
  for (const core::Item& item : items) {
    FileTypeChange change{item.text, item.flag, {}, item.command};
    const auto accepted = BaselineAssociation(change.extension, change.kind);
    if (!accepted || accepted->command.text.empty()) {
      SnapshotFileType(change.kind, change.extension);
      continue;
    }
    change.previousCommand = accepted->command.Expanded();
    if (!core::CommandTailsDiffer(change.previousCommand, change.newCommand)) continue;
    if (hooks.locked) {
      PutBack(change, hooks);
      continue;
    }
    common::RecordFirstDetected(common::kDetectedFileTypes, change.previousCommand);
    common::RecordFirstDetected(common::kDetectedFileTypes, change.newCommand);
    if (hooks.showAlertIcon) hooks.showAlertIcon();
    const int answer = hooks.ask ? hooks.ask(change) : 0;
    if (answer == core::kAlertYes)
      SnapshotFileType(change.kind, change.extension);
    else if (answer == core::kAlertNo)
      PutBack(change, hooks);
  }
  return rows;
}

}  // namespace obrivo::file_types
