// Following the DPI a window is shown at.
#include "common/win32/dpi.h"

#include <utility>

#include "core/dpi.h"

namespace obrivo::win32 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Looked up at run time: older systems do not have it, and the programs must still start there.
GetDpiForWindowFn GetDpiForWindowFunction() {
  static const GetDpiForWindowFn function = [] {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<GetDpiForWindowFn>(
                        reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")))
                  : nullptr;
  }();
  return function;
}

struct RefontSearch {
  DpiFonts* fonts;
  int dpi;
};

BOOL CALLBACK RefontControl(HWND control, LPARAM param) {
  auto* search = reinterpret_cast<RefontSearch*>(param);
  auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  if (!font) return TRUE;
  if (const std::optional<std::size_t> index = search->fonts->IndexOf(font))
    if (HFONT scaled = search->fonts->Get(*index, search->dpi); scaled && scaled != font)
      ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(scaled), TRUE);
  return TRUE;
}

}  // namespace

int WindowDpi(HWND window) {
  if (GetDpiForWindowFn getDpi = GetDpiForWindowFunction(); getDpi && window)
    if (const UINT dpi = getDpi(window); dpi > 0) return static_cast<int>(dpi);
  int dpi = 0;
  if (HDC dc = ::GetDC(window)) {
    dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(window, dc);
  }
  return dpi > 0 ? dpi : core::kStandardDpi;
}

void DpiFonts::SetDescriptions(std::vector<FontDescription> descriptions) {
  std::lock_guard lock(mutex_);
  made_.clear();
  descriptions_ = std::move(descriptions);
}

void DpiFonts::Clear() {
  std::lock_guard lock(mutex_);
  made_.clear();
}

HFONT DpiFonts::Get(std::size_t index, int dpi) {
  std::lock_guard lock(mutex_);
  if (index >= descriptions_.size()) return nullptr;
  std::vector<UniqueGdiObject>& fonts = made_[dpi];
  fonts.resize(descriptions_.size());
  if (!fonts[index]) {
    const FontDescription& f = descriptions_[index];
    fonts[index].reset(::CreateFontW(-core::ScaleToDpi(f.height, dpi), 0, 0, 0, f.weight, FALSE,
                                     f.underline, FALSE, f.charSet, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, f.pitchAndFamily,
                                     f.face.c_str()));
  }
  return static_cast<HFONT>(fonts[index].get());
}

std::optional<std::size_t> DpiFonts::IndexOf(HFONT font) const {
  if (!font) return std::nullopt;
  std::lock_guard lock(mutex_);
  for (const auto& [dpi, fonts] : made_)
    for (std::size_t i = 0; i < fonts.size(); ++i)
      if (fonts[i].get() == font) return i;
  return std::nullopt;
}

void RefontControls(HWND window, DpiFonts& fonts, int dpi) {
  RefontSearch search{&fonts, dpi};
  ::EnumChildWindows(window, RefontControl, reinterpret_cast<LPARAM>(&search));
}

void MoveToSuggestedRect(HWND window, LPARAM lParam) {
  const auto* r = reinterpret_cast<const RECT*>(lParam);
  if (!r) return;
  ::SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace obrivo::win32
