// Running programs: one list entry per program file, finding a program by its path or bare file
// name, ending processes only while their id still names them, first-detected dates, the 16-bit
// tasks of an NTVDM process, and the process libraries taken from the system folder only.
#include "system/processes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>

#include "app/category_hooks.h"
#include "common/first_detected.h"
#include "common/history.h"
#include "common/items.h"
#include "common/store.h"
#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "running_copies.h"
#include "test_process.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using namespace std::chrono_literals;

class ProcessesTest : public SandboxedTest {
 protected:
  // A copy of the helper without version information unless `source` names another.
  std::string Copy(const std::string& name, const std::string& source = {},
                   const std::string& subfolder = {}) {
    return copies_.Copy(name, source.empty() ? copies_.plain() : source, subfolder);
  }
  Process& Start(const std::string& path) {
    Process& p = copies_.Start(path);
    EXPECT_TRUE(p.started()) << path;
    return p;
  }
  static std::optional<system::RunningProcess> Seen(DWORD id) { return RunningCopies::Seen(id); }

  // The items whose path is `path` (without regard to case).
  static std::vector<std::size_t> ItemsFor(const std::string& path) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < common::ItemCount(); ++i)
      if (core::EqualsNoCase(common::ItemPath(i), path)) found.push_back(i);
    return found;
  }

  RunningCopies copies_{common::ProgramFolder() + "\\running"};
  const std::string& folder_ = copies_.folder();
  const std::string& helper_ = copies_.plain();
  const std::string& described_ = copies_.described();
};

TEST_F(ProcessesTest, TwoProcessesOfOneFileGiveOneEntryWithTheFirstId) {
  const std::string path = Copy("twice.exe");
  std::string upper = path;
  std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
    return static_cast<char>(::toupper(static_cast<unsigned char>(c)));
  });
  // The same file, once through a path in other case.
  const DWORD a = Start(path).id();
  const DWORD b = Start(upper).id();
  const DWORD other = Start(Copy("other.exe", described_)).id();
  // A folder whose name reads like an extension (".ol") must not cut the path short.
  const std::string dotted = Copy("kit.exe", described_, "Kit.old");
  Start(dotted);
  ASSERT_TRUE(common::AddItem("left over", helper_, "", "", 1, 0));

  DWORD firstSeen = 0;
  system::EnumRunningProcesses([&](const system::RunningProcess& p) {
    if (p.id == a || p.id == b) firstSeen = p.id;
    return firstSeen == 0;
  });
  ASSERT_NE(firstSeen, 0u);

  std::vector<system::ProcessIdentity> listed;
  const std::size_t count = system::EnumActiveTasks(listed);
  EXPECT_EQ(count, common::ItemCount());
  ASSERT_EQ(listed.size(), count) << "one listed process per item";
  const auto twice = ItemsFor(path);
  ASSERT_EQ(twice.size(), 1u) << "one entry for the file, whatever the case of its path";
  const std::size_t i = twice.front();
  EXPECT_EQ(common::ItemType(i), 600);
  EXPECT_EQ(static_cast<DWORD>(common::ItemFlag(i)), firstSeen);
  EXPECT_EQ(listed[i].id, firstSeen);
  EXPECT_EQ(listed[i].createdAt, Seen(firstSeen)->createdAt);
  EXPECT_NE(listed[i].createdAt, 0u);
  EXPECT_EQ(common::ItemTitle(i), "twice") << "no description: the file's name stands in";
  EXPECT_TRUE(common::ItemKey(i).empty());
  EXPECT_TRUE(common::ItemText(i).empty());

  const auto others = ItemsFor(folder_ + "\\other.exe");
  ASSERT_EQ(others.size(), 1u);
  EXPECT_EQ(static_cast<DWORD>(common::ItemFlag(others.front())), other);
  EXPECT_EQ(common::ItemTitle(others.front()), "Waiting Fixture Program")
      << "the file's description";
  const auto kit = ItemsFor(dotted);
  ASSERT_EQ(kit.size(), 1u);
  EXPECT_EQ(common::ItemPath(kit.front()), dotted) << "the file as it is named, in its own case";
  EXPECT_EQ(common::ItemTitle(kit.front()), "Waiting Fixture Program");
  for (std::size_t k = 0; k < count; ++k) {
    EXPECT_FALSE(common::ItemPath(k).empty()) << k;
    EXPECT_EQ(common::ItemType(k), 600) << "the list was emptied first";
  }
}

TEST_F(ProcessesTest, FindProcessByPathFindsTheProgramByPathOrBareFileName) {
  const std::string path = Copy("find-me.exe");
  Process& p = Start(path);
  const struct {
    std::string wanted;
    bool matches;
  } cases[] = {
      {path, true},
      {"\"" + path + "\" -background", true},  // a command line
      {"find-me.exe", true},                   // only the file name
      {"FIND-ME.EXE", true},
      {folder_ + "\\elsewhere\\find-me.exe", false},  // another folder is another file
      {"find-me", false},
      {"not-running.exe", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(system::FindProcessByPath(c.wanted), c.matches ? p.id() : 0u) << c.wanted;
}

TEST_F(ProcessesTest, KillProcessByIdEndsOnlyTheProcessItWasListedFor) {
  const std::string path = Copy("listed.exe");
  Process& p = Start(path);
  const auto seen = Seen(p.id());
  ASSERT_TRUE(seen);
  ASSERT_NE(seen->createdAt, 0u);
  const system::ProcessIdentity listed{p.id(), seen->createdAt};

  // An id that names a process started at another time, or one whose start is unknown.
  for (const system::ProcessIdentity& wrong :
       {system::ProcessIdentity{p.id(), seen->createdAt + 1},
        system::ProcessIdentity{p.id(), seen->createdAt - 1}, system::ProcessIdentity{p.id(), 0}}) {
    EXPECT_FALSE(system::KillProcessById(wrong));
    EXPECT_TRUE(p.Running());
  }
  EXPECT_TRUE(system::KillProcessById(listed));
  EXPECT_EQ(p.WaitForExit(5s), 1u);
  copies_.EndAll();  // closes the last handle: the id is free again

  // The stale entry never ends a later program, even one that was given the same id.
  bool reused = false;
  for (int attempt = 0; attempt < 40 && !reused; ++attempt) {
    Process& next = Start(path);
    reused = next.id() == listed.id;
    EXPECT_FALSE(system::KillProcessById(listed));
    EXPECT_TRUE(next.Running());
    if (!reused) copies_.EndAll();
  }
  if (!reused) std::printf("note: the system gave the id to no later process\n");

  EXPECT_FALSE(system::KillProcessById(DWORD{0})) << "no process has id 0";
  Process& plain = Start(path);
  EXPECT_TRUE(system::KillProcessById(plain.id()));
  EXPECT_EQ(plain.WaitForExit(5s), 1u);
}

TEST_F(ProcessesTest, RunningProgramsAreDatedOnceAndSeededOnTheFirstRun) {
  const std::string dated = Copy("dated.exe");
  const std::string fresh = Copy("fresh.exe");
  Start(dated);
  Start(fresh);
  const std::string key = common::DetectedSubkeyPath(common::kDetectedActiveTasks);
  ASSERT_TRUE(common::WriteStoreString(HKEY_CURRENT_USER, key, dated, "01/02/2003"));

  system::RecordRunningPrograms();
  EXPECT_EQ(common::LookupFirstDetected(600, dated), "01/02/2003") << "an existing date stays";
  const std::string today = core::TruncateChars(common::LocalDateTimeNow(), 24);
  EXPECT_EQ(common::LookupFirstDetected(600, fresh), today);
  // Named as the list names the program, so the page finds the date.
  system::EnumActiveTasks();
  const auto items = ItemsFor(fresh);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(common::LookupFirstDetected(600, common::ItemPath(items.front())), today);

  // The first run dates every running program.
  ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(std::string(common::kDetectedKey)).c_str());
  app::CategoryBaselineHooks().initFirstDetected();
  EXPECT_EQ(common::LookupFirstDetected(600, dated), today);
  EXPECT_EQ(common::LookupFirstDetected(600, fresh), today);
  const auto files = system::RunningProgramFiles();
  EXPECT_EQ(std::count_if(files.begin(), files.end(),
                          [&](const std::string& f) { return core::EqualsNoCase(f, fresh); }),
            1);
}

// The libraries of the process functions come from the system folder: copies planted under
// their names in the program's folder or the current folder are never loaded.
TEST_F(ProcessesTest, ProcessLibrariesPlantedBesideTheProgramAreNotLoaded) {
  const std::string planted = common::ProgramFolder() + "\\planted_library.dll";
  const std::string current = folder_ + "\\current";
  ASSERT_TRUE(::CreateDirectoryW(win32::Wide(current).c_str(), nullptr));
  std::vector<std::string> copies;
  for (const std::string& folder : {common::ProgramFolder(), current})
    for (const char* name : {"psapi.dll", "vdmdbg.dll"}) {
      copies.push_back(folder + "\\" + name);
      ASSERT_TRUE(
          ::CopyFileW(win32::Wide(planted).c_str(), win32::Wide(copies.back()).c_str(), FALSE));
    }
  wchar_t previous[MAX_PATH * 2];
  ASSERT_GT(::GetCurrentDirectoryW(MAX_PATH * 2, previous), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryW(win32::Wide(current).c_str()));

  bool self = false;
  const bool enumerated = system::EnumRunningProcesses([&](const system::RunningProcess& p) {
    self = self || p.id == ::GetCurrentProcessId();
    return true;
  });

  ::SetCurrentDirectoryW(previous);
  EXPECT_TRUE(enumerated);
  EXPECT_TRUE(self) << "the system's own libraries did the work";
  for (const std::string& copy : copies) {
    EXPECT_FALSE(win32::IsExistingFile(copy + ".loaded")) << copy << " was loaded";
    ::DeleteFileW(win32::Wide(copy + ".loaded").c_str());
    ::DeleteFileW(win32::Wide(copy).c_str());
  }
  ::RemoveDirectoryW(win32::Wide(current).c_str());
}

TEST_F(ProcessesTest, TheTasksOfAnNtvdmProcessComeUnderItsId) {
  const std::string vdm = Copy("ntvdm.exe");
  const DWORD id = Start(vdm).id();
  const auto under = [id] {
    std::vector<system::RunningProcess> found;
    system::EnumRunningProcesses([&](const system::RunningProcess& p) {
      if (p.id == id) found.push_back(p);
      return true;
    });
    return found;
  };
  {
    const StandInTaskLibrary tasks;
    const std::vector<system::RunningProcess> walked = under();
    ASSERT_EQ(walked.size(), 3u);
    EXPECT_TRUE(core::EqualsNoCase(walked[0].imagePath, vdm));
    EXPECT_FALSE(walked[0].sixteenBitTask);
    EXPECT_EQ(walked[1].imagePath, "C:\\OLDAPPS\\LEDGER16.EXE");
    EXPECT_EQ(walked[2].imagePath, "C:\\OLDAPPS\\CLOCK16.EXE");
    for (std::size_t i = 1; i < 3; ++i) {
      EXPECT_TRUE(walked[i].sixteenBitTask) << i;
      EXPECT_EQ(walked[i].createdAt, walked[0].createdAt) << "the process's own start";
    }

    // Stopping at a task stops everything.
    int after = 0;
    bool stopped = false;
    system::EnumRunningProcesses([&](const system::RunningProcess& p) {
      EXPECT_FALSE(stopped) << "called again after it asked to stop";
      if (stopped) ++after;
      stopped = p.imagePath == "C:\\OLDAPPS\\LEDGER16.EXE";
      return !stopped;
    });
    EXPECT_TRUE(stopped);
    EXPECT_EQ(after, 0);

    // Other processes have no tasks walked.
    const DWORD plain = Start(Copy("plain.exe")).id();
    int calls = 0;
    system::EnumRunningProcesses([&](const system::RunningProcess& p) {
      calls += p.id == plain;
      return true;
    });
    EXPECT_EQ(calls, 1);
  }
  // A 64-bit program never sees a real NTVDM: a process merely named so is listed as itself, and
  // the system's task library (under Wine, one that ends its caller) is left alone.
  const std::vector<system::RunningProcess> alone = under();
  ASSERT_EQ(alone.size(), 1u);
  EXPECT_TRUE(core::EqualsNoCase(alone[0].imagePath, vdm));
}

}  // namespace
}  // namespace obrivo::test
