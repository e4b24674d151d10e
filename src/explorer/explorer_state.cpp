// What the Explorer's windows share while it runs.
#include "explorer/explorer_state.h"

#include <string>
#include <utility>
#include <vector>

#include "common/store.h"
#include "common/win32/wide.h"

namespace obrivo::explorer {
namespace {

// Faces, heights at 96 DPI, weights of the fonts with a fixed face, in the order of `Font`.
struct FixedFont {
  const wchar_t* face;
  int height;
  int weight;
  bool underline;
  BYTE family;
};

constexpr FixedFont kFonts[] = {
    {L"Verdana", 18, 600, false, FF_SWISS},
    {L"Arial", 18, 500, false, FF_SWISS},
    {L"Arial", 18, 500, true, FF_SWISS},
    {L"MS Sans Serif", 14, 600, false, FF_SWISS},
    {L"MS Sans Serif", 10, 600, false, FF_SWISS},
    {L"Arial", 14, 400, false, FF_SWISS},
    {L"MS Sans Serif", 12, 500, false, FF_SWISS},
    {L"MS Shell Dlg", 14, 700, false, FF_DONTCARE},
    {L"MS Shell Dlg", 14, 500, false, FF_DONTCARE},
};
static_assert(std::size(kFonts) + 1 == static_cast<std::size_t>(Font::Count_),
              "every font but the note font has a fixed face");

win32::FontDescription Describe(std::wstring face, int height, int weight, bool underline,
                                BYTE family) {
  return {std::move(face), height,          weight,
          underline,       DEFAULT_CHARSET, static_cast<BYTE>(DEFAULT_PITCH | family)};
}

}  // namespace

ExplorerState& Explorer() {
  static ExplorerState state;
  return state;
}

bool Trace(std::string_view category, std::string_view text) {
  return common::WriteTraceLine(Explorer().trace, category, text);
}

bool TraceElapsed() {
  bool alertShown = false;  // the Explorer raises no alerts
  return common::WriteTraceElapsed(Explorer().trace, alertShown);
}

HFONT SharedFont(Font font, int dpi) {
  return Explorer().fonts.Get(static_cast<std::size_t>(font), dpi);
}

HBITMAP SharedBitmap(int id) {
  for (std::size_t i = 0; i < kSharedBitmapIds.size(); ++i)
    if (kSharedBitmapIds[i] == id) return static_cast<HBITMAP>(Explorer().bitmaps[i].get());
  return nullptr;
}

void CreateSharedResources(HINSTANCE instance) {
  ExplorerState& s = Explorer();
  std::vector<win32::FontDescription> descriptions;
  for (const FixedFont& f : kFonts)
    descriptions.push_back(Describe(f.face, f.height, f.weight, f.underline, f.family));
  std::string face =
      common::ReadStoreString(common::kOptionsKey, HKEY_CURRENT_USER, "NoteFont", 32);
  if (face.empty()) face = "Arial";
  const int size = common::ReadOption("NoteSize", 14);
  descriptions.push_back(Describe(win32::Wide(face), size > 0 ? size : 14, 500, false, FF_SWISS));
  s.fonts.SetDescriptions(std::move(descriptions));
  for (std::size_t i = 0; i < kSharedBitmapIds.size(); ++i)
    s.bitmaps[i].reset(::LoadImageW(instance, MAKEINTRESOURCEW(kSharedBitmapIds[i]), IMAGE_BITMAP,
                                    0, 0, LR_DEFAULTCOLOR));
}

void ReleaseSharedResources() {
  ExplorerState& s = Explorer();
  s.fonts.Clear();
  for (auto& b : s.bitmaps) b.reset();
}

}  // namespace obrivo::explorer
