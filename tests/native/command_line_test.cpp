// Command lines from the registry and shortcuts, resolved to the program file they start.
#include "core/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace obrivo::core {
namespace {

const SystemFolders kFolders{"C:\\WINDOWS", "D:\\Apps"};

TEST(CommandLine, CommandToProgramPath) {
  const std::string longFolder(300, 'a');
  const struct {
    std::string command, expected;
  } cases[] = {
      {"C:\\PROGRA~1\\Tool\\tool.exe -start", "C:\\PROGRA~1\\TOOL\\TOOL.EXE"},
      {"\"C:\\Program Files\\My Tool\\tool.exe\" /x", "C:\\PROGRAM FILES\\MY TOOL\\TOOL.EXE"},
      {"C:\\Program Files\\My Tool\\tool.exe /background", "C:\\PROGRAM FILES\\MY TOOL\\TOOL.EXE"},
      {"rundll32.exe C:\\WINDOWS\\x.dll,Start", "RUNDLL32.EXE"},
      {"C:\\Tools\\x.dll,Entry", "C:\\TOOLS\\X.DLL"},
      {"C:\\Tools\\tool.exe.config", "C:\\TOOLS\\TOOL.EXE"},
      // Dots in folder and file names that only look like an extension.
      {"C:\\Tools\\Kit.old\\agent.exe -x", "C:\\TOOLS\\KIT.OLD\\AGENT.EXE"},
      {"\"C:\\bin\\wine.explorer.exe\" /q", "C:\\BIN\\WINE.EXPLORER.EXE"},
      {"C:\\a.xls2\\b.dll,Run", "C:\\A.XLS2\\B.DLL"},
      {"C:\\a.ex_\\b.exe", "C:\\A.EX_\\B.EXE"},
      {"C:\\Tools\\agent.ex", "C:\\TOOLS\\AGENT.EX"},
      {"notepad.exe C:\\notes.txt", "NOTEPAD.EXE"},
      {"", ""},
      // Text in front of the (last) drive letter is cut.
      {"start /min D:\\Games\\game.exe", "D:\\GAMES\\GAME.EXE"},
      {"C:\\Launcher D:\\Tools\\x.exe -q", "D:\\TOOLS\\X.EXE"},
      // Folder tokens are replaced by the folders given, in either spelling.
      {"%SystemRoot%\\system32\\x.exe", "C:\\WINDOWS\\SYSTEM32\\X.EXE"},
      {"\\SystemRoot\\System32\\x.exe", "C:\\WINDOWS\\SYSTEM32\\X.EXE"},
      {"\"%systemroot%\\system32\\x.exe\" -k netsvcs", "C:\\WINDOWS\\SYSTEM32\\X.EXE"},
      {"%ProgramFiles%\\A B\\c.exe", "D:\\APPS\\A B\\C.EXE"},
      {"\"%ProgramFiles%\\A B\\c.exe\" /s", "D:\\APPS\\A B\\C.EXE"},
      {"%programfiles%\\c.exe", "D:\\APPS\\C.EXE"},
      {"C:\\ProgramFiles\\c.exe", "C:\\PROGRAMFILES\\C.EXE"},  // a folder of that name stays
      {"C:\\Программы\\жук.exe -x", "C:\\ПРОГРАММЫ\\ЖУК.EXE"},
      // A path longer than the old 260-character buffer is resolved whole.
      {"\"C:\\" + longFolder + "\\x.exe\" /y", "C:\\" + std::string(300, 'A') + "\\X.EXE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command.substr(0, 60));
    EXPECT_EQ(CommandToProgramPath(c.command, kFolders), c.expected);
  }
}

TEST(CommandLine, ProgramFilesFallsBackToTheUsualFolder) {
  EXPECT_EQ(CommandToProgramPath("%ProgramFiles%\\A\\a.exe", {"C:\\WINDOWS", ""}),
            "C:\\PROGRAM FILES\\A\\A.EXE");
}

TEST(CommandLine, CommandToProgramPathAndArgs) {
  const auto longPath = [](std::string_view p) { return "long(" + std::string(p) + ")"; };
  const struct {
    std::string command, path, rest;
  } cases[] = {
      {"C:\\WINDOWS\\System32\\main.cpl,@1", "long(C:\\WINDOWS\\SYSTEM32\\MAIN.CPL)", ",@1"},
      {"\"C:\\Program Files\\A\\a.exe\" -x -y", "long(C:\\PROGRAM FILES\\A\\A.EXE)", "\" -x -y"},
      {"%SystemRoot%\\system32\\x.dll,Run /k", "long(C:\\WINDOWS\\SYSTEM32\\X.DLL)", ",Run /k"},
      {"C:\\x.exe", "long(C:\\X.EXE)", ""},
      // This variant leaves %ProgramFiles% alone.
      {"%ProgramFiles%\\A\\c.exe", "long(%PROGRAMFILES%\\A\\C.EXE)", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const ProgramAndArgs r = CommandToProgramPathAndArgs(c.command, kFolders, longPath);
    EXPECT_EQ(r.path, c.path);
    EXPECT_EQ(r.rest, c.rest);
  }
  // Only this variant stops at a control-panel extension.
  EXPECT_EQ(CommandToProgramPath("C:\\x.cpl,@1", kFolders), "C:\\X.CPL,@1");
  EXPECT_EQ(CommandToProgramPathAndArgs("C:\\x.cpl,@1", kFolders, nullptr).path, "C:\\X.CPL");
}

TEST(CommandLine, ProgramQuotedBeforeItsArguments) {
  const struct {
    std::string command, quoted;
  } cases[] = {
      {"C:\\Program Files\\My Tool\\tool.exe /background",
       "\"C:\\PROGRAM FILES\\MY TOOL\\TOOL.EXE\" /background"},
      {"\"C:\\Program Files\\My Tool\\tool.exe\" /x",
       "\"C:\\PROGRAM FILES\\MY TOOL\\TOOL.EXE\" /x"},
      {"\"C:\\x.exe\"", "\"C:\\X.EXE\""},
      {"C:\\x.exe", "\"C:\\X.EXE\""},
      {"C:\\x.exe   -a  -b ", "\"C:\\X.EXE\" -a  -b "},  // only the blanks in front go
      {"%ProgramFiles%\\A B\\c.exe -q", "\"D:\\APPS\\A B\\C.EXE\" -q"},
      {"notepad.exe C:\\notes.txt", "\"NOTEPAD.EXE\" C:\\notes.txt"},
      {"C:\\Tools\\Kit.old\\agent.exe \"C:\\a b\\c.txt\"",
       "\"C:\\TOOLS\\KIT.OLD\\AGENT.EXE\" \"C:\\a b\\c.txt\""},
      {"C:\\Программы\\жук.exe -x", "\"C:\\ПРОГРАММЫ\\ЖУК.EXE\" -x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(QuotedCommandLine(CommandToProgramPath(c.command, kFolders),
                                CommandArguments(c.command, kFolders)),
              c.quoted);
  }
  EXPECT_EQ(QuotedCommandLine("C:\\Program Files\\Obrivo\\obrivo.exe", "-expressboot"),
            "\"C:\\Program Files\\Obrivo\\obrivo.exe\" -expressboot");
}

TEST(CommandLine, RundllTargetOnlyWhenTheHostIsTheProgram) {
  const struct {
    std::string command;
    std::optional<std::string> target;
  } cases[] = {
      {"rundll32.exe C:\\WINDOWS\\x.dll,Start", "C:\\WINDOWS\\x.dll,Start"},
      {"C:\\WINDOWS\\System32\\RUNDLL32.EXE shell32.dll,Control_RunDLL x.cpl",
       "shell32.dll,Control_RunDLL x.cpl"},
      {"rundll32 x.dll,Run", "x.dll,Run"},
      {"\"C:\\Program Files\\Host\\RunDll32.exe\" \"C:\\A B\\x.dll\",Run",
       "\"C:\\A B\\x.dll\",Run"},
      {"\"rundll32.exe\"x.dll,Run", "x.dll,Run"},
      {"  rundll32.exe   x.dll,Run  /q", "x.dll,Run  /q"},
      {"C:/Windows/rundll32.exe x.dll,Run", "x.dll,Run"},
      {"RunDll32.exe", ""},
      // The host mentioned anywhere else does not make the command its own: another program
      // runs, with the host's name among its arguments.
      {"evil.exe RUNDLL32.EXE C:\\WINDOWS\\x.dll,Start", std::nullopt},
      {"C:\\Tools\\evil.exe rundll32 x.dll,Start", std::nullopt},
      {"\"C:\\Tools\\evil.exe\" C:\\WINDOWS\\rundll32.exe x.dll,Start", std::nullopt},
      {"C:\\rundll32.exe.evil.exe x.dll,Start", std::nullopt},
      {"C:\\Tools\\myrundll32.exe x.dll,Start", std::nullopt},
      {"C:\\RUNDLL32\\agent.exe", std::nullopt},
      {"C:\\Tools\\tool.exe -start", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(RundllTarget(c.command), c.target);
  }
}

TEST(CommandLine, JoinCommandLineQuotesAProgramWithSpacesOnlyWhenArgumentsFollow) {
  const struct {
    std::string program, arguments, line;
  } cases[] = {
      {"C:\\Tools\\cmd.exe", "/c run.bat", "C:\\Tools\\cmd.exe /c run.bat"},
      {"C:\\My Tools\\cmd.exe", "/c run.bat", "\"C:\\My Tools\\cmd.exe\" /c run.bat"},
      {"C:\\My Tools\\cmd.exe", "", "C:\\My Tools\\cmd.exe"},
      {"C:\\Tools\\cmd.exe", "", "C:\\Tools\\cmd.exe"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(JoinCommandLine(c.program, c.arguments), c.line);
  }
}

TEST(CommandLine, SplitProgramAndArguments) {
  const std::vector<std::string> files = {"C:\\Program Files\\Tool\\tool.exe", "C:\\Tools\\run",
                                          "C:\\Tools\\run me.bat", "C:\\Tools\\cmd.exe",
                                          "notepad.exe"};
  const auto isFile = [&files](std::string_view path) {
    for (const std::string& file : files)
      if (file == path) return true;
    return false;
  };
  const struct {
    std::string command, program, arguments;
  } cases[] = {
      // Quoted: the quotes decide, whatever exists.
      {"\"C:\\Program Files\\Tool\\tool.exe\" -a \"x y\"", "C:\\Program Files\\Tool\\tool.exe",
       "-a \"x y\""},
      {"\"C:\\Gone Away\\x.exe\"", "C:\\Gone Away\\x.exe", ""},
      {"\"C:\\Unclosed\\x.exe -a", "C:\\Unclosed\\x.exe -a", ""},
      // Unquoted: the shortest existing file, spaces in its path or not.
      {"C:\\Program Files\\Tool\\tool.exe -a  -b", "C:\\Program Files\\Tool\\tool.exe", "-a  -b"},
      {"C:\\Program Files\\Tool\\tool.exe", "C:\\Program Files\\Tool\\tool.exe", ""},
      {"C:\\Tools\\cmd.exe /c C:\\x y\\z.bat", "C:\\Tools\\cmd.exe", "/c C:\\x y\\z.bat"},
      {"C:\\Tools\\run me.bat now", "C:\\Tools\\run", "me.bat now"},  // as Windows would
      {"notepad.exe C:\\notes.txt", "notepad.exe", "C:\\notes.txt"},
      {"  C:\\Tools\\cmd.exe\t/k  ", "C:\\Tools\\cmd.exe", "/k"},
      // Nothing exists: the first name with an extension, else the whole command.
      {"C:\\Gone Away\\x.exe /q", "C:\\Gone Away\\x.exe", "/q"},
      {"C:\\Kit.old\\agent -x", "C:\\Kit.old\\agent -x", ""},
      {"C:\\Gone\\folder", "C:\\Gone\\folder", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    const CommandParts parts = SplitProgramAndArguments(c.command, isFile);
    EXPECT_EQ(parts.program, c.program);
    EXPECT_EQ(parts.arguments, c.arguments);
  }
  // Without a way to look at files, the extension decides.
  const CommandParts byName =
      SplitProgramAndArguments("C:\\Program Files\\Tool\\tool.exe -a", nullptr);
  EXPECT_EQ(byName.program, "C:\\Program Files\\Tool\\tool.exe");
  EXPECT_EQ(byName.arguments, "-a");
  // What a joined line splits back into.
  const CommandParts back =
      SplitProgramAndArguments(JoinCommandLine("C:\\Tools\\run me.bat", "now"), isFile);
  EXPECT_EQ(back.program, "C:\\Tools\\run me.bat");
  EXPECT_EQ(back.arguments, "now");
}

}  // namespace
}  // namespace obrivo::core
