#include "ini/text_codec.h"

#include <cstdint>

namespace tarsil::ini::detail {

void appendUtf16Le(std::u16string_view text, std::string& bytes) {
  for (const char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xFF));
    bytes.push_back(static_cast<char>(c >> 8));
  }
}

namespace {

// Length of the UTF-8 sequence that starts at `i` and its code point, or 0
// when the bytes there are no valid sequence.
std::size_t utf8Sequence(std::string_view bytes, std::size_t i, char32_t& codePoint) {
  const auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = byteAt(i);
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  std::size_t length = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    minimum = 0x80;
    codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    minimum = 0x800;
    codePoint = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    minimum = 0x10000;
    codePoint = lead & 0x07u;
  } else {
    return 0;
  }
  if (bytes.size() - i < length) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char next = byteAt(i + k);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3Fu);
  }
  if (codePoint < minimum || codePoint > 0x10FFFF) return 0;
  if (codePoint >= 0xD800 && codePoint <= 0xDFFF) return 0;
  return length;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
  char32_t codePoint = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = utf8Sequence(bytes, i, codePoint);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

void decodeUtf8(std::string_view bytes, std::u16string& text) {
  char32_t codePoint = 0;
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = utf8Sequence(bytes, i, codePoint);
    if (length == 0) {  // not reached for validated input; never loop forever
      text.push_back(u'\uFFFD');
      ++i;
      continue;
    }
    i += length;
    if (codePoint < 0x10000) {
      text.push_back(static_cast<char16_t>(codePoint));
    } else {
      codePoint -= 0x10000;
      text.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
      text.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
  }
}

bool encodeUtf8(std::u16string_view text, std::string& bytes) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDFFF) {
      if (c > 0xDBFF || i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) {
        return false;
      }
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u);
    }
    if (c < 0x80) {
      bytes.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      bytes.push_back(static_cast<char>(0xE0 | (c >> 12)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      bytes.push_back(static_cast<char>(0xF0 | (c >> 18)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return true;
}

}  // namespace tarsil::ini::detail
