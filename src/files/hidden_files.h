// Hidden files in the few folders Windows itself uses: the roots and depths walked, the listing,
// and the baseline of the files the user accepted. A file is known by its full path, exactly as
// the walk found it; names beyond ASCII and paths longer than MAX_PATH are walked, listed and
// acted on like any other (the "\\?\" form where a path needs it).
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace obrivo::files {

// A folder walked and how deep: 0 the folder itself only, 1 also its direct subfolders.
struct ScanRoot {
  std::string folder;
  int depth = 0;
};

// In walking order: the root of drive C, the Windows folder (0), the system folder, the common
// files folder and the temporary folder (1 each). A root that cannot be found is left out; when
// the temporary folder cannot be found the list ends before it.
std::vector<ScanRoot> HiddenScanRoots();

// Called for every entry of a folder (files and subfolders; "." and ".." are never passed) with
// the folder it lies in, without a trailing backslash; true stops the walk.
using WalkVisitor = std::function<bool(const std::wstring& folder, const WIN32_FIND_DATAW& entry)>;

// Lists `folder` and, while `depth` is above 0, each subfolder whose name does not start with a
// dot, with depth - 1. True when a visitor stopped it.
bool WalkFolder(std::string_view folder, const WalkVisitor& visit, int depth);

// Empties the item list and adds one item (type 370) per hidden file that is not a folder under
// `roots`: title HiddenFileTitle (with `productNames`; the file name alone without, for a pass
// that names only the few files it asks about); path and key its full path; flag 0 when the file
// is also a system file, else 1. Returns the count.
std::size_t EnumHiddenFiles(const std::vector<ScanRoot>& roots, bool productNames = true);
std::size_t EnumHiddenFiles(bool productNames = true);  // over HiddenScanRoots()

// The file's product name from its version information, else its file name.
std::string HiddenFileTitle(std::string_view path);

// "Last Written" of the list: the local date and time of the last write (its last three
// characters dropped when it is longer than 16 characters); nothing when the file cannot be
// opened (another program holds it).
std::optional<std::string> LastWrittenText(std::string_view path);

// The baseline below HKEY_CURRENT_USER: one value per accepted file, named by its path and
// holding the date and time it was accepted.
std::string HiddenBaselineKey();
bool IsAcceptedHiddenFile(std::string_view path);
// Every accepted path in upper case (value names compare without regard to case), read at once.
std::unordered_set<std::string> AcceptedHiddenPaths();
bool AcceptHiddenFile(std::string_view path);  // now
void ForgetHiddenFile(std::string_view path);

// Accepts every hidden file there is now and marks the baseline taken.
void SnapshotHiddenFiles();
// Takes the baseline once, on the first start whose store has none; true when taken now.
bool EnsureHiddenBaseline();

// The paths of the hidden files there are now, for first detection.
std::vector<std::string> HiddenFilePaths();

}  // namespace obrivo::files
