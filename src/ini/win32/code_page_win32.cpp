// Code pages on Windows: the system's own conversions. A file without BOM
// is read in the ANSI code page, as the system's profile functions read it.
#include <windows.h>

#include <cctype>
#include <charconv>

#include "ini/code_page.h"

namespace tarsil::ini {

namespace {

class WindowsCodePage final : public CodePage {
 public:
  explicit WindowsCodePage(UINT codePage) : codePage_(codePage) {
    CPINFO info{};
    if (GetCPInfo(codePage_, &info)) maxCharSize_ = info.MaxCharSize;
  }

  std::string name() const override { return "code page " + std::to_string(codePage_); }

 protected:
  std::size_t decodeCharacter(std::string_view bytes, std::u16string& character) const override {
    wchar_t units[2];
    for (std::size_t length = 1; length <= maxCharSize_ && length <= bytes.size(); ++length) {
      const int count = MultiByteToWideChar(codePage_, MB_ERR_INVALID_CHARS, bytes.data(),
                                            static_cast<int>(length), units, 2);
      if (count > 0) {
        character.assign(units, units + count);
        return length;
      }
    }
    return 0;
  }

  bool encodeCharacter(std::u16string_view character, std::string& bytes) const override {
    char out[8];
    BOOL usedDefault = FALSE;
    // UTF-8 and UTF-7 take neither the flag nor the question.
    const bool unicode = codePage_ == CP_UTF8 || codePage_ == CP_UTF7;
    const int count = WideCharToMultiByte(codePage_, unicode ? 0 : WC_NO_BEST_FIT_CHARS,
                                          reinterpret_cast<const wchar_t*>(character.data()),
                                          static_cast<int>(character.size()), out, sizeof out,
                                          nullptr, unicode ? nullptr : &usedDefault);
    if (count <= 0 || usedDefault) return false;
    bytes.append(out, static_cast<std::size_t>(count));
    return true;
  }

 private:
  UINT codePage_;
  std::size_t maxCharSize_ = 1;
};

}  // namespace

CodePagePtr systemCodePage() {
  static const CodePagePtr page = std::make_shared<WindowsCodePage>(GetACP());
  return page;
}

CodePagePtr findCodePage(std::string_view name, std::string& error) {
  std::string lower;
  for (const char c : name)
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  std::string_view digits = lower;
  for (const std::string_view prefix : {"windows-", "cp"}) {
    if (digits.substr(0, prefix.size()) == prefix) digits.remove_prefix(prefix.size());
  }
  unsigned number = 0;
  const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), number);
  if (digits.empty() || parsed.ec != std::errc() || parsed.ptr != digits.data() + digits.size() ||
      !IsValidCodePage(number)) {
    error = "Unknown code page \"" + std::string(name) + "\": give a code page number, as 936";
    return nullptr;
  }
  auto page = std::make_shared<WindowsCodePage>(number);
  if (!page->keepsAscii()) {
    error = "\"" + std::string(name) + "\" is no 8-bit code page: ASCII is not itself in it";
    return nullptr;
  }
  return page;
}

}  // namespace tarsil::ini
