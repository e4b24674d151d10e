// What every fuzzer shares: the input as text fields, and the check that stops the run with the
// case that broke a property (libFuzzer keeps the input that led to the abort).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace obrivo::fuzz {

// Fields are separated by the unit separator (0x1F), so a corpus file is one readable case
// ("C:\\tools\\a.exe -x" 0x1F "C:\\windows") and mutations still reach every field.
inline constexpr char kFieldSeparator = '\x1F';

class Fields {
 public:
  Fields(const std::uint8_t* data, std::size_t size)
      : all_(reinterpret_cast<const char*>(data), size) {
    std::size_t start = 0;
    while (true) {
      const std::size_t end = all_.find(kFieldSeparator, start);
      fields_.push_back(all_.substr(start, end == std::string_view::npos ? end : end - start));
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
  }

  // The whole input, separators included.
  std::string_view All() const { return all_; }
  // Field `i`; empty when the input has fewer fields.
  std::string_view Text(std::size_t i) const {
    return i < fields_.size() ? fields_[i] : std::string_view();
  }
  // Field `i` as a decimal number (an optional '-' first, wrapping modulo 2^32, anything after
  // the digits ignored), so corpus files can spell numbers and the fuzzer can reach every value.
  std::int32_t Number(std::size_t i) const {
    const std::string_view t = Text(i);
    std::size_t pos = 0;
    const bool negative = !t.empty() && t[0] == '-';
    if (negative) pos = 1;
    std::uint32_t value = 0;
    for (; pos < t.size() && t[pos] >= '0' && t[pos] <= '9'; ++pos)
      value = value * 10u + static_cast<std::uint32_t>(t[pos] - '0');
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
  }
  // Field `i` as a number in [low, high].
  int NumberIn(std::size_t i, int low, int high) const {
    const auto span = static_cast<std::uint32_t>(high - low) + 1u;
    return low + static_cast<int>(static_cast<std::uint32_t>(Number(i)) % span);
  }
  // Field `i` is set: present, not empty and not "0".
  bool Flag(std::size_t i) const {
    const std::string_view t = Text(i);
    return !t.empty() && t != "0";
  }

 private:
  std::string_view all_;
  std::vector<std::string_view> fields_;
};

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
  std::abort();
}

// Undoes the query escaping of web addresses: "+" is "&", "%XX" a byte, anything else itself.
// False when a "%" is not followed by two hexadecimal digits.
inline bool UnescapeQuery(std::string_view text, std::string& out) {
  const auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  out.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += '&';
    } else if (text[i] == '%') {
      if (i + 2 >= text.size()) return false;
      const int high = hex(text[i + 1]), low = hex(text[i + 2]);
      if (high < 0 || low < 0) return false;
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return true;
}

}  // namespace obrivo::fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::obrivo::fuzz::Fail(#condition, __FILE__, __LINE__))
