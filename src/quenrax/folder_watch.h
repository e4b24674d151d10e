// The Startup folders watched for files coming and going. Each folder is found, as the startup
// list finds it, through the Shell Folders values of the machine and the user.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/unique.h"
#include "quenrax/watch.h"

namespace obrivo::quenrax {

class FolderWatch : public Watch {
 public:
  // The folder named by `valueName` of `root`'s Shell Folders key.
  FolderWatch(HKEY root, const wchar_t* valueName);

  HANDLE event() const override { return notification_.get(); }
  bool Rearm() override;
  // Also follows the Shell Folders value when it names another folder.
  bool Refresh() override;

 private:
  struct NotificationTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsInvalid(Handle h) { return h == INVALID_HANDLE_VALUE || h == nullptr; }
    static void Close(Handle h) { ::FindCloseChangeNotification(h); }
  };

  HKEY root_;
  const wchar_t* valueName_;
  std::wstring folder_;  // the folder watched; empty while none is
  win32::Unique<NotificationTraits> notification_;
};

// Startup and Common Startup of the machine and of the user.
std::vector<std::unique_ptr<FolderWatch>> StartupFolderWatches();

}  // namespace obrivo::quenrax
