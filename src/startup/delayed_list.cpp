#include "startup/delayed_list.h"

#include <shellapi.h>

#include <array>

#include "common/data_folder.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/registry.h"
#include "common/win32/shell_link.h"
#include "common/win32/system.h"
#include "common/win32/wide.h"
#include "core/command_line.h"
#include "core/delayed_start.h"
#include "core/startup_codes.h"
#include "core/text.h"
#include "startup/entry_store.h"
#include "startup/startup_actions.h"
#include "system/processes.h"

namespace obrivo::startup {
namespace {

using namespace detail;

constexpr std::string_view kRundllHost = "RunDLL32.exe";
constexpr std::string_view kOperatingSystemTitle = "Microsoft\xC2\xAE Windows\xC2\xAE";

// The list's keys below the product key. `Delay` itself holds the code.
constexpr std::string_view kTime = "Delay\\Time";
constexpr std::string_view kParameters = "Delay\\Parameters";
constexpr std::string_view kShortcuts = "Delay\\Shortcuts";
constexpr std::string_view kApplet = "Delay\\Applet";
constexpr std::string_view kTitle = "Delay\\Title";
constexpr std::string_view kOpenAs = "Delay\\OpenAs";
constexpr std::string_view kEntry = "Delay\\Entry";
constexpr std::string_view kCommand = "Delay\\Command";
constexpr std::string_view kListed = "Delay\\Listed";
constexpr std::array<std::string_view, 9> kEntryKeys = {
    "Delay", kTime, kParameters, kShortcuts, kApplet, kTitle, kEntry, kCommand, kListed};

std::string Key(std::string_view sub) { return common::ProductSubkey(sub); }

std::string ReadValue(DelayHive hive, std::string_view sub, std::string_view name) {
  return ReadExactString(DelayHiveKey(hive), Key(sub), name).value_or(std::string());
}

bool WriteValue(DelayHive hive, std::string_view sub, std::string_view name,
                std::string_view text) {
  return common::WriteStoreString(DelayHiveKey(hive), Key(sub), name, text);
}

// Where a moved Startup-folder file waits until it goes back.
std::string DelayedFolder() { return common::DataPath(common::kDelayedFolderName); }

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  return ::MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(), 0) != FALSE;
}

bool IsProductEntry(const core::Item& item) {
  return core::ContainsNoCase(item.path, "obrivo.exe") ||
         core::ContainsNoCase(item.command, "obrivo.exe");
}

bool MustStay(const core::Item& item) {
  if (item.type >= core::kWinlogonUserinit || IsProductEntry(item)) return true;
  // The machine's 32-bit view is listed but never written back, so nothing could return there.
  const auto run = core::SplitRunKeyCode(item.type);
  if (run) return run->root == core::RunRoot::Machine32;
  return item.type != core::kWinIniLoad && item.type != core::kWinIniRun &&
         item.type != core::kStartupFolder;
}

HKEY RunHiveOf(int code) {
  const auto run = core::SplitRunKeyCode(code);
  return run && run->root == core::RunRoot::User ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

// The list an entry moves to (as MoveToDelayed chooses): the machine's for the machine-wide Run
// keys, the user's for all others.
DelayHive ListHiveOf(const core::Item& item) {
  const auto run = core::SplitRunKeyCode(item.type);
  return run && run->root == core::RunRoot::Machine ? DelayHive::Machine : DelayHive::User;
}

// What a moved entry held at its location, its exact name there, and the program it starts.
struct Origin {
  std::string entryName;
  StoredCommand command;
  std::string shortcut;  // code 200: the file's place in its Startup folder
  std::string program;   // the file that runs, with the arguments it is given
  std::string parameters;
  bool rundll = false;     // RUNDLL32 hosts `program`
  std::string listedPath;  // the path the startup listing and its baseline know it by
};

// The program and arguments of a command line as it is run (quotes within the arguments kept).
void SplitProgram(std::string_view command, Origin& origin) {
  origin.program = common::CommandToProgramPathAndArgs(command).path;
  origin.parameters = core::CommandArguments(command, common::CurrentSystemFolders());
}

std::optional<Origin> ReadOrigin(const core::Item& item) {
  Origin origin;
  origin.entryName = core::EntryName(item);
  origin.listedPath = item.path;
  if (core::SplitRunKeyCode(item.type)) {
    auto command =
        ReadCommandValue(RunHiveOf(item.type), core::RunKeyPath(item.type), origin.entryName);
    if (!command || command->text.empty()) return std::nullopt;
    origin.command = *command;
    const std::string runs =
        command->type == REG_EXPAND_SZ ? win32::ExpandEnvironment(command->text) : command->text;
    const auto target = core::RundllTarget(runs);
    origin.rundll = target.has_value();
    SplitProgram(target.value_or(runs), origin);
  } else if (item.type == core::kStartupFolder) {
    origin.shortcut = item.key.empty() ? item.path : item.key;
    if (!win32::IsExistingFile(origin.shortcut)) return std::nullopt;
    if (const auto link = win32::ResolveShellLink(origin.shortcut)) {
      origin.program = link->path;
      origin.parameters = link->arguments;
    } else {
      origin.program = origin.shortcut;
    }
  } else {
    origin.command = {item.name.empty() ? item.path : item.name, REG_SZ};  // the win.ini token
    SplitProgram(origin.command.text, origin);
  }
  if (origin.program.empty()) return std::nullopt;
  return origin;
}

bool WriteListValues(DelayHive hive, const std::string& name, const core::Item& item,
                     const Origin& origin) {
  bool ok = WriteValue(hive, "Delay", name, std::to_string(item.type)) &&
            WriteValue(hive, kTitle, name, item.title) &&
            WriteValue(hive, kTime, name, std::to_string(core::kNewDelaySeconds)) &&
            WriteValue(hive, kShortcuts, name,
                       item.type == core::kStartupFolder ? origin.shortcut : item.key) &&
            WriteValue(hive, kEntry, name, origin.entryName);
  if (ok && !origin.parameters.empty()) ok = WriteValue(hive, kParameters, name, origin.parameters);
  if (ok && origin.rundll) ok = WriteValue(hive, kApplet, name, kRundllHost);
  // The startup listing's name for it, whose baseline value marks it as moved meanwhile.
  if (ok) ok = WriteValue(hive, kListed, name, origin.listedPath);
  if (ok && item.type != core::kStartupFolder)
    ok = WriteCommandValue(DelayHiveKey(hive), Key(kCommand), name, origin.command);
  return ok;
}

// Takes the entry away from its location; for a Startup-folder file, into the Delayed folder,
// recorded in Delay\Command. False when it is still there.
bool LeaveLocation(DelayHive hive, const std::string& name, const core::Item& item,
                   const Origin& origin) {
  if (core::SplitRunKeyCode(item.type))
    return DeleteValueIfPresent(RunHiveOf(item.type), core::RunKeyPath(item.type),
                                origin.entryName);
  if (item.type == core::kStartupFolder) {
    if (!win32::EnsureDirectory(DelayedFolder())) return false;
    const std::string kept = FreePathIn(DelayedFolder(), core::FileNamePart(origin.shortcut));
    if (!WriteValue(hive, kCommand, name, kept)) return false;
    return MoveFileNoReplace(origin.shortcut, kept);
  }
  return RemoveStartupEntry(origin.entryName, origin.command.text, "", item.type, {});
}

// The command line an entry without a kept command is rebuilt from.
std::string RebuiltCommand(const DelayedEntry& entry) {
  std::string command = entry.name;
  if (!entry.parameters.empty()) {
    // A RUNDLL32 target's entry point follows the file directly ("X.DLL,Entry").
    if (entry.applet.empty() || entry.parameters.front() != ',') command += ' ';
    command += entry.parameters;
  }
  if (!entry.applet.empty()) command = entry.applet + " " + command;
  return command;
}

// The entry is accepted where it stands again, under the name the listing knows it by, which
// held the moved marker meanwhile.
void AcceptBack(const DelayedEntry& entry, std::string_view fallback) {
  AcceptInBaseline(entry.listed.empty() ? fallback : std::string_view(entry.listed), entry.code);
}

bool ReturnToLocation(const DelayedEntry& entry) {
  const int code = entry.code;
  if (code == core::kStartupFolder) {
    if (entry.command.empty() || entry.shortcut.empty()) return false;
    if (!win32::IsExistingFile(entry.command)) return false;
    if (!MoveFileNoReplace(entry.command, entry.shortcut)) return false;
    AcceptBack(entry, entry.shortcut);
    return true;
  }
  const std::string command = entry.command.empty() ? RebuiltCommand(entry) : entry.command;
  if (const auto run = core::SplitRunKeyCode(code)) {
    if (run->root == core::RunRoot::Machine32) return false;
    const std::string name = entry.entryName.empty() ? entry.title : entry.entryName;
    if (name.empty()) return false;
    const std::string key = core::RunKeyPath(code);
    // Never over a value that appeared meanwhile under the same name: it is not ours.
    if (ReadExactString(RunHiveOf(code), key, name)) return false;
    if (!WriteCommandValue(RunHiveOf(code), key, name, {command, entry.commandType})) return false;
    AcceptBack(entry, command);
    return true;
  }
  if (!RestoreStartupEntry(code, entry.title, command, entry.shortcut)) return false;
  AcceptBack(entry, command);
  return true;
}

DelayedEntry ReadEntry(DelayHive hive, const std::string& name, int code) {
  DelayedEntry entry;
  entry.hive = hive;
  entry.name = name;
  entry.code = code;
  entry.time = ReadValue(hive, kTime, name);
  entry.parameters = ReadValue(hive, kParameters, name);
  entry.shortcut = ReadValue(hive, kShortcuts, name);
  entry.applet = ReadValue(hive, kApplet, name);
  entry.title = ReadValue(hive, kTitle, name);
  entry.entryName = ReadValue(hive, kEntry, name);
  entry.listed = ReadValue(hive, kListed, name);
  if (const auto command = ReadCommandValue(DelayHiveKey(hive), Key(kCommand), name)) {
    entry.command = common::MovedDataPath(command->text);
    entry.commandType = command->type;
  }
  return entry;
}

std::string ListedTitle(const DelayedEntry& entry) {
  const auto version = common::ReadVersionInfo(entry.name);
  std::string title = entry.title;
  if (title.empty() && version) title = version->productName;
  if (title.empty()) title = std::string(core::FileNamePart(entry.name));
  if (version && core::ContainsNoCase(title, kOperatingSystemTitle) &&
      !version->fileDescription.empty())
    title = version->fileDescription;
  return title;
}

}  // namespace

HKEY DelayHiveKey(DelayHive hive) {
  return hive == DelayHive::Machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

std::vector<DelayedEntry> ReadDelayedList() {
  std::vector<DelayedEntry> list;
  for (DelayHive hive : {DelayHive::Machine, DelayHive::User}) {
    const auto key = win32::OpenKey(DelayHiveKey(hive), Key("Delay"), KEY_READ);
    if (!key) continue;
    for (const win32::NamedValue& value : win32::EnumValues(key.get())) {
      const auto code = win32::StringFromValue(value.value);
      if (!code || value.name.empty()) continue;
      list.push_back(ReadEntry(hive, value.name, core::LeadingNumber(*code)));
    }
  }
  return list;
}

std::optional<DelayedEntry> FindDelayedEntry(DelayHive hive, std::string_view name) {
  const auto code = ReadExactString(DelayHiveKey(hive), Key("Delay"), name);
  if (!code) return std::nullopt;
  return ReadEntry(hive, std::string(name), core::LeadingNumber(*code));
}

std::size_t EnumDelayed() {
  common::ClearItems();
  for (const DelayedEntry& entry : ReadDelayedList()) {
    const auto version = common::ReadVersionInfo(entry.name);
    const std::string title = ListedTitle(entry);
    if (!common::AddItem(title, entry.name,
                         entry.code == core::kStartupFolder ? entry.shortcut : title,
                         version ? version->fileDescription : std::string(), entry.code,
                         static_cast<int>(entry.hive)))
      break;
    // Titles and paths are the list's own: kept as stored, not by the display rules.
    core::Item& item = common::LastItem();
    item.path = entry.name;
    item.name = entry.name;
  }
  return common::ItemCount();
}

int DelaySecondsOf(const DelayedEntry& entry) { return core::StoredDelaySeconds(entry.time); }

DelayMove MoveToDelayed(const core::Item& item, const std::function<bool()>& confirmMachineWide) {
  if (MustStay(item)) return DelayMove::MustStay;
  if (item.disabled) return DelayMove::Failed;
  const auto origin = ReadOrigin(item);
  if (!origin) return DelayMove::Failed;
  const std::string name = core::ToUpper(origin->program);

  const auto run = core::SplitRunKeyCode(item.type);
  const bool machineWide = run && run->root == core::RunRoot::Machine;
  if (machineWide && confirmMachineWide && !confirmMachineWide()) return DelayMove::Declined;
  const DelayHive hive = machineWide ? DelayHive::Machine : DelayHive::User;
  // One entry per program and hive: a second would overwrite what brings the first back.
  if (FindDelayedEntry(hive, name)) return DelayMove::AlreadyListed;

  // The list first: an entry that left its location is never without a way back.
  if (!WriteListValues(hive, name, item, *origin) || !LeaveLocation(hive, name, item, *origin)) {
    DeleteDelayedEntry(name, hive);
    return DelayMove::Failed;
  }
  AcceptInBaseline(item.path, core::kMovedToDelayedList);
  return DelayMove::Moved;
}

bool IsProductStartupEntry(const core::Item& item) { return IsProductEntry(item); }

bool RestoreFromDelayed(const DelayedEntry& entry, bool deleteAll) {
  if (!ReturnToLocation(entry)) return false;
  // Still listed, the Monitor would start the program a second time: that is a failure too.
  return !deleteAll || DeleteDelayedEntry(entry.name, entry.hive);
}

bool DeleteDelayedEntry(std::string_view name, DelayHive hive) {
  bool all = true;
  for (std::string_view sub : kEntryKeys)
    all = DeleteValueIfPresent(DelayHiveKey(hive), Key(sub), name) && all;
  return all;
}

bool DropDelayedEntry(std::string_view name, DelayHive hive) {
  bool all = true;
  for (std::string_view sub : {std::string_view("Delay"), kTime, kParameters})
    all = DeleteValueIfPresent(DelayHiveKey(hive), Key(sub), name) && all;
  return all;
}

bool DeleteDelayedEntryOf(const core::Item& item) {
  const auto origin = ReadOrigin(item);
  if (!origin) return false;
  return DeleteDelayedEntry(core::ToUpper(origin->program), ListHiveOf(item));
}

bool RestoreAllDelayed() {
  bool all = true;
  for (const DelayedEntry& entry : ReadDelayedList()) all = RestoreFromDelayed(entry, true) && all;
  return all;
}

bool AddDelayedProgram(std::string_view path, DelayHive hive) {
  const std::string name = core::ToUpper(common::CommandToProgramPathAndArgs(path).path);
  if (name.empty() || FindDelayedEntry(hive, name)) return false;
  const int code = hive == DelayHive::Machine ? core::RunKeyCodeFor(core::RunRoot::Machine, 0)
                                              : core::RunKeyCodeFor(core::RunRoot::User, 0);
  if (WriteValue(hive, "Delay", name, std::to_string(code)) &&
      WriteValue(hive, kTime, name, std::to_string(core::kNewDelaySeconds)))
    return true;
  DeleteDelayedEntry(name, hive);
  return false;
}

std::optional<DelayOptions> ReadDelayOptions(const DelayedEntry& entry) {
  if (!FindDelayedEntry(entry.hive, entry.name)) return std::nullopt;
  DelayOptions options;
  options.seconds = DelaySecondsOf(entry);
  options.openAs = core::LeadingNumber(ReadValue(DelayHive::User, kOpenAs, entry.name));
  if (options.openAs < 0 || options.openAs > 2) options.openAs = 0;
  options.parameters = entry.parameters;
  options.title = entry.title;
  return options;
}

bool WriteDelayOptions(const DelayedEntry& entry, const DelayOptions& options) {
  // The window mode is read from the user's hive whichever hive holds the entry.
  return WriteValue(entry.hive, kTime, entry.name, std::to_string(options.seconds)) &&
         WriteValue(DelayHive::User, kOpenAs, entry.name, std::to_string(options.openAs)) &&
         WriteValue(entry.hive, kParameters, entry.name, options.parameters) &&
         WriteValue(entry.hive, kTitle, entry.name, options.title);
}

bool LaunchDelayedNow(std::string_view file, std::string_view parameters) {
  const int show = core::ShowCommandForOpenAs(ReadValue(DelayHive::User, kOpenAs, file));
  const std::wstring wideFile = win32::Wide(file);
  const std::wstring wideParameters = win32::Wide(parameters);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No error box from the shell: the launcher runs inside the Monitor's timer tick, and a
  // failure is told through the history instead.
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"open";
  info.lpFile = wideFile.c_str();
  info.lpParameters = wideParameters.empty() ? nullptr : wideParameters.c_str();
  info.nShow = show;
  ::SetForegroundWindow(nullptr);
  if (::ShellExecuteExW(&info)) return true;
  return win32::StartCommandLine(core::JoinCommandLine(file, parameters), show);
}

DelayLaunch LaunchDelayedEntry(const DelayedEntry& entry) {
  if (!win32::IsExistingFile(entry.name)) return DelayLaunch::Missing;
  if (system::FindProcessByPath(entry.name) != 0) return DelayLaunch::AlreadyRunning;
  if (entry.applet.empty())
    return LaunchDelayedNow(entry.name, entry.parameters) ? DelayLaunch::Started
                                                          : DelayLaunch::Failed;
  // The host takes the program's file first, quoted when it has a space, its entry point and
  // arguments straight after.
  std::string parameters =
      entry.name.find(' ') != std::string::npos ? "\"" + entry.name + "\"" : entry.name;
  if (!entry.parameters.empty() && entry.parameters.front() != ',') parameters += ' ';
  parameters += entry.parameters;
  return LaunchDelayedNow(entry.applet, parameters) ? DelayLaunch::Started : DelayLaunch::Failed;
}

}  // namespace obrivo::startup
