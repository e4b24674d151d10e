// Programs the process tests run: copies of the waiting fixtures under names and in folders of
// the test's choosing, started and waited for until the process enumeration can read them, and
// ended and removed afterwards.
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/win32/wide.h"
#include "system/processes.h"
#include "test_process.h"

namespace obrivo::test {

// While it lives, the process functions use the stand-in task library that lies in the test's
// folder, which reports two 16-bit tasks inside any process whose file is named NTVDM.EXE.
struct StandInTaskLibrary {
  StandInTaskLibrary() {
    system::UseTaskLibraryFolderForTesting(win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR"))) +
                                           "\\processes\\task-library");
  }
  ~StandInTaskLibrary() { system::UseTaskLibraryFolderForTesting({}); }
  StandInTaskLibrary(const StandInTaskLibrary&) = delete;
  StandInTaskLibrary& operator=(const StandInTaskLibrary&) = delete;
};

class RunningCopies {
 public:
  explicit RunningCopies(std::string folder) : folder_(std::move(folder)) {
    ::CreateDirectoryW(win32::Wide(folder_).c_str(), nullptr);
    const std::string bin = win32::Narrow(HostToWine(EnvVar(L"OBRIVO_BIN_DIR")));
    plain_ = bin + "\\obrivo_test_helper.exe";
    described_ = bin + "\\obrivo_waiting_program.exe";
    lingering_ = bin + "\\obrivo_lingering_program.exe";
  }
  ~RunningCopies() {
    running_.clear();
    for (const std::string& file : files_) ::DeleteFileW(win32::Wide(file).c_str());
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
      ::RemoveDirectoryW(win32::Wide(*it).c_str());
    ::RemoveDirectoryW(win32::Wide(folder_).c_str());
  }
  RunningCopies(const RunningCopies&) = delete;
  RunningCopies& operator=(const RunningCopies&) = delete;

  const std::string& folder() const { return folder_; }
  // The helper without version information, and the one with a description and a company.
  const std::string& plain() const { return plain_; }
  const std::string& described() const { return described_; }
  // The program that stays running whatever arguments it is given.
  const std::string& lingering() const { return lingering_; }

  // A copy of `source` named `name`, in `subfolder` of the folder when given.
  std::string Copy(const std::string& name, const std::string& source,
                   const std::string& subfolder = {}) {
    std::string dir = folder_;
    if (!subfolder.empty()) {
      dir += "\\" + subfolder;
      ::CreateDirectoryW(win32::Wide(dir).c_str(), nullptr);
      folders_.push_back(dir);
    }
    const std::string path = dir + "\\" + name;
    ::CopyFileW(win32::Wide(source).c_str(), win32::Wide(path).c_str(), FALSE);
    files_.push_back(path);
    return path;
  }

  // Starts `path` waiting; once the enumeration reads it, or not started() when it could not.
  // References stay valid as more start.
  Process& Start(const std::string& path) {
    running_.emplace_back(win32::Wide(path), L"wait");
    return Listed(running_.back());
  }

  // Starts the file `program` with exactly `commandLine` (its first word as a shell would give
  // it); once the enumeration reads it, or not started() when it could not.
  Process& StartCommand(const std::string& program, const std::string& commandLine) {
    running_.push_back(Process::WithCommandLine(win32::Wide(program), win32::Wide(commandLine)));
    return Listed(running_.back());
  }

  Process& Run(const std::string& name, const std::string& source,
               const std::string& subfolder = {}) {
    return Start(Copy(name, source, subfolder));
  }

  // Ends every program started so far.
  void EndAll() { running_.clear(); }

  // The process as the enumeration sees it, when it sees it with a path.
  static std::optional<system::RunningProcess> Seen(DWORD id) {
    std::optional<system::RunningProcess> found;
    system::EnumRunningProcesses([&](const system::RunningProcess& p) {
      if (p.id != id || p.imagePath.empty()) return true;
      found = p;
      return false;
    });
    return found;
  }

 private:
  Process& Listed(Process& p) {
    if (p.started() &&
        !WaitUntil([&] { return Seen(p.id()).has_value(); }, std::chrono::seconds(10)))
      p.Kill();
    return p;
  }

  std::string folder_, plain_, described_, lingering_;
  std::vector<std::string> files_, folders_;
  std::deque<Process> running_;
};

}  // namespace obrivo::test
