// Code pages off Windows: there is no system code page for files without
// BOM, and a code page the user names is converted through iconv.
#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <mutex>

#include "ini/code_page.h"

namespace tarsil::ini {

namespace {

// iconv_open's failure value, (iconv_t)-1.
iconv_t failed() { return reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }

// One conversion direction; iconv keeps state between calls, so every
// character starts from the initial state.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != failed()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool valid() const { return cd_ != failed(); }

  // All of `in` converted into `out`; false when iconv refuses any of it.
  // `incomplete` tells a sequence cut short from one that is wrong.
  bool convert(std::string_view in, std::string& out, bool& incomplete) const {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[32];
    char* input = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* output = buffer;
    std::size_t outLeft = sizeof buffer;
    incomplete = false;
    if (iconv(cd_, &input, &inLeft, &output, &outLeft) == static_cast<std::size_t>(-1)) {
      incomplete = errno == EINVAL;
      return false;
    }
    // A stateful encoding may end with a shift back to its initial state.
    if (iconv(cd_, nullptr, nullptr, &output, &outLeft) == static_cast<std::size_t>(-1)) {
      return false;
    }
    out.assign(buffer, static_cast<std::size_t>(output - buffer));
    return inLeft == 0;
  }

 private:
  iconv_t cd_;
};

class IconvCodePage final : public CodePage {
 public:
  explicit IconvCodePage(std::string name)
      : name_(std::move(name)),
        toText_("UTF-16LE", name_.c_str()),
        toBytes_(name_.c_str(), "UTF-16LE") {}

  bool valid() const { return toText_.valid() && toBytes_.valid(); }
  std::string name() const override { return name_; }

 protected:
  std::size_t decodeCharacter(std::string_view bytes, std::u16string& character) const override {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::string units;
    // The longest character of any code page iconv knows has four bytes.
    for (std::size_t length = 1; length <= 4 && length <= bytes.size(); ++length) {
      bool incomplete = false;
      if (toText_.convert(bytes.substr(0, length), units, incomplete)) {
        if (units.size() != 2 && units.size() != 4) return 0;
        character.clear();
        for (std::size_t k = 0; k < units.size(); k += 2) {
          character.push_back(static_cast<char16_t>(static_cast<unsigned char>(units[k]) |
                                                    static_cast<unsigned char>(units[k + 1]) << 8));
        }
        return length;
      }
      if (!incomplete) return 0;
    }
    return 0;
  }

  bool encodeCharacter(std::u16string_view character, std::string& bytes) const override {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::string units;
    for (const char16_t c : character) {
      units.push_back(static_cast<char>(c & 0xFF));
      units.push_back(static_cast<char>(c >> 8));
    }
    std::string out;
    bool incomplete = false;
    if (!toBytes_.convert(units, out, incomplete) || out.empty()) return false;
    bytes += out;
    return true;
  }

 private:
  std::string name_;
  Converter toText_;
  Converter toBytes_;
  mutable std::mutex mutex_;
};

}  // namespace

CodePagePtr systemCodePage() { return unknownCodePage(); }

CodePagePtr findCodePage(std::string_view name, std::string& error) {
  auto page = std::make_shared<IconvCodePage>(std::string(name));
  if (!page->valid()) {
    error = "Unknown code page \"" + std::string(name) + "\": the system has no conversion for it";
    return nullptr;
  }
  if (!page->keepsAscii()) {
    error = "\"" + std::string(name) + "\" is no 8-bit code page: ASCII is not itself in it";
    return nullptr;
  }
  return page;
}

}  // namespace tarsil::ini
