#include "startup/restart_commands.h"

#include "common/app.h"
#include "common/text_loader.h"
#include "common/win32/files.h"
#include "common/win32/system.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "restart_commands_ids.h"
#include "string_ids.h"

namespace obrivo::startup {
namespace {

constexpr std::size_t kViewerBytes = 16384;

std::optional<std::string>& FolderOverride() {
  static std::optional<std::string> folder;
  return folder;
}

std::string Folder() { return FolderOverride().value_or(win32::WindowsDirectory()); }
std::string CommandsFile() { return Folder() + "\\wininit.ini"; }

void SayNotDeleted(HWND owner) {
  const std::string text =
      core::FormatText(common::LoadText(IDS_RESTART_FILE_NOT_DELETED), CommandsFile());
  ::MessageBoxExW(owner, win32::Wide(text).c_str(),
                  win32::Wide(common::LoadText(IDS_RESTART_COMMANDS_TITLE, 128)).c_str(),
                  MB_OK | MB_ICONWARNING | MB_TOPMOST, common::App().languageId);
}

INT_PTR CALLBACK ViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      ::SetWindowTextW(dialog, win32::Wide(common::LoadText(IDS_RESTART_COMMANDS_TITLE)).c_str());
      ::SetDlgItemTextW(dialog, IDC_RESTART_TEXT,
                        win32::Wide(RestartCommandsText().value_or("")).c_str());
      ::SetDlgItemTextW(dialog, IDC_RESTART_LEGEND,
                        win32::Wide(common::LoadText(IDS_RESTART_COMMANDS_LEGEND)).c_str());
      ::SetDlgItemTextW(dialog, IDC_RESTART_DELETE, win32::Wide(common::LoadText(IDS_DELETE)).c_str());
      ::SetDlgItemTextW(dialog, IDCANCEL, win32::Wide(common::LoadText(IDS_CLOSE)).c_str());
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_RESTART_DELETE) {
        // The commands would still run: say so rather than close as if they were gone.
        if (!DeleteRestartCommands()) {
          SayNotDeleted(dialog);
          return TRUE;
        }
        ::EndDialog(dialog, IDC_RESTART_DELETE);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
    default:
      break;
  }
  return FALSE;
}

}  // namespace

void SetRestartCommandsFolder(std::optional<std::string> folder) {
  FolderOverride() = std::move(folder);
}

bool RestartCommandsApply() {
  return !common::App().ntFamily && win32::IsExistingFile(Folder() + "\\wininit.exe");
}

bool RestartCommandsWaiting() {
  if (!RestartCommandsApply()) return false;
  const auto size = win32::FileSize(CommandsFile());
  return size && *size != 0;
}

std::optional<std::string> RestartCommandsText() {
  auto text = win32::ReadWholeFile(CommandsFile());
  if (!text) return std::nullopt;
  if (text->size() > kViewerBytes) text->resize(kViewerBytes);
  // The file is ANSI text with any line ends; an edit control shows breaks only at CR LF.
  std::string lines;
  for (std::size_t i = 0; i < text->size(); ++i) {
    const char c = (*text)[i];
    if (c == '\0') {
      lines += ' ';
    } else if (c == '\r') {
      lines += "\r\n";
      if (i + 1 < text->size() && (*text)[i + 1] == '\n') ++i;
    } else if (c == '\n') {
      lines += "\r\n";
    } else {
      lines += c;
    }
  }
  return lines;  // shown as UTF-8, any other byte as the ANSI character it is
}

bool DeleteRestartCommands() {
  const std::wstring path = win32::Wide(CommandsFile());
  ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  return ::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND;
}

void ShowRestartCommandsViewer(HWND owner) {
  ::DialogBoxParamW(common::App().instance, MAKEINTRESOURCEW(IDD_RESTART_COMMANDS), owner,
                    ViewerProc, 0);
}

void ShowRestartCommands(HWND owner) {
  if (!RestartCommandsApply()) return;
  if (RestartCommandsWaiting()) {
    ShowRestartCommandsViewer(owner);
    return;
  }
  ::MessageBoxExW(owner, win32::Wide(common::LoadText(IDS_NO_RESTART_COMMANDS)).c_str(),
                  win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128)).c_str(),
                  MB_OK | MB_ICONINFORMATION | MB_TOPMOST, common::App().languageId);
}

}  // namespace obrivo::startup
