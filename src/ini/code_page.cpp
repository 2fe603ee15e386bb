#include "ini/code_page.h"

namespace tarsil::ini {

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

class UnknownCodePage final : public CodePage {
 public:
  std::string name() const override { return "no known code page"; }

 protected:
  std::size_t decodeCharacter(std::string_view, std::u16string&) const override { return 0; }
  bool encodeCharacter(std::u16string_view, std::string&) const override { return false; }
};

}  // namespace

bool holdsUndecodedBytes(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isUndecodedByte(text[i]) && (i == 0 || !isHighSurrogate(text[i - 1]))) return true;
  }
  return false;
}

void CodePage::decode(std::string_view bytes, std::u16string& text) const {
  std::u16string character;
  std::string back;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      text.push_back(byte);
      ++i;
      continue;
    }
    character.clear();
    const std::size_t length = decodeCharacter(bytes.substr(i), character);
    back.clear();
    if (length > 0 && !character.empty() && character[0] >= 0x80 &&
        !isUndecodedByte(character[0]) && encodeCharacter(character, back) &&
        back == bytes.substr(i, length)) {
      text += character;
      i += length;
      continue;
    }
    text.push_back(undecodedByte(byte));
    ++i;
  }
}

bool CodePage::encode(std::u16string_view text, std::string& bytes) const {
  std::u16string again;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c < 0x80) {
      bytes.push_back(static_cast<char>(c));
      continue;
    }
    if (isUndecodedByte(c)) {
      bytes.push_back(static_cast<char>(c - 0xDC00));
      continue;
    }
    std::size_t units = 1;
    if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) units = 2;
    const std::u16string_view character = text.substr(i, units);
    const std::size_t start = bytes.size();
    if (!encodeCharacter(character, bytes)) return false;
    // Only bytes that read back as this very character will do: a code page
    // that shifts state or maps several characters to one byte would
    // otherwise write something else than the name.
    again.clear();
    decode(std::string_view(bytes).substr(start), again);
    if (again != character) return false;
    i += units - 1;
  }
  return true;
}

bool CodePage::keepsAscii() const {
  for (int c = 0; c < 0x80; ++c) {
    const std::string byte(1, static_cast<char>(c));
    std::u16string character;
    std::string back;
    if (decodeCharacter(byte, character) != 1 ||
        character != std::u16string(1, static_cast<char16_t>(c)) ||
        !encodeCharacter(character, back) || back != byte) {
      return false;
    }
  }
  return true;
}

CodePagePtr unknownCodePage() {
  static const CodePagePtr page = std::make_shared<UnknownCodePage>();
  return page;
}

}  // namespace tarsil::ini
