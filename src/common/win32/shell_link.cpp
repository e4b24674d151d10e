// Shortcut files through the shell link object.
#include "common/win32/shell_link.h"

#include <objidl.h>
#include <shlobj.h>

#include <vector>

#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"

namespace obrivo::win32 {
namespace {

// Paths inside a shortcut may be longer than MAX_PATH; descriptions are at most INFOTIPSIZE.
constexpr int kPathChars = 32768;
constexpr int kTextChars = 4096;

// A missing drive or removed medium must not bring up the system's "insert a disk" box while
// a shortcut is looked at.
class QuietErrors {
 public:
  QuietErrors() : previous_(::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
  ~QuietErrors() { ::SetErrorMode(previous_); }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  UINT previous_;
};

ComPtr<IShellLinkW> NewShellLink() {
  ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void())))
    link.reset();
  return link;
}

template <typename Getter>
std::string ReadField(Getter get, int chars) {
  std::vector<wchar_t> buffer(static_cast<std::size_t>(chars), L'\0');
  if (FAILED(get(buffer.data(), chars))) return {};
  buffer.back() = L'\0';
  return Narrow(buffer.data());
}

}  // namespace

std::optional<ShellLinkTarget> ResolveShellLink(std::string_view shortcut, DWORD timeoutMs) {
  ComScope com;
  const ComPtr<IShellLinkW> link = NewShellLink();
  if (!link) return std::nullopt;
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return std::nullopt;

  const QuietErrors quiet;
  if (FAILED(file->Load(Wide(shortcut).c_str(), STGM_READ))) return std::nullopt;
  // With SLR_NO_UI the high word is the time-out in milliseconds. SLR_NOUPDATE: looking at a
  // shortcut never rewrites it, even when its target was found elsewhere.
  const DWORD flags =
      SLR_NO_UI | SLR_NOUPDATE | (timeoutMs > 0xFFFF ? 0xFFFF0000u : timeoutMs << 16);
  if (link->Resolve(nullptr, flags) != S_OK) return std::nullopt;

  ShellLinkTarget target;
  target.path =
      ReadField([&](wchar_t* b, int n) { return link->GetPath(b, n, nullptr, 0); }, kPathChars);
  if (target.path.empty() || !FileAttributes(target.path)) return std::nullopt;
  target.arguments =
      ReadField([&](wchar_t* b, int n) { return link->GetArguments(b, n); }, kTextChars);
  target.description =
      ReadField([&](wchar_t* b, int n) { return link->GetDescription(b, n); }, kTextChars);
  target.workingDirectory =
      ReadField([&](wchar_t* b, int n) { return link->GetWorkingDirectory(b, n); }, kPathChars);
  return target;
}

bool CreateShellLink(std::string_view shortcut, const ShellLinkFields& fields) {
  ComScope com;
  const ComPtr<IShellLinkW> link = NewShellLink();
  if (!link) return false;
  if (FAILED(link->SetPath(Wide(fields.target).c_str()))) return false;
  link->SetArguments(Wide(fields.arguments).c_str());
  link->SetDescription(Wide(fields.description).c_str());
  link->SetWorkingDirectory(Wide(fields.workingDirectory).c_str());
  if (!fields.iconPath.empty())
    link->SetIconLocation(Wide(fields.iconPath).c_str(), fields.iconIndex);
  ComPtr<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) return false;
  return SUCCEEDED(file->Save(Wide(shortcut).c_str(), TRUE));
}

std::string ShellLinkCommandLine(const ShellLinkTarget& link) {
  return core::JoinCommandLine(link.path, link.arguments);
}

core::CommandParts SplitShellLinkCommandLine(std::string_view commandLine) {
  return core::SplitProgramAndArguments(commandLine, IsExistingFile);
}

}  // namespace obrivo::win32
