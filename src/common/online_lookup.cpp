// Opening vendor pages.
#include "common/online_lookup.h"

#include <shellapi.h>

#include "common/app.h"
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

core::LookupRequest MakeLookupRequest(int lookupType, std::string_view command,
                                      std::string_view title) {
  core::LookupRequest r;
  std::string path = CommandToProgramPath(core::StripQuotes(command));
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
  r.build = OBRIVO_VERSION_TEXT;
  r.type = lookupType;
  const std::size_t dot = name.rfind('.');
  r.extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
  r.detailed = App().options.Get(core::OptionId::PlusFormat) != 0;
  if (r.detailed) {
    r.language = LoadText(core::kLanguageCodeStringId, 32);
    r.created = FileCreationTimeText(path);
    if (auto size = win32::FileSize(path)) r.fileSize = std::to_string(*size);
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
