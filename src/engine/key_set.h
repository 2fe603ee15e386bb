#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace tarsil {

// A set of keys told apart by code and extended flag (index = code + 256 for
// the extended form): 512 bits, so remembering what a key sent never
// allocates.
class KeySet {
 public:
  static constexpr std::size_t kSize = 512;

  static constexpr std::size_t indexOf(std::uint8_t vk, bool extended) noexcept {
    return vk + (extended ? 256u : 0u);
  }

  bool contains(std::size_t index) const noexcept {
    return (words_[index / 64] >> (index % 64)) & 1u;
  }
  void insert(std::size_t index) noexcept { words_[index / 64] |= bit(index); }
  void erase(std::size_t index) noexcept { words_[index / 64] &= ~bit(index); }
  void clear() noexcept { words_ = {}; }

  // Calls visit(index) for every member in ascending order.
  template <typename Visit>
  void forEach(Visit&& visit) const noexcept {
    for (std::size_t word = 0; word < words_.size(); ++word) {
      for (std::uint64_t rest = words_[word]; rest != 0; rest &= rest - 1) {
        visit(word * 64 + static_cast<std::size_t>(std::countr_zero(rest)));
      }
    }
  }

 private:
  static constexpr std::uint64_t bit(std::size_t index) noexcept {
    return std::uint64_t{1} << (index % 64);
  }

  std::array<std::uint64_t, kSize / 64> words_{};
};

}  // namespace tarsil
