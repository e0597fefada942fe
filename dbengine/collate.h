// Windows-1252 case folding used by case-insensitive indexes and name
// lookups. Folding maps every lower-case letter to its upper-case partner
// (a-z, the accented letters 0xE0-0xFE but the division sign, and the four
// letters of the 0x80 row), so two texts equal but for letter case fold to
// the same bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace ffdetail {

constexpr std::array<uint8_t, 256> MakeUpperTable() {
  std::array<uint8_t, 256> t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<uint8_t>(i);
  for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<uint8_t>(c - 32);
  for (int c = 0xE0; c <= 0xFE; ++c)
    if (c != 0xF7) t[c] = static_cast<uint8_t>(c - 32);
  t[0x9A] = 0x8A;  // s with caron
  t[0x9C] = 0x8C;  // oe ligature
  t[0x9E] = 0x8E;  // z with caron
  t[0xFF] = 0x9F;  // y with diaeresis
  return t;
}
inline constexpr std::array<uint8_t, 256> kUpper = MakeUpperTable();

inline bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (kUpper[static_cast<uint8_t>(a[i])] != kUpper[static_cast<uint8_t>(b[i])]) return false;
  return true;
}

}  // namespace ffdetail
