// The notifier's exports by ordinal: start watching for a window, stop, and start again.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/utilities.h"
#include "common/win32/unique.h"
#include "common/win32/wide.h"

namespace obrivo::test {
namespace {

using StartFn = BOOL(WINAPI*)(HWND);
using StopFn = void(WINAPI*)();

TEST(Quenrax, StartsAndStopsByOrdinal) {
  win32::UniqueModule dll(
      ::LoadLibraryW(win32::Wide(common::ProgramFolder() + "\\Quenrax.dll").c_str()));
  ASSERT_TRUE(dll);
  auto start = reinterpret_cast<StartFn>(
      reinterpret_cast<void*>(::GetProcAddress(dll.get(), MAKEINTRESOURCEA(2))));
  auto stop = reinterpret_cast<StopFn>(
      reinterpret_cast<void*>(::GetProcAddress(dll.get(), MAKEINTRESOURCEA(3))));
  ASSERT_NE(start, nullptr);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(::GetProcAddress(dll.get(), "QuenraxStart"), nullptr) << "ordinals only";

  EXPECT_FALSE(start(nullptr)) << "no window to report to";
  HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  for (int round = 0; round < 2; ++round) {  // a stopped watcher can start again
    EXPECT_TRUE(start(window));
    EXPECT_TRUE(start(window)) << "a second start keeps the running watcher";
    stop();
  }
  stop();  // stopping twice is harmless
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace obrivo::test
