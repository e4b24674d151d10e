// The services database: every Windows service that runs a program file (an .exe of its own or
// a DLL that svchost hosts), read from the registry. A service is known by its key name, which
// is unique; its display name is only for showing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/command_line.h"

namespace obrivo::system {

inline constexpr std::string_view kServicesKey = "SYSTEM\\CurrentControlSet\\Services";

// One service as its key holds it. Names and commands are read whole, whatever their length.
struct ServiceRecord {
  std::string keyName;      // the subkey's name: the service's identity
  std::string imagePath;    // ImagePath exactly as stored (unexpanded)
  std::string serviceDll;   // Parameters\ServiceDll as stored, svchost services only
  std::optional<DWORD> start;  // the Start value, when it is a number
  int type = 0;             // 700 own program, 701 hosted by svchost
  std::string path;         // what the service runs: ServiceDll, else ImagePath, expanded
  // Filled by the detailed reading only.
  std::string displayName;  // the control manager's, else DisplayName, else the key name
  std::string description;
};

// What a reading could not see: the database itself, or single service keys, when access to
// them is refused (or they went while it read).
struct ServicesReadStatus {
  bool databaseRead = true;
  std::size_t unreadableKeys = 0;
};

// Reads every service whose ImagePath names an .exe or svchost; drivers and services without a
// string ImagePath are left out. `detailed` adds the display name and description.
std::vector<ServiceRecord> ReadServices(bool detailed, ServicesReadStatus* status = nullptr);
// The same for one key name; nothing when it is not such a service.
std::optional<ServiceRecord> ReadService(std::string_view keyName, bool detailed);

// The existing file a record's path starts (its long form); empty when there is none. A listing
// passes the system's folders, read once for all its services.
// Services are dated (first detection) under this file, so that the check, the page and the
// seeding find one record whatever quotes and arguments the command has.
std::string ServiceFile(const ServiceRecord& record);
std::string ServiceFile(const ServiceRecord& record, const core::SystemFolders& folders);
// The same for a listed item's path.
std::string ServiceFileOfPath(std::string_view path);
// The command a record runs, as the alerts show it: the hosted DLL with its host, or ImagePath.
std::string ServiceCommandText(const ServiceRecord& record);

// A service counts as Microsoft's only when its file's company names Microsoft and the file
// lies in the Windows folder: any program can write that company into its version resource.
bool IsMicrosoftFile(std::string_view file);
// The file lies inside the Windows folder, its path made full and long first (so "..\" or a
// short name cannot lead out of it or into it).
bool IsInWindowsFolder(std::string_view file);

// "Automatic", "Manual", "Disabled" (strings 664-666) for Start 2, 3, 4; "0" for anything else.
std::string StartTypeText(std::optional<DWORD> start);
// "Stopped" ... "Paused" (strings 652-658) for a current state; "Stopped" for anything else.
std::string RunStateText(std::optional<DWORD> state);

// Empties the item list and fills it with one item per service: title = display name, name =
// key name, path = the file, key = start-type text, text = description, command = ImagePath,
// type = 700/701. With `hideMicrosoft`, Microsoft's services (see IsMicrosoftFile) are left out.
// Returns the count.
std::size_t EnumServices(bool hideMicrosoft, ServicesReadStatus* status = nullptr);

}  // namespace obrivo::system
