// UTF-16 <-> UTF-8: any UTF-16 text, lone surrogates included, comes back exactly; well-formed
// UTF-8 comes back exactly; anything else decodes one Windows-1252 character per stray byte into
// text that then stays as it is.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "core/utf.h"
#include "fuzz_input.h"

using namespace obrivo::core;

namespace {

// True when `text` holds an encoded high surrogate directly followed by an encoded low one: two
// UTF-16 units that become one pair, so the UTF-8 after a round trip is the four-byte form.
bool HasSplitPair(std::string_view text) {
  const std::u32string chars = DecodeUtf8(text);
  for (std::size_t i = 0; i + 1 < chars.size(); ++i)
    if (chars[i] >= 0xD800 && chars[i] <= 0xDBFF && chars[i + 1] >= 0xDC00 && chars[i + 1] <= 0xDFFF)
      return true;
  return false;
}

void CheckUtf16(std::string_view bytes) {
  std::u16string wide(bytes.size() / 2, u'\0');
  if (!wide.empty()) std::memcpy(wide.data(), bytes.data(), wide.size() * 2);
  const std::string narrow = Utf16ToUtf8(wide);
  FUZZ_CHECK(IsUtf8(narrow));
  FUZZ_CHECK(Utf8ToUtf16(narrow) == wide);
  FUZZ_CHECK(Utf16ToUtf8(Utf8ToUtf16(narrow)) == narrow);
}

void CheckUtf8(std::string_view text) {
  std::vector<std::size_t> offsets;
  const std::u32string chars = DecodeUtf8(text, &offsets);
  FUZZ_CHECK(offsets.size() == chars.size());
  FUZZ_CHECK(CharCount(text) == chars.size());
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    FUZZ_CHECK(offsets[i] < text.size());
    FUZZ_CHECK(i == 0 ? offsets[i] == 0 : offsets[i] > offsets[i - 1]);
    // Each character is what its own bytes decode to.
    const std::size_t end = i + 1 < offsets.size() ? offsets[i + 1] : text.size();
    FUZZ_CHECK(end - offsets[i] <= 4);
    FUZZ_CHECK(DecodeUtf8(text.substr(offsets[i], end - offsets[i])) == std::u32string(1, chars[i]));
  }
  for (const char32_t c : chars) FUZZ_CHECK(c <= 0x10FFFF);

  const std::string encoded = EncodeUtf8(chars);
  FUZZ_CHECK(IsUtf8(encoded));
  FUZZ_CHECK(DecodeUtf8(encoded) == chars);
  if (IsUtf8(text)) {
    FUZZ_CHECK(encoded == text);
    if (!HasSplitPair(text)) FUZZ_CHECK(Utf16ToUtf8(Utf8ToUtf16(text)) == text);
  } else {
    FUZZ_CHECK(encoded != text);
  }
  const std::string again = Utf16ToUtf8(Utf8ToUtf16(text));
  FUZZ_CHECK(IsUtf8(again));
  FUZZ_CHECK(Utf16ToUtf8(Utf8ToUtf16(again)) == again);

  // ANSI text as a whole: one character per byte, ASCII unchanged.
  const std::string ansi = Cp1252ToUtf8(text);
  FUZZ_CHECK(IsUtf8(ansi));
  FUZZ_CHECK(CharCount(ansi) == text.size());
  bool ascii = true;
  for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) FUZZ_CHECK(ansi == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckUtf16(bytes);
  CheckUtf8(bytes);
  return 0;
}
