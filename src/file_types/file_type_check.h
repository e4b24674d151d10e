// The Monitor's file-type check: each listed association against the accepted one.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace obrivo::file_types {

// A changed association, as the alert shows it.
struct FileTypeChange {
  std::string extension;        // ".TXT" as the list spells it
  int kind = 0;
  std::string previousCommand;  // accepted, expanded
  std::string newCommand;       // now, expanded
};

struct FileTypeCheckHooks {
  bool locked = false;  // every change is put back without asking
  // 6 accept, 7 put the accepted association back; 0 (no alert could be shown) decides nothing.
  std::function<int(const FileTypeChange&)> ask;
  std::function<void()> showAlertIcon;
  // The accepted association could not be written back: the change stays, and is found again.
  std::function<void(const FileTypeChange&)> restoreFailed;
};

// Lists the associations and compares each with its accepted command: a kind with nothing
// accepted yet is accepted silently; a command whose text after the last backslash differs is a
// change. Returns the number of rows examined.
std::size_t VerifyFileTypes(const FileTypeCheckHooks& hooks);

}  // namespace obrivo::file_types
