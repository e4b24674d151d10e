// Running programs, found by the file they run from.
#include "system/processes.h"

#include <tlhelp32.h>

#include <algorithm>
#include <optional>
#include <string>

#include "common/app.h"
#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/text_loader.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/proc_address.h"
#include "common/win32/process_command_line.h"
#include "common/win32/system.h"
#include "common/win32/system_library.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/history_codes.h"
#include "core/history_record.h"
#include "core/text.h"
#include "string_ids.h"
#include "system/entry_command.h"

namespace obrivo::system {
namespace {

constexpr int kStopQuestionId = 707;
// A process left running because it could not be told apart from the entry's: no event of the
// table says that, so the table's own event for a plain log line carries it, with the reason.
constexpr int kLeftRunningEvent = core::history_event::kUnknown;
constexpr DWORD kEndWaitMs = 500;  // how long an ended process may take to go away
constexpr std::size_t kModuleNameChars = 32768;

std::uint64_t CreationTime(HANDLE process) {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

std::string AnsiToUtf8(const char* text) {
  if (!text || !*text) return {};
  const int length = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return win32::Narrow(wide);
}

struct TaskWalk {
  const RunningProcess* vdm;
  const ProcessVisitor* visit;
  bool stopped;
};

BOOL WINAPI VisitTask(DWORD, WORD, WORD, char*, char* fileName, LPARAM context) {
  auto* walk = reinterpret_cast<TaskWalk*>(context);
  const RunningProcess task{walk->vdm->id, AnsiToUtf8(fileName), walk->vdm->createdAt, true};
  walk->stopped = !(*walk->visit)(task);
  return walk->stopped ? TRUE : FALSE;  // TRUE ends the walk
}

// Empty: the system folder.
std::string& TaskLibraryFolder() {
  static std::string folder;
  return folder;
}

// The system's 16-bit task library is used only where an NTVDM can run beside this program. A
// 64-bit program runs only on systems that have none; there a process merely named NTVDM.EXE
// would be walked by a library that need not implement the walk (Wine's ends its caller).
win32::UniqueModule LoadTaskLibrary() {
  if (!TaskLibraryFolder().empty())
    return win32::LoadLibraryFrom(TaskLibraryFolder(), "vdmdbg.dll");
  return sizeof(void*) == 4 ? win32::LoadSystemLibrary("vdmdbg.dll") : win32::UniqueModule();
}

// The system's process functions are looked up when needed: each library is optional somewhere
// (PSAPI and VDMDBG on the NT family only, ToolHelp on the older family only).
class NtProcessFunctions {
 public:
  NtProcessFunctions()
      : psapi_(win32::LoadSystemLibrary("psapi.dll")),
        vdmdbg_(LoadTaskLibrary()),
        enumProcesses_(win32::ProcAddress<EnumProcessesFn>(psapi_.get(), "EnumProcesses")),
        enumModules_(win32::ProcAddress<EnumModulesFn>(psapi_.get(), "EnumProcessModules")),
        moduleName_(win32::ProcAddress<ModuleNameFn>(psapi_.get(), "GetModuleFileNameExW")),
        enumTasks_(win32::ProcAddress<EnumTasksFn>(vdmdbg_.get(), "VDMEnumTaskWOWEx")) {}

  bool available() const { return enumProcesses_ && enumModules_ && moduleName_; }

  // Every process id; empty when the call fails.
  std::vector<DWORD> ProcessIds() const {
    std::vector<DWORD> ids(256);  // 1024 bytes, doubled while the answer fills the buffer
    for (;;) {
      DWORD bytes = 0;
      const auto size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
      if (!enumProcesses_(ids.data(), size, &bytes)) return {};
      if (bytes < size) {
        ids.resize(bytes / sizeof(DWORD));
        return ids;
      }
      ids.resize(ids.size() * 2);
    }
  }

  RunningProcess Read(DWORD id) const {
    RunningProcess p;
    p.id = id;
    if (win32::UniqueHandle process{
            ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id)}) {
      HMODULE first = nullptr;
      DWORD needed = 0;
      std::vector<wchar_t> name(kModuleNameChars);
      if (enumModules_(process.get(), &first, sizeof first, &needed) && first) {
        const DWORD length =
            moduleName_(process.get(), first, name.data(), static_cast<DWORD>(name.size()));
        if (length > 0) p.imagePath = win32::NarrowBuffer(name.data(), length);
      }
      if (!p.imagePath.empty()) {
        p.createdAt = CreationTime(process.get());
        return p;
      }
    }
    // The module list cannot be read from a process that is only starting or whose memory is
    // closed to us; its image name still can, with the least rights that name it.
    win32::UniqueHandle process{::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)};
    if (!process) return p;
    std::vector<wchar_t> name(kModuleNameChars);
    auto size = static_cast<DWORD>(name.size());
    if (::QueryFullProcessImageNameW(process.get(), 0, name.data(), &size) && size > 0) {
      p.imagePath = win32::NarrowBuffer(name.data(), size);
      p.createdAt = CreationTime(process.get());
    }
    return p;
  }

  // The 16-bit tasks an NTVDM process runs, each passed on under that process's id. False when
  // the visitor stopped.
  bool VisitTasks(const RunningProcess& vdm, const ProcessVisitor& visit) const {
    if (!enumTasks_) return true;
    TaskWalk walk{&vdm, &visit, false};
    enumTasks_(vdm.id, VisitTask, reinterpret_cast<LPARAM>(&walk));
    return !walk.stopped;
  }

 private:
  using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
  using EnumModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
  using ModuleNameFn = DWORD(WINAPI*)(HANDLE, HMODULE, wchar_t*, DWORD);
  using TaskVisitFn = BOOL(WINAPI*)(DWORD, WORD, WORD, char*, char*, LPARAM);
  using EnumTasksFn = INT(WINAPI*)(DWORD, TaskVisitFn, LPARAM);

  win32::UniqueModule psapi_, vdmdbg_;
  EnumProcessesFn enumProcesses_;
  EnumModulesFn enumModules_;
  ModuleNameFn moduleName_;
  EnumTasksFn enumTasks_;
};

bool EnumNtProcesses(const ProcessVisitor& visit) {
  const NtProcessFunctions functions;
  if (!functions.available()) return false;
  const std::vector<DWORD> ids = functions.ProcessIds();
  if (ids.empty()) return false;
  for (DWORD id : ids) {
    const RunningProcess process = functions.Read(id);
    if (!visit(process)) break;
    if (core::EqualsNoCase(core::FileNamePart(process.imagePath), "NTVDM.EXE") &&
        !functions.VisitTasks(process, visit))
      break;
  }
  return true;
}

// The older family: a ToolHelp snapshot, which names each process's file.
bool EnumSnapshotProcesses(const ProcessVisitor& visit) {
  using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
  using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32W*);
  const win32::UniqueModule kernel(win32::LoadSystemLibrary("kernel32.dll"));
  const auto snapshotOf = win32::ProcAddress<SnapshotFn>(kernel.get(), "CreateToolhelp32Snapshot");
  const auto first = win32::ProcAddress<WalkFn>(kernel.get(), "Process32FirstW");
  const auto next = win32::ProcAddress<WalkFn>(kernel.get(), "Process32NextW");
  if (!snapshotOf || !first || !next) return false;
  const win32::UniqueHandle snapshot(snapshotOf(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = first(snapshot.get(), &entry); more; more = next(snapshot.get(), &entry)) {
    RunningProcess p;
    p.id = entry.th32ProcessID;
    p.imagePath = win32::Narrow(entry.szExeFile);
    if (win32::UniqueHandle h{::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, p.id)})
      p.createdAt = CreationTime(h.get());
    if (!visit(p)) break;
  }
  return true;
}

// An image path names its file already, in its own case; only what is not a file is read as a
// command (whose resolution would cut a path at a folder named like "Tools.old" and give it in
// capitals).
std::string ProgramFileOf(std::string_view path) {
  if (win32::IsExistingFile(path)) return std::string(path);
  return common::CommandToProgramPath(path);
}

// The file an image runs from, in long form; empty when it names none.
std::string ImageFile(std::string_view image) {
  if (image.empty()) return {};
  const std::string resolved = ProgramFileOf(image);
  return resolved.empty() ? resolved : common::LongPathName(resolved);
}

// Each running program file once, with the first process found running it: the image resolved
// to its file in long form, compared without regard to case. False from `visit` stops.
void ForEachRunningProgram(
    const std::function<bool(const std::string& file, const RunningProcess&)>& visit) {
  std::vector<std::string> seen;
  EnumRunningProcesses([&](const RunningProcess& process) {
    const std::string file = ImageFile(process.imagePath);
    if (file.empty()) return true;
    for (const std::string& s : seen)
      if (core::EqualsNoCase(s, file)) return true;
    seen.push_back(file);
    return visit(file, process);
  });
}

bool Matches(std::string_view image, std::string_view wanted, std::string_view wantedFile) {
  if (image.empty()) return false;
  const std::string imageFile = ProgramFileOf(image);
  if (core::EqualsNoCase(imageFile, wantedFile)) return true;
  return core::EqualsNoCase(core::FileNamePart(imageFile), wanted);
}

// Ended with exit code 1: ending it with the code it reports while running (259, STILL_ACTIVE)
// would make everyone who later reads its exit code believe it still runs. A process that has
// ended already (its id kept by a handle still open somewhere) counts as not ended by us.
bool EndProcess(HANDLE process) {
  if (::WaitForSingleObject(process, 0) != WAIT_TIMEOUT) return false;
  if (!::TerminateProcess(process, 1)) return false;
  ::WaitForSingleObject(process, kEndWaitMs);
  return true;
}

ProcessIdentity FindProgram(std::string_view path) {
  ProcessIdentity found;
  if (path.empty()) return found;
  const std::string wantedFile = ProgramFileOf(path);
  const DWORD self = ::GetCurrentProcessId();
  EnumRunningProcesses([&](const RunningProcess& process) {
    if (process.id == 0 || process.id == self) return true;
    if (!Matches(process.imagePath, path, wantedFile)) return true;
    found = {process.id, process.createdAt};
    return false;
  });
  return found;
}

constexpr DWORD kEndRights = PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE;

// The desktop shell's processes: the owners of its desktop and taskbar windows, and explorer.exe
// of the Windows and system folders (the shell of every NT system, and Wine's).
class Shell {
 public:
  Shell() {
    for (HWND window : {::GetShellWindow(), ::FindWindowW(L"Shell_TrayWnd", nullptr)}) {
      DWORD id = 0;
      if (window && ::GetWindowThreadProcessId(window, &id) && id != 0) owners_.push_back(id);
    }
    for (const std::string& folder : {win32::WindowsDirectory(), win32::SystemDirectory()})
      if (!folder.empty()) files_.push_back(common::LongPathName(folder + "\\explorer.exe"));
  }

  bool Runs(DWORD id, std::string_view file) const {
    return std::find(owners_.begin(), owners_.end(), id) != owners_.end() ||
           std::any_of(files_.begin(), files_.end(),
                       [&](const std::string& shell) { return core::EqualsNoCase(shell, file); });
  }

 private:
  std::vector<DWORD> owners_;
  std::vector<std::string> files_;
};

// Whether a process whose image is `file` runs the entry's program: the same file, or for a bare
// name any file of that name.
bool RunsProgram(std::string_view file, const std::string& program,
                 const std::string& programFile) {
  if (file.empty()) return false;
  if (!IsFullPath(program)) return core::EqualsNoCase(core::FileNamePart(file), program);
  return core::EqualsNoCase(file, programFile);
}

struct LeftRunning {
  DWORD id = 0;
  bool sixteenBitTask = false;
};

struct EntryProcesses {
  std::vector<ProcessIdentity> entry;  // to be ended
  std::vector<LeftRunning> untold;     // running the program, not told apart from the entry
};

class EntrySearch {
 public:
  explicit EntrySearch(const CommandParts& entry)
      : entry_(entry),
        programFile_(IsFullPath(entry.program) ? common::LongPathName(entry.program)
                                               : entry.program) {
    if (!::ProcessIdToSessionId(self_, &session_)) session_ = 0;
  }

  EntryProcesses Run() const {
    EntryProcesses found;
    std::vector<DWORD> seen;  // an NTVDM process comes once more for each of its tasks
    EnumRunningProcesses([&](const RunningProcess& process) {
      if (process.id == 0) return true;
      const std::string file = ImageFile(process.imagePath);
      if (!RunsProgram(file, entry_.program, programFile_)) return true;
      if (std::find(seen.begin(), seen.end(), process.id) != seen.end()) return true;
      seen.push_back(process.id);
      const std::optional<ProcessFacts> facts = FactsOf(process, file);
      if (!facts) return true;
      switch (JudgeEntryProcess(entry_, *facts)) {
        case EntryProcess::Entry:
          found.entry.push_back({process.id, process.createdAt});
          break;
        case EntryProcess::Untold:
          found.untold.push_back({process.id, process.sixteenBitTask});
          break;
        case EntryProcess::Other:
        case EntryProcess::Protected:
          break;
      }
      return true;
    });
    return found;
  }

 private:
  // Nothing when the process has ended since it was listed.
  std::optional<ProcessFacts> FactsOf(const RunningProcess& process, std::string_view file) const {
    ProcessFacts facts;
    facts.self = process.id == self_;
    facts.shell = shell_.Runs(process.id, file);
    facts.sixteenBitTask = process.sixteenBitTask;
    DWORD session = 0;
    facts.sessionKnown = ::ProcessIdToSessionId(process.id, &session) != FALSE;
    facts.otherSession = facts.sessionKnown && session != session_;
    if (process.sixteenBitTask) return facts;
    win32::UniqueHandle handle(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, process.id));
    if (!handle) handle.reset(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.id));
    if (!handle) return facts;
    // Read through a handle on the process listed: its id may name a later one by now.
    if (process.createdAt != 0 && CreationTime(handle.get()) != process.createdAt)
      return std::nullopt;
    facts.commandLine = win32::ReadProcessCommandLine(handle.get());
    return facts;
  }

  const CommandParts& entry_;
  const std::string programFile_;
  const Shell shell_;
  const DWORD self_ = ::GetCurrentProcessId();
  DWORD session_ = 0;
};

bool AskToStop(HWND owner, std::string_view name) {
  const std::string question = core::FormatText(common::LoadText(kStopQuestionId), name);
  return ::MessageBoxExW(owner, win32::Wide(question).c_str(),
                         win32::Wide(common::LoadText(IDS_PROGRAM_TITLE, 128)).c_str(),
                         MB_YESNO | MB_ICONQUESTION | MB_TOPMOST,
                         common::App().languageId) == IDYES;
}

void RecordLeftRunning(const std::vector<LeftRunning>& untold, std::string_view name,
                       std::string_view command) {
  for (const LeftRunning& process : untold) {
    const std::string why =
        process.sixteenBitTask
            ? " runs it as a 16-bit task, which has no command line of its own to tell it apart"
            : " runs this program, but its command line could not be read to tell it apart";
    common::WriteHistory(kLeftRunningEvent, core::item_type::kProcess, name, command,
                         "Left running: process " + std::to_string(process.id) + why);
  }
}

}  // namespace

bool EnumRunningProcesses(const ProcessVisitor& visit) {
  return common::App().ntFamily ? EnumNtProcesses(visit) : EnumSnapshotProcesses(visit);
}

std::size_t EnumActiveTasks(std::vector<ProcessIdentity>& listed) {
  common::ClearItems();
  listed.clear();
  ForEachRunningProgram([&](const std::string& file, const RunningProcess& process) {
    const auto version = common::ReadVersionInfo(file);
    if (!common::AddItem(version ? version->fileDescription : std::string(), file, "", "",
                         core::item_type::kProcess, static_cast<int>(process.id)))
      return false;  // the list is full
    listed.push_back({process.id, process.createdAt});
    return true;
  });
  return common::ItemCount();
}

std::size_t EnumActiveTasks() {
  std::vector<ProcessIdentity> listed;
  return EnumActiveTasks(listed);
}

std::vector<std::string> RunningProgramFiles() {
  std::vector<std::string> files;
  ForEachRunningProgram([&](const std::string& file, const RunningProcess&) {
    files.push_back(file);
    return true;
  });
  return files;
}

void RecordRunningPrograms() {
  for (const std::string& file : RunningProgramFiles())
    common::RecordFirstDetected(common::kDetectedActiveTasks, file);
}

DWORD FindProcessByPath(std::string_view path) { return FindProgram(path).id; }

bool KillProcessById(DWORD id) {
  const win32::UniqueHandle process(::OpenProcess(kEndRights, FALSE, id));
  return process && EndProcess(process.get());
}

bool KillProcessById(const ProcessIdentity& listed) {
  const win32::UniqueHandle process(::OpenProcess(kEndRights, FALSE, listed.id));
  // Once the handle is open the id cannot pass to another process, so this check holds until
  // the end.
  if (!process || listed.createdAt == 0 || CreationTime(process.get()) != listed.createdAt)
    return false;
  return EndProcess(process.get());
}

bool IsProcessRunning(const ProcessIdentity& listed) {
  const win32::UniqueHandle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, listed.id));
  return process && listed.createdAt != 0 && CreationTime(process.get()) == listed.createdAt &&
         ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

bool IsEntryProgramRunning(std::string_view command) {
  const CommandParts entry = SplitCommandLine(command);
  return !entry.program.empty() && !EntrySearch(entry).Run().entry.empty();
}

void UseTaskLibraryFolderForTesting(std::string folder) { TaskLibraryFolder() = std::move(folder); }

DWORD StopEntryProgram(HWND owner, std::string_view command, std::string_view name, bool ask) {
  const CommandParts entry = SplitCommandLine(command);
  if (entry.program.empty()) return 0;
  const EntryProcesses found = EntrySearch(entry).Run();
  if (found.entry.empty()) {
    RecordLeftRunning(found.untold, name, command);
    return 0;
  }
  if (ask && !AskToStop(owner, name.empty() ? command : name)) return found.entry.front().id;
  // The question may stay open for long: by the answer an id may name another program.
  DWORD first = 0;
  for (const ProcessIdentity& process : found.entry) {
    if (!KillProcessById(process)) continue;
    if (first == 0) first = process.id;
    common::WriteHistory(core::history_event::kTaskKill, core::item_type::kProcess, name, command,
                         "");
  }
  RecordLeftRunning(found.untold, name, command);
  // Stale tray icons of the ended program disappear once the taskbar repaints.
  if (first != 0)
    if (HWND taskbar = ::FindWindowW(L"Shell_TrayWnd", nullptr))
      ::InvalidateRect(taskbar, nullptr, TRUE);
  return first;
}

}  // namespace obrivo::system
