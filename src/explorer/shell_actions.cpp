// The shell actions of a row.
#include "explorer/shell_actions.h"

#include <shellapi.h>

#include <string>

#include "common/utilities.h"
#include "common/win32/wide.h"

namespace obrivo::explorer {

bool ExploreProgramFolder(HWND owner, std::string_view command) {
  const std::string folder = common::FolderOfProgram(common::CommandToProgramPath(command));
  if (folder.empty()) return false;
  const auto result = reinterpret_cast<INT_PTR>(::ShellExecuteW(
      owner, L"explore", win32::Wide(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

bool OpenProgramProperties(HWND owner, std::string_view command) {
  std::string file = common::CommandToProgramPath(command);
  if (file.empty() || !common::FileExists(file)) return false;
  const std::wstring wideFile = win32::Wide(file);
  const std::wstring folder = win32::Wide(common::FolderOfProgram(file));
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = owner;
  info.lpVerb = L"properties";
  info.lpFile = wideFile.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ::ShellExecuteExW(&info) != FALSE;
}

}  // namespace obrivo::explorer
