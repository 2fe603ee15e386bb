#include <windows.h>

#include <algorithm>

#include "ini/text_codec.h"

namespace tarsil::ini::detail {

// A file without BOM that is not UTF-8 is what Notepad calls ANSI: the
// system's code page, exactly as the profile functions read it.
std::u16string decodeEightBit(std::string_view bytes) {
  std::u16string text;
  // MultiByteToWideChar takes an int length. Chunks end after a line feed,
  // which is never the second byte of a double-byte character.
  constexpr std::size_t kChunk = std::size_t{1} << 28;
  while (!bytes.empty()) {
    std::size_t length = std::min(bytes.size(), kChunk);
    if (length < bytes.size()) {
      const std::size_t lineEnd = bytes.substr(0, length).rfind('\n');
      if (lineEnd != std::string_view::npos) length = lineEnd + 1;
    }
    const int inLength = static_cast<int>(length);
    const int outLength = MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLength, nullptr, 0);
    if (outLength > 0) {
      const std::size_t start = text.size();
      text.resize(start + static_cast<std::size_t>(outLength));
      MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLength,
                          reinterpret_cast<wchar_t*>(text.data() + start), outLength);
    }
    bytes.remove_prefix(length);
  }
  return text;
}

}  // namespace tarsil::ini::detail
