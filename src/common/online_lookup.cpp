// Opening vendor pages.
#include "common/online_lookup.h"

#include <shellapi.h>

#include "common/app.h"
#include "common/first_detected.h"
#include "common/store.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/language.h"
#include "core/text.h"

namespace obrivo::common {

using win32::Wide;

namespace {

// The item type whose first-detection records a lookup reads. A lookup type is the item's type
// + 1000 (1400 for a file type, 2200 for an ActiveX control), except the page category codes
// (1020 ... 1070) that name their records themselves.
int DetectedItemType(int lookupType) {
  if (lookupType >= 1000 && FirstDetectedSubkey(lookupType) == kDetectedActiveTasks)
    return lookupType - 1000;
  return lookupType;
}

// The program's first-detected date: records are named by the path as the category passed it,
// which is the command itself or (for startup entries) its resolved program file.
std::string DetectedDate(int lookupType, std::string_view command, const std::string& resolved,
                         const std::string& longPath) {
  const int type = DetectedItemType(lookupType);
  for (std::string_view name : {command, std::string_view(resolved), std::string_view(longPath)})
    if (std::string date = LookupFirstDetected(type, name); !date.empty()) return date;
  return {};
}

}  // namespace

core::LookupRequest MakeLookupRequest(int lookupType, std::string_view command,
                                      std::string_view title) {
  core::LookupRequest r;
  const std::string resolved = CommandToProgramPath(core::StripQuotes(command));
  std::string path = resolved;
  std::string name;
  if (FileExists(path)) {
    path = LongPathName(path);
    name = win32::StoredFileName(path).value_or("");  // the resolution upper-cased it
  }
  if (name.empty()) name = core::FileNamePart(path);
  if (name.empty()) name = path;
  if (name.empty()) name = std::string(title);
  r.programName = name;
  if (auto version = ReadVersionInfo(path)) {
    r.vendor = version->companyName;
    r.version = version->productVersion;
    r.productName = version->productName;
    r.copyright = version->legalCopyright;
    r.description = version->fileDescription;
  }
  r.build = std::string(kProductVersion);
  r.type = lookupType;
  const std::size_t dot = name.rfind('.');
  r.extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  r.detailed = App().options.Get(core::OptionId::PlusFormat) != 0;
  if (r.detailed) {
    r.language = LoadText(core::kLanguageCodeStringId, 32);
    r.created = FileCreationTimeText(path);
    if (auto size = win32::FileSize(path)) r.fileSize = std::to_string(*size);
    r.detected = DetectedDate(lookupType, command, resolved, path);
    r.path = std::string(command);
  } else {
    r.language = std::string(core::WebLanguage(App().languageId));
  }
  return r;
}

bool LookUpProgramOnline(HWND owner, int lookupType, std::string_view command,
                         std::string_view title) {
  return OpenWebAddress(owner, core::BuildLookupAddress(MakeLookupRequest(lookupType, command, title)));
}

namespace {

// The AOL browser's folder from win.ini, when it is set up.
std::wstring AolFolder() {
  wchar_t buffer[1024];
  const DWORD length = ::GetProfileStringW(L"WAOL", L"AppPath", L"", buffer, 1024);
  return std::wstring(buffer, length);
}

}  // namespace

bool OpenWebAddress(HWND owner, std::string_view address) {
  // The address is handed to a shell or a command line: only web addresses, and only ones whose
  // values were escaped (no quote or space can end the argument).
  if (!core::IsWebAddress(address) ||
      address.find_first_of("\" \t\r\n") != std::string_view::npos)
    return false;
  const std::wstring wide = Wide(address);
  if (const std::wstring aol = AolFolder(); !aol.empty())
    return win32::StartCommandLine(win32::Narrow(L"\"" + aol + L"\\WAOL.EXE\" -u \"" + wide + L"\""));
  const auto result = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(owner, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result > 32) return true;
  // The shell could not open it: run the default browser's command with the address.
  std::string browser =
      ReadStoreString("http\\shell\\open\\command", HKEY_CLASSES_ROOT, "", core::kTextCapacity);
  if (browser.empty()) return false;
  const std::size_t placeholder = browser.find("%1");
  if (placeholder != std::string::npos)
    browser.replace(placeholder, 2, std::string(address));
  else
    browser += " \"" + std::string(address) + "\"";
  return win32::StartCommandLine(browser);
}

}  // namespace obrivo::common
