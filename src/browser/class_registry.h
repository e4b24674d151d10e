// What the add-on lists read from the registry: texts read whole, and a class's registration.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

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

// "CLSID\" + the name the class is registered under.
std::string ClassKeyPath(std::string_view key);

// common::ReadVersionInfo, kept per file for as long as its size and last write time stay: each
// patrol lists every add-on again, and reading a file's version resource costs far more than
// the registry reads.
std::optional<common::VersionInfo> CachedVersionInfo(std::string_view path);

}  // namespace obrivo::browser
