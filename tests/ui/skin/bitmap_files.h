#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarsil::testing {

inline void putLittleEndian(std::string& bytes, std::size_t at, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i)
    bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}

// A .bmp file of `rows` (top row first; '.' white, '#' black, 'e' 0xFEFFFF)
// with `bits` a pixel. Indexed depths get a palette: black and white at 1
// bit, black, 0xFEFFFF and white at 4 and 8; 16 bits store 5 bits a colour;
// 24 and 32 store blue, green, red. Stored bottom row first unless `topDown`.
inline std::string bitmapFile(const std::vector<std::string>& rows, int bits,
                              bool topDown = false) {
  const auto width = static_cast<std::uint32_t>(rows[0].size());
  const auto height = static_cast<std::uint32_t>(rows.size());
  const std::uint32_t rowBytes = (width * static_cast<std::uint32_t>(bits) + 31) / 32 * 4;
  const std::uint32_t colours = bits == 1 ? 2 : bits <= 8 ? 3 : 0;
  const std::uint32_t pixelsAt = 14 + 40 + colours * 4;
  std::string file(pixelsAt + rowBytes * height, '\0');
  file[0] = 'B';
  file[1] = 'M';
  putLittleEndian(file, 2, static_cast<std::uint32_t>(file.size()), 4);
  putLittleEndian(file, 10, pixelsAt, 4);
  putLittleEndian(file, 14, 40, 4);
  putLittleEndian(file, 18, width, 4);
  putLittleEndian(file, 22, topDown ? 0u - height : height, 4);
  putLittleEndian(file, 26, 1, 2);
  putLittleEndian(file, 28, static_cast<std::uint32_t>(bits), 2);
  putLittleEndian(file, 46, colours, 4);
  const std::vector<std::uint32_t> palette =
      bits == 1 ? std::vector<std::uint32_t>{0x000000, 0xFFFFFF}
                : std::vector<std::uint32_t>{0x000000, 0xFEFFFF, 0xFFFFFF};
  for (std::uint32_t i = 0; i < colours; ++i) putLittleEndian(file, 54 + i * 4, palette[i], 4);
  for (std::uint32_t y = 0; y < height; ++y) {
    const std::uint32_t stored = topDown ? y : height - 1 - y;
    for (std::uint32_t x = 0; x < width; ++x) {
      const char c = rows[y][x];
      const std::uint32_t index = c == '#'   ? 0
                                  : c == 'e' ? 1
                                             : static_cast<std::uint32_t>(palette.size()) - 1;
      const std::uint32_t colour = palette[index];
      const std::size_t row = pixelsAt + stored * rowBytes;
      if (bits <= 8) {
        const std::uint32_t bit = x * static_cast<std::uint32_t>(bits);
        const auto shift = static_cast<int>(8 - static_cast<std::uint32_t>(bits) - bit % 8);
        file[row + bit / 8] =
            static_cast<char>(static_cast<unsigned char>(file[row + bit / 8]) | (index << shift));
      } else if (bits == 16) {
        putLittleEndian(file, row + x * 2, c == '#' ? 0 : 0x7FFF, 2);  // 5 bits a colour
      } else {
        putLittleEndian(file, row + x * static_cast<std::uint32_t>(bits / 8), colour, 3);
      }
    }
  }
  return file;
}

}  // namespace tarsil::testing
