// Class identifiers: spellings of one identifier meet, names that are none meet only themselves.
#include "core/class_id.h"

#include <gtest/gtest.h>

namespace obrivo::core {
namespace {

constexpr char kCanonical[] = "{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}";

TEST(ClassId, SpellingsOfOneIdentifierAndNamesThatAreNone) {
  const struct {
    const char* text;
    const char* canonical;  // null: no class identifier
  } cases[] = {
      {"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}", kCanonical},
      {"{0a1b2c3d-4e5f-6789-abcd-ef0123456789}", kCanonical},
      {"0a1b2c3d-4E5F-6789-abcd-EF0123456789", kCanonical},
      {"  {0A1B2C3D-4E5F-6789-ABCD-EF0123456789} ", kCanonical},
      {"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789", nullptr},   // opening brace only
      {"0A1B2C3D-4E5F-6789-ABCD-EF0123456789}", nullptr},   // closing brace only
      {"{0A1B2C3D-4E5F-6789-ABCD-EF012345678}", nullptr},   // one digit short
      {"{0A1B2C3D-4E5F-6789-ABCD-EF01234567890}", nullptr}, // one digit long
      {"{0A1B2C3D-4E5F-6789-ABCD-EF012345678G}", nullptr},  // not a hex digit
      {"{0A1B2C3D4-E5F-6789-ABCD-EF0123456789}", nullptr},  // a dash moved
      {"{}", nullptr},
      {"", nullptr},
      {"Toolbar name", nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> canonical = CanonicalClassId(c.text);
    if (c.canonical) {
      ASSERT_TRUE(canonical.has_value()) << c.text;
      EXPECT_EQ(*canonical, c.canonical) << c.text;
    } else {
      EXPECT_FALSE(canonical.has_value()) << c.text << " gave " << canonical.value_or("");
    }
  }
}

TEST(ClassId, IdentityKeepsKindsAndUnparseableNamesApart) {
  const struct {
    int typeA;
    const char* keyA;
    int typeB;
    const char* keyB;
    bool same;
  } cases[] = {
      {900, "{0a1b2c3d-4e5f-6789-abcd-ef0123456789}", 900, "0A1B2C3D-4E5F-6789-ABCD-EF0123456789",
       true},
      {900, kCanonical, 901, kCanonical, false},  // a toolbar of one class is another add-on
      {901, "not a class", 901, "not a class", true},
      {901, "not a class", 901, "another", false},
      // A name that only looks like the identifier's canonical text never meets it.
      {901, "?{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}", 901, kCanonical, false},
      {901, "{0A1B2C3D-4E5F-6789-ABCD-EF012345678}", 901, kCanonical, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AddOnIdentity(c.typeA, c.keyA) == AddOnIdentity(c.typeB, c.keyB), c.same)
        << c.keyA << " / " << c.keyB;
  }
  EXPECT_EQ(AddOnIdentity(902, "x"), "902 ?x");
  EXPECT_EQ(AddOnIdentity(900, "0a1b2c3d-4e5f-6789-abcd-ef0123456789"),
            std::string("900 ") + kCanonical);
}

TEST(ClassId, SameClassAndRegistrationName) {
  EXPECT_TRUE(SameClass("{0a1b2c3d-4e5f-6789-abcd-ef0123456789}", kCanonical));
  EXPECT_TRUE(SameClass("odd name", "ODD NAME"));
  EXPECT_FALSE(SameClass("odd name", kCanonical));
  EXPECT_FALSE(SameClass("{0A1B2C3D-4E5F-6789-ABCD-EF012345678}", kCanonical));
  EXPECT_EQ(ClassRegistrationName("0A1B2C3D-4E5F-6789-ABCD-EF0123456789"), kCanonical);
  EXPECT_EQ(ClassRegistrationName(kCanonical), kCanonical);
  EXPECT_EQ(ClassRegistrationName("{half"), "{half");
}

}  // namespace
}  // namespace obrivo::core
