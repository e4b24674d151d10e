// Note files.
#include "common/notes.h"

#include <windows.h>

#include "common/utilities.h"
#include "common/win32/files.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"
#include "core/text.h"
#include "core/utf.h"

namespace obrivo::common {
namespace {

constexpr std::size_t kExtensionChars = 4;  // ".exe"

// The program file's name as the file system spells it when it exists (the resolution upper-
// cases it), so a new note file is named like its program.
std::string ProgramFileName(std::string_view command) {
  std::string path = CommandToProgramPath(core::StripQuotes(command));
  if (FileExists(path)) {
    if (auto stored = win32::StoredFileName(path)) return *stored;
  }
  const std::size_t offset = core::FileNameOffset(path);
  return path.substr(offset);
}

}  // namespace

std::string NoteFilePath(std::string_view command) {
  const std::string fileName = ProgramFileName(command);
  if (fileName.empty()) return {};
  std::vector<std::size_t> offsets;
  const std::u32string chars = core::DecodeUtf8(fileName, &offsets);
  // A name of four characters or fewer has no extension to drop and is kept whole.
  const std::string name = chars.size() > kExtensionChars
                               ? fileName.substr(0, offsets[chars.size() - kExtensionChars])
                               : fileName;
  const std::string noteName = "\\note_" + name + ".txt";
  const std::string inProgramFolder = ProgramFolder() + noteName;
  if (win32::IsExistingFile(inProgramFolder)) return inProgramFolder;
  return DataFolder() + noteName;
}

bool NoteExists(std::string_view command) {
  const std::string path = NoteFilePath(command);
  return !path.empty() && win32::IsExistingFile(path);
}

std::optional<std::string> ReadNote(std::string_view path) {
  auto text = win32::ReadWholeFile(path);
  if (text && !core::IsUtf8(*text)) return core::Cp1252ToUtf8(*text);
  return text;
}

bool WriteNote(std::string_view path, std::string_view text) {
  win32::UniqueHandle file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

}  // namespace obrivo::common
