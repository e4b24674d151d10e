// User-visible text with per-id overrides.
#include "common/text_loader.h"

#include <string_view>

#include "common/app.h"
#include "common/store.h"
#include "common/win32/system.h"
#include "core/language.h"
#include "core/text.h"

namespace obrivo::common {
namespace {

std::string OverrideName(int id) { return "LString" + std::to_string(id); }

constexpr const char* kWindowPositionValues[] = {
    "xPos",
    "yPos",
    "dxPos",
    "dyPos",
    "xPosAlert",
    "yPosAlert",
    "dxAlert",
    "dyAlert",
    "xInfo",
    "yInfo",
    "dxInfo",
    "dyInfo",
    "xPosSysFiles",
    "yPosSysFiles",
    "dxSysFiles",
    "dySysFiles",
    "xCookie",
    "yCookie",
    "dxCookie",
    "dyCookie",
    "xDefaultWarning",
    "yDefaultWarning",
    "dxDefaultWarning",
    "dyDefaultWarning",
    "xPosAddFileType",
    "yPosAddFileType",
    "dxPosAddFileType",
    "dyPosAddFileType",
};

}  // namespace

const char* const* WindowPositionValueNames(std::size_t* count) {
  *count = std::size(kWindowPositionValues);
  return kWindowPositionValues;
}

std::string LoadText(int id, std::size_t capacity) {
  if (App().languageId != core::kLanguageEnglish) {
    const std::string overrideText =
        ReadStoreString(kProductKey, HKEY_LOCAL_MACHINE, OverrideName(id), core::kOverrideCapacity);
    if (!overrideText.empty()) return core::ApplyTextOverride(overrideText, capacity);
  }
  const auto text = win32::LoadResourceString(App().instance, id);
  return text ? core::TruncateChars(*text, capacity) : std::string();
}

void SelectLanguage() {
  App().languageId = 0;
  App().languageId = core::LanguageIdFromCode(LoadText(core::kLanguageCodeStringId, 32));
}

void ResetLanguage() {
  if (App().languageId == core::kLanguageEnglish) return;
  DeleteOverridesAndPositions();
}

void DeleteOverridesAndPositions() {
  for (int id = 0; id <= core::kLastOverridableStringId; ++id)
    DeleteStoreValue(HKEY_LOCAL_MACHINE, kProductKey, OverrideName(id));
  for (const char* name : kWindowPositionValues)
    DeleteStoreValue(HKEY_CURRENT_USER, kProductKey, name);
}

}  // namespace obrivo::common
