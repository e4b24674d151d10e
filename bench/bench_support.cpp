// Clocks, summaries, figures and the program folder of the benchmarks.
#include "bench_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <numeric>
#include <sstream>

namespace obrivo::bench {
namespace {

constexpr wchar_t kUserRun[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

double FileTimeSeconds(const FILETIME& time) {
  const ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<double>(ticks) / 1e7;
}

// The whole of a small file (here: a host /proc file seen through drive Z:).
std::string ReadSmallFile(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string text;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  ::CloseHandle(file);
  return text;
}

}  // namespace

double WallSeconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

double ProcessCpuSeconds(HANDLE process) {
  FILETIME created, ended, kernel, user;
  if (!::GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
  return FileTimeSeconds(kernel) + FileTimeSeconds(user);
}

double OwnCpuSeconds() { return ProcessCpuSeconds(::GetCurrentProcess()); }

double HostCpuSeconds(const std::wstring& pid) {
  static const double tick = [] {
    const std::wstring text = test::EnvVar(L"BENCH_CLK_TCK");
    return text.empty() ? 0.0 : std::wcstod(text.c_str(), nullptr);
  }();
  if (pid.empty() || tick <= 0) return -1;
  const std::string stat = ReadSmallFile(L"Z:\\proc\\" + pid + L"\\stat");
  // The command name may hold spaces; the numbered fields follow its closing parenthesis.
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  double utime = -1, stime = -1;
  for (int index = 3; fields >> field && index <= 15; ++index) {
    if (index == 14) utime = std::strtod(field.c_str(), nullptr);
    if (index == 15) stime = std::strtod(field.c_str(), nullptr);
  }
  if (utime < 0 || stime < 0) return -1;
  return (utime + stime) / tick;
}

double WineServerCpuSeconds() {
  static const std::wstring pid = test::EnvVar(L"BENCH_WINESERVER_PID");
  return HostCpuSeconds(pid);
}

std::wstring HostPidOf(const std::wstring& programPath) {
  WIN32_FIND_DATAW entry{};
  HANDLE find = ::FindFirstFileW(L"Z:\\proc\\*", &entry);
  if (find == INVALID_HANDLE_VALUE) return {};
  std::wstring found;
  do {
    const std::wstring pid = entry.cFileName;
    if (pid.empty() || pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
    const std::string line = ReadSmallFile(L"Z:\\proc\\" + pid + L"\\cmdline");
    const std::string first = line.substr(0, line.find_first_of(std::string(" \0", 2)));
    if (!first.empty() && _wcsicmp(test::HostToWine(std::wstring(first.begin(), first.end())).c_str(),
                                   programPath.c_str()) == 0)
      found = pid;
  } while (found.empty() && ::FindNextFileW(find, &entry));
  ::FindClose(find);
  return found;
}

HostMemory HostMemoryOf(const std::wstring& pid) {
  HostMemory memory;
  std::istringstream status(ReadSmallFile(L"Z:\\proc\\" + pid + L"\\status"));
  std::string label;
  double kilobytes = 0;
  for (std::string line; std::getline(status, line);) {
    std::istringstream fields(line);
    if (!(fields >> label >> kilobytes)) continue;
    if (label == "VmRSS:") memory.resident = kilobytes * 1024;
    if (label == "VmHWM:") memory.peak = kilobytes * 1024;
  }
  return memory;
}

Clocks Clocks::Now() { return Clocks{WallSeconds(), OwnCpuSeconds(), WineServerCpuSeconds()}; }

Clocks Clocks::operator-(const Clocks& start) const {
  return Clocks{wall - start.wall, ownCpu - start.ownCpu,
                serverCpu < 0 || start.serverCpu < 0 ? -1 : serverCpu - start.serverCpu};
}

Summary Summarise(std::vector<double> samples) {
  Summary s;
  s.count = samples.size();
  if (samples.empty()) return s;
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  s.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  // Nearest rank: the smallest sample with at least 95% of the series at or below it.
  const auto rank = static_cast<std::size_t>(std::ceil(0.95 * static_cast<double>(n)));
  s.p95 = samples[std::max<std::size_t>(rank, 1) - 1];
  s.min = samples.front();
  s.max = samples.back();
  s.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(n);
  return s;
}

void Figure(const std::string& name, const std::string& text) {
  std::printf("%s: %s\n", name.c_str(), text.c_str());
  std::fflush(stdout);
}

void Progress(const std::string& text) {
  std::fprintf(stderr, "  %s\n", text.c_str());
  std::fflush(stderr);
}

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

int IntArgument(int argc, wchar_t** argv, const wchar_t* name, int fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wcscmp(argv[i], name) == 0) return std::wcstol(argv[i + 1], nullptr, 10);
  return fallback;
}

ProgramFolder::ProgramFolder(const std::wstring& name) {
  ::CreateDirectoryW(L"C:\\obrivo-bench", nullptr);
  path_ = L"C:\\obrivo-bench\\" + name;
  ::CreateDirectoryW(path_.c_str(), nullptr);
  const std::wstring bin = test::HostToWine(test::EnvVar(L"OBRIVO_BIN_DIR"));
  if (bin.empty()) {
    Progress("OBRIVO_BIN_DIR must name the folder of the built programs");
    return;
  }
  helper_ = bin + L"\\obrivo_test_helper.exe";
  ready_ = true;
  for (const wchar_t* file : {L"Obrivo.exe", L"ObrivoEx.exe", L"Quenrax.dll"})
    ready_ = ready_ && ::CopyFileW((bin + L"\\" + file).c_str(), Program(file).c_str(), FALSE);
  ready_ = ready_ && ::CopyFileW(helper_.c_str(), Program(L"agent.exe").c_str(), FALSE);
  if (!ready_) Progress("cannot copy the programs from OBRIVO_BIN_DIR");
  ResetStore();
}

ProgramFolder::~ProgramFolder() {
  test::KillProcessesIn(path_);
  for (const wchar_t* file : {L"Obrivo.exe", L"ObrivoEx.exe", L"Quenrax.dll", L"agent.exe",
                              L"history.txt", L"send2tv.txt", L"sendex2tv.txt"})
    ::DeleteFileW(Program(file).c_str());
  ::RemoveDirectoryW(path_.c_str());
  ::RemoveDirectoryW(L"C:\\obrivo-bench");
  ResetStore();
}

void ProgramFolder::ResetStore() {
  ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tolvane");
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Tolvane");
  ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kUserRun, L"Obrivo");
}

bool ProgramFolder::SetOption(const wchar_t* name, const wchar_t* value) {
  const DWORD bytes = static_cast<DWORD>((std::wcslen(value) + 1) * sizeof(wchar_t));
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tolvane\\Obrivo\\Options", name, REG_SZ,
                           value, bytes) == ERROR_SUCCESS;
}

HWND StartMonitor(const ProgramFolder& folder, test::Process& process) {
  process = test::Process(folder.Program(L"Obrivo.exe"), L"", folder.path());
  if (!process.started()) return nullptr;
  HWND window = test::WaitForWindow(L"Obrivo", nullptr, std::chrono::seconds(30));
  if (!window) return nullptr;
  DWORD_PTR result = 0;  // a message round trip: its first command has been handled by then
  ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 30000, &result);
  return window;
}

bool SetUserRunValue(const std::wstring& name, const std::wstring& data) {
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, kUserRun, name.c_str(), REG_SZ, data.c_str(),
                           bytes) == ERROR_SUCCESS;
}

bool UserRunValueExists(const std::wstring& name) {
  return ::RegGetValueW(HKEY_CURRENT_USER, kUserRun, name.c_str(), RRF_RT_ANY, nullptr, nullptr,
                        nullptr) == ERROR_SUCCESS;
}

void DeleteUserRunValue(const std::wstring& name) {
  ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserRun, name.c_str());
}

}  // namespace obrivo::bench
