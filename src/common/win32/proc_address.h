// A function of a loaded module looked up by name (or by ordinal, as MAKEINTRESOURCEA), typed by
// the caller: for system functions that are optional or missing from some SDK's headers.
#pragma once

#include <windows.h>

namespace obrivo::win32 {

// GetProcAddress gives a FARPROC, which has no relation to the function's real type. The cast goes
// through void (*)(), the one function type compilers accept to stand for any other without a
// warning; nothing is called through it. Null when the module or the function is missing.
template <typename Fn>
Fn ProcAddress(HMODULE module, const char* name) {
  if (!module) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace obrivo::win32
