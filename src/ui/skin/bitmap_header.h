#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace tarsil {

// The largest side of a skin picture: the skin is a window on one screen.
inline constexpr std::int32_t kMaxPictureSide = 8192;

// The headers of a .bmp file lie in its first bytes: the file header, the
// largest info header and its colour masks, and a colour table of 256
// entries.
inline constexpr std::size_t kBitmapHeadBytes = 14 + 124 + 12 + 256 * 4;

// What a .bmp file's headers say, once they were found sound.
struct BitmapFacts {
  std::int32_t width = 0;
  std::int32_t height = 0;  // rows, top to bottom when `topDown`
  bool topDown = false;
  int bitsPerPixel = 0;        // 1, 4, 8, 16, 24 or 32
  std::uint64_t pixelsAt = 0;  // where the rows start in the file
  std::uint64_t rowBytes = 0;  // rows are padded to four bytes
};

struct BitmapCheck {
  // Empty when the picture can be handed to the system; else what is wrong,
  // to follow "The picture <path> ", as "is cut short: ...".
  std::string problem;
  BitmapFacts facts;
};

// Checks a .bmp file by its first bytes (`head`: up to kBitmapHeadBytes of
// them, fewer when the file is shorter) and its size, before the system
// reads it: header sizes the format knows, one plane, a depth the format
// knows, no compression, sides of 1..kMaxPictureSide, colour tables that
// end before the pixels, and every row within the file.
BitmapCheck checkBitmapHeader(std::span<const std::uint8_t> head, std::uint64_t fileSize);

// The same for a file on disk; a missing or unreadable file is a problem too.
BitmapCheck checkBitmapFile(const std::filesystem::path& path);

}  // namespace tarsil
