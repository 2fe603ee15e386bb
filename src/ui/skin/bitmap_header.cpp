#include "ui/skin/bitmap_header.h"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <vector>

namespace tarsil {

namespace {

constexpr std::uint64_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCompressionNone = 0;       // BI_RGB
constexpr std::uint32_t kCompressionBitFields = 3;  // BI_BITFIELDS: masks, no compression

// Little-endian fields; the caller has made sure they are within `head`.
std::uint32_t u16(std::span<const std::uint8_t> head, std::size_t at) {
  return static_cast<std::uint32_t>(head[at] | head[at + 1] << 8);
}
std::uint32_t u32(std::span<const std::uint8_t> head, std::size_t at) {
  return u16(head, at) | u16(head, at + 2) << 16;
}

std::string text(std::uint64_t n) { return std::to_string(n); }

bool isKnownInfoHeaderSize(std::uint32_t size) {
  // BITMAPCOREHEADER, BITMAPINFOHEADER, its V2 and V3 extensions, V4, V5.
  return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool isKnownDepth(std::uint32_t bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

BitmapCheck checkBitmapHeader(std::span<const std::uint8_t> head, std::uint64_t fileSize) {
  BitmapCheck check;
  const auto refuse = [&check](std::string problem) {
    check.problem = std::move(problem);
    return check;
  };
  head = head.first(static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), fileSize)));
  if (head.size() < kFileHeaderBytes + 12) {
    return refuse("is cut short: " + text(fileSize) + " bytes are too few for a bitmap's headers");
  }
  if (head[0] != 'B' || head[1] != 'M')
    return refuse("is no bitmap: it does not start with \"BM\"");
  const std::uint64_t pixelsAt = u32(head, 10);
  const std::uint32_t infoSize = u32(head, 14);
  if (!isKnownInfoHeaderSize(infoSize)) {
    return refuse("has an information header of " + text(infoSize) +
                  " bytes, a size no bitmap's has");
  }
  if (kFileHeaderBytes + infoSize > head.size()) {
    return refuse("is cut short: its headers need " + text(kFileHeaderBytes + infoSize) +
                  " bytes, but the file has " + text(fileSize));
  }
  std::int64_t width = 0;
  std::int64_t height = 0;
  std::uint32_t planes = 0;
  std::uint32_t bits = 0;
  std::uint32_t compression = kCompressionNone;
  std::uint64_t colours = 0;
  std::uint64_t entryBytes = 4;
  if (infoSize == 12) {
    width = u16(head, 18);
    height = u16(head, 20);
    planes = u16(head, 22);
    bits = u16(head, 24);
    entryBytes = 3;
  } else {
    width = static_cast<std::int32_t>(u32(head, 18));
    height = static_cast<std::int32_t>(u32(head, 22));
    planes = u16(head, 26);
    bits = u16(head, 28);
    compression = u32(head, 30);
    colours = u32(head, 46);
  }
  if (planes != 1) return refuse("has " + text(planes) + " colour planes; a bitmap has one");
  if (!isKnownDepth(bits))
    return refuse("has " + text(bits) + " bits a pixel, a depth no bitmap has");
  const bool masks = compression == kCompressionBitFields && (bits == 16 || bits == 32);
  if (compression != kCompressionNone && !masks) {
    return refuse("is compressed, which the program does not read: save it uncompressed");
  }
  const std::int64_t rows = height < 0 ? -height : height;
  if (width < 1 || width > kMaxPictureSide || rows < 1 || rows > kMaxPictureSide) {
    return refuse("is " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels; a picture of the skin has 1 to " + std::to_string(kMaxPictureSide) +
                  " pixels a side");
  }
  if (bits <= 8) {
    const std::uint64_t choices = 1ull << bits;
    if (colours > choices) {
      return refuse("names " + text(colours) + " colours, more than pixels of " + text(bits) +
                    " bits can choose from");
    }
    if (colours == 0) colours = choices;
  }
  // A plain information header is followed by the three colour masks.
  const std::uint64_t maskBytes = masks && infoSize == 40 ? 12 : 0;
  const std::uint64_t tablesEnd = kFileHeaderBytes + infoSize + maskBytes + colours * entryBytes;
  if (pixelsAt < tablesEnd) {
    return refuse("has its pixels at byte " + text(pixelsAt) +
                  ", inside its headers, which end at byte " + text(tablesEnd));
  }
  const auto columns = static_cast<std::uint64_t>(width);
  const std::uint64_t rowBytes = (columns * bits + 31) / 32 * 4;
  const std::uint64_t pixelBytes = rowBytes * static_cast<std::uint64_t>(rows);
  if (pixelsAt > fileSize || pixelBytes > fileSize - pixelsAt) {
    return refuse("is cut short: its " + std::to_string(width) + " x " + std::to_string(rows) +
                  " pixels need " + text(pixelBytes) + " bytes from byte " + text(pixelsAt) +
                  ", but the file ends at byte " + text(fileSize));
  }
  check.facts = {static_cast<std::int32_t>(width),
                 static_cast<std::int32_t>(rows),
                 height < 0,
                 static_cast<int>(bits),
                 pixelsAt,
                 rowBytes};
  return check;
}

BitmapCheck checkBitmapFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    BitmapCheck check;
    check.problem = std::filesystem::exists(path, error) ? "is no file" : "is missing";
    return check;
  }
  const std::uint64_t size = std::filesystem::file_size(path, error);
  std::vector<std::uint8_t> head(
      static_cast<std::size_t>(std::min<std::uint64_t>(error ? 0 : size, kBitmapHeadBytes)));
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  if (error || !in) {
    BitmapCheck check;
    check.problem = "cannot be read";
    return check;
  }
  return checkBitmapHeader(head, size);
}

}  // namespace tarsil
