#include "ini/text_codec.h"

namespace tarsil::ini::detail {

// Off Windows there is no ANSI code page; Latin-1 maps every byte to the
// character of the same number, so no byte is ever lost.
std::u16string decodeEightBit(std::string_view bytes) {
  std::u16string text(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    text[i] = static_cast<unsigned char>(bytes[i]);
  }
  return text;
}

}  // namespace tarsil::ini::detail
