#include "ini/name_fold.h"

#include <cstdint>

namespace tarsil::ini::detail {

namespace {

constexpr bool in(char16_t c, char16_t first, char16_t last) { return c >= first && c <= last; }
constexpr bool isOdd(char16_t c) { return (c & 1u) != 0; }
constexpr char16_t minus(char16_t c, int delta) { return static_cast<char16_t>(c - delta); }

char16_t foldNonAscii(char16_t c) {
  if (c < 0x100) {
    if (in(c, 0xE0, 0xFE) && c != 0xF7) return minus(c, 0x20);
    if (c == 0xFF) return 0x178;
    return c;
  }
  if (c < 0x180) {
    // Pairs of upper and lower case, the upper one first, except where the
    // block shifts by one. 0x131 (dotless i) and 0x17F (long s) have no
    // partner of their own and stay.
    if (in(c, 0x100, 0x137) && isOdd(c) && c != 0x131) return minus(c, 1);
    if (in(c, 0x139, 0x148) && !isOdd(c)) return minus(c, 1);
    if (in(c, 0x14A, 0x177) && isOdd(c)) return minus(c, 1);
    if (in(c, 0x179, 0x17E) && !isOdd(c)) return minus(c, 1);
    return c;
  }
  if (in(c, 0x3AC, 0x3CE)) {  // Greek
    if (c == 0x3AC) return 0x386;
    if (in(c, 0x3AD, 0x3AF)) return minus(c, 0x25);
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if (in(c, 0x3B1, 0x3CB)) return minus(c, 0x20);
    if (c == 0x3CC) return 0x38C;
    if (in(c, 0x3CD, 0x3CE)) return minus(c, 0x3F);
    return c;
  }
  if (in(c, 0x400, 0x4BF)) {  // Cyrillic
    if (in(c, 0x430, 0x44F)) return minus(c, 0x20);
    if (in(c, 0x450, 0x45F)) return minus(c, 0x50);
    if ((in(c, 0x460, 0x481) || in(c, 0x48A, 0x4BF)) && isOdd(c)) return minus(c, 1);
    return c;
  }
  if (in(c, 0xFF41, 0xFF5A)) return minus(c, 0x20);  // full-width Latin
  return c;
}

}  // namespace

char16_t foldCase(char16_t c) {
  if (c < 0x80) return in(c, u'a', u'z') ? minus(c, 0x20) : c;
  return foldNonAscii(c);
}

bool equalFolded(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && foldCase(a[i]) != foldCase(b[i])) return false;
  }
  return true;
}

std::size_t hashFolded(std::u16string_view name) {
  // FNV-1a over the folded code units.
  std::uint64_t hash = 14695981039346656037ull;
  for (const char16_t c : name) {
    hash = (hash ^ foldCase(c)) * 1099511628211ull;
  }
  return static_cast<std::size_t>(hash ^ (hash >> 29));
}

}  // namespace tarsil::ini::detail
