// Texts from the string table, translation overrides and the interface language.
#include "common/text_loader.h"

#include "common/store.h"
#include "wine_test_env.h"

namespace obrivo::test {
namespace {

using common::App;
using common::LoadText;

class TextLoaderTest : public SandboxedTest {
 protected:
  static void SetOverride(int id, const std::string& text) {
    common::WriteStoreString(HKEY_LOCAL_MACHINE, common::kProductKey,
                             "LString" + std::to_string(id), text);
  }
};

TEST_F(TextLoaderTest, StringTableTextsAreCutAtCapacity) {
  App().languageId = 9;
  EXPECT_EQ(LoadText(2), "Obrivo");
  EXPECT_EQ(LoadText(820), "Tavik is currently on patrol.");
  EXPECT_EQ(LoadText(820, 6), "Tavik");
  EXPECT_EQ(LoadText(999999), "") << "an id without text";
}

TEST_F(TextLoaderTest, OverridesApplyOnlyWhenTheInterfaceIsNotEnglish) {
  SetOverride(820, "Tavik patrouilliert.%nZweite Zeile");
  App().languageId = 9;
  EXPECT_EQ(LoadText(820), "Tavik is currently on patrol.");
  App().languageId = 7;
  EXPECT_EQ(LoadText(820), "Tavik patrouilliert.\nZweite Zeile");
  EXPECT_EQ(LoadText(2), "Obrivo") << "ids without override keep the table text";
  SetOverride(821, std::string(800, 'x'));
  EXPECT_EQ(LoadText(821), LoadText(821, 10000)) << "an override beyond 771 characters is ignored";
  EXPECT_NE(LoadText(821).find("Tavik"), std::string::npos);
}

TEST_F(TextLoaderTest, LanguageComesFromTheLanguageCodeOverride) {
  common::SelectLanguage();
  EXPECT_EQ(App().languageId, 9) << "the built-in table is English";
  SetOverride(634, "de");
  common::SelectLanguage();
  EXPECT_EQ(App().languageId, 7);
  SetOverride(634, "xx");
  common::SelectLanguage();
  EXPECT_EQ(App().languageId, 0);
}

TEST_F(TextLoaderTest, ResetLanguageDeletesOverridesAndWindowPositions) {
  for (int id : {0, 634, 1165}) SetOverride(id, "t");
  SetOverride(1166, "kept: beyond the translatable ids");
  common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "xPosAlert", "10");
  common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "dyPosAddFileType", "10");
  common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "Version", "16.0.2009.5");

  App().languageId = 9;
  common::ResetLanguage();
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, std::string(common::kProductKey), "LString634"))
      << "an English interface resets nothing";

  App().languageId = 7;
  common::ResetLanguage();
  for (const char* name : {"LString0", "LString634", "LString1165"})
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, std::string(common::kProductKey), name)) << name;
  EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, std::string(common::kProductKey), "LString1166"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::string(common::kProductKey), "xPosAlert"));
  EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, std::string(common::kProductKey), "dyPosAddFileType"));
  EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, std::string(common::kProductKey), "Version"));
}

}  // namespace
}  // namespace obrivo::test
