// Change notifications on the Startup folders.
#include "quenrax/folder_watch.h"

namespace obrivo::quenrax {
namespace {

const wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr DWORD kFilter =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

// The folder a Shell Folders value names, when it names an existing folder.
std::wstring FolderNamed(HKEY root, const wchar_t* valueName) {
  std::wstring text(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {  // the value may grow between reads
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    const LONG result =
        ::RegGetValueW(root, kShellFolders, valueName, RRF_RT_REG_SZ, nullptr, text.data(), &bytes);
    if (result == ERROR_MORE_DATA) {
      text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
      continue;
    }
    if (result != ERROR_SUCCESS) return {};
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    const DWORD attributes = ::GetFileAttributesW(text.c_str());
    if (text.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
      return {};
    return text;
  }
  return {};
}

}  // namespace

FolderWatch::FolderWatch(HKEY root, const wchar_t* valueName) : root_(root), valueName_(valueName) {
  Refresh();
}

bool FolderWatch::Rearm() {
  if (!notification_) return false;
  if (!::FindNextChangeNotification(notification_.get())) {
    notification_.reset();  // looked for again at the next look
    folder_.clear();
  }
  return true;
}

bool FolderWatch::Refresh() {
  const std::wstring folder = FolderNamed(root_, valueName_);
  if (folder == folder_) return false;
  notification_.reset();
  const bool hadFolder = !folder_.empty();
  folder_.clear();
  if (!folder.empty()) {
    notification_.reset(::FindFirstChangeNotificationW(folder.c_str(), FALSE, kFilter));
    if (notification_) folder_ = folder;
  }
  return hadFolder || !folder_.empty();
}

std::vector<std::unique_ptr<FolderWatch>> StartupFolderWatches() {
  std::vector<std::unique_ptr<FolderWatch>> watches;
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
    for (const wchar_t* name : {L"Startup", L"Common Startup"})
      watches.push_back(std::make_unique<FolderWatch>(root, name));
  return watches;
}

}  // namespace obrivo::quenrax
