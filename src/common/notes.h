// Note files: a text the user keeps about a program, note_<name>.txt beside the programs or in
// the data folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace obrivo::common {

// The note file of the program that `command` starts: for "<folder>\<name>.<ext>" it is
// note_<name>.txt (the file name without its last four characters), in the program folder when
// that file exists there, otherwise in the data folder. Empty when the command names no file.
std::string NoteFilePath(std::string_view command);
bool NoteExists(std::string_view command);

// The whole note as UTF-8 (an older ANSI note is read as Windows-1252); nothing when it cannot
// be read.
std::optional<std::string> ReadNote(std::string_view path);
// Replaces the note with `text`, written as UTF-8.
bool WriteNote(std::string_view path, std::string_view text);

}  // namespace obrivo::common
