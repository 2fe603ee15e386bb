#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

// Case-blind names of sections and keys. Internal to src/ini.
namespace tarsil::ini::detail {

// The upper-case form Windows compares names by: ASCII, Latin-1, Latin
// Extended-A, Greek, Cyrillic and full-width Latin letters. Letters without a
// one-to-one partner (dotless i, long s, sharp s) stay as they are.
char16_t foldCase(char16_t c);
bool equalFolded(std::u16string_view a, std::u16string_view b);
std::size_t hashFolded(std::u16string_view name);

// Transparent, so that lookups take a view of the caller's name and neither
// fold nor copy it.
struct FoldedHash {
  using is_transparent = void;
  std::size_t operator()(std::u16string_view name) const noexcept { return hashFolded(name); }
};
struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const noexcept {
    return equalFolded(a, b);
  }
};

template <typename Value>
using NameMap = std::unordered_map<std::u16string, Value, FoldedHash, FoldedEqual>;

}  // namespace tarsil::ini::detail
