// Export Settings: the product's whole settings store and baselines as a registry script the
// user can import again (by double-clicking it) on this computer or another.
#pragma once

#include <string>
#include <vector>

namespace obrivo::common {

struct SettingsExport {
  bool written = false;
  std::string path;                  // where the script went (or would have gone)
  unsigned long error = 0;           // why it could not be written
  std::vector<std::string> leftOut;  // "key\value" of each value the format cannot hold
};

// The script of HKEY_CURRENT_USER\Software\Tolvane and HKEY_LOCAL_MACHINE\SOFTWARE\Tolvane, each
// key of the trees with all its values, as the file's bytes; values whose names the format
// cannot hold are named in `leftOut`.
std::string SettingsScript(std::vector<std::string>& leftOut);

// Writes the script as "<user name>-Obrivo.reg" into `folder` (the user's documents folder when
// empty), replacing an earlier one.
SettingsExport ExportSettings(const std::string& folder = {});

// The user's documents folder; empty when the system names none.
std::string DocumentsFolder();

}  // namespace obrivo::common
