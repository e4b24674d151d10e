// What the add-on lists read from the registry: texts read whole, and a class's registration.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/utilities.h"

namespace obrivo::browser {

// A string value read whole (REG_EXPAND_SZ expanded); nothing when the key or value is missing or
// holds no string.
std::optional<std::string> ReadText(HKEY root, std::string_view path, std::string_view name);

struct ClassRegistration {
  std::string text;        // default value of CLSID\{id}
  std::string serverPath;  // default value of its InprocServer32 subkey
  bool hasServer = false;  // the InprocServer32 default value exists (it may be empty)
};
// The class named by `key` (braces added when it lacks the opening one) under HKEY_CLASSES_ROOT.
ClassRegistration LookUpClass(std::string_view key);
// Its parts alone. Each key opened costs more than anything else a listing does, so a caller
// that needs the class's text only when there is no server reads it only then.
std::optional<std::string> ClassServer(std::string_view key);
std::string ClassText(std::string_view key);

// The string values of a key, read in one enumeration, found by name as the registry finds them
// (case-insensitively), REG_EXPAND_SZ expanded: for a listing that needs several values of one
// key, one key opened instead of one per value.
class KeyTexts {
 public:
  KeyTexts(HKEY root, std::string_view path);
  // Empty when the value is missing or holds no string.
  std::string Get(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> values_;
};

// "CLSID\" + the name the class is registered under.
std::string ClassKeyPath(std::string_view key);

// common::ReadVersionInfo, kept per file for as long as its size and last write time stay: each
// patrol lists every add-on again, and reading a file's version resource costs far more than
// the registry reads.
std::optional<common::VersionInfo> CachedVersionInfo(std::string_view path);

}  // namespace obrivo::browser
