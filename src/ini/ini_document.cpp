#include "ini/ini_document.h"

#include <algorithm>
#include <cstdint>

#include "ini/name_fold.h"
#include "ini/text_codec.h"

namespace tarsil::ini {

namespace {

using detail::equalFolded;
using detail::NameMap;

bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view trim(std::u16string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

enum class LineKind : std::uint8_t { kBlank, kOther, kHeader, kKey };

// How a line ended in the file; a line the program writes ends in CR LF.
enum class LineEnd : std::uint8_t { kNone, kCrLf, kLf, kCr };

std::u16string_view endText(LineEnd end) {
  switch (end) {
    case LineEnd::kNone:
      return u"";
    case LineEnd::kLf:
      return u"\n";
    case LineEnd::kCr:
      return u"\r";
    case LineEnd::kCrLf:
      break;
  }
  return u"\r\n";
}

// One line of the file without its line end, as it was read or written, with
// the parts the lookups need. Untouched lines are written back exactly, with
// their own line end.
struct Line {
  std::u16string text;
  LineKind kind = LineKind::kBlank;
  LineEnd end = LineEnd::kCrLf;
  bool written = false;  // made by a write, not read from the file
  // kHeader: the section name; kKey: the key name. Both trimmed.
  std::uint32_t nameBegin = 0;
  std::uint32_t nameLength = 0;
  // kKey: the value, trimmed, quotes still on.
  std::uint32_t valueBegin = 0;
  std::uint32_t valueLength = 0;

  std::u16string_view nameView() const {
    return std::u16string_view(text).substr(nameBegin, nameLength);
  }
  std::u16string_view rawValue() const {
    return std::u16string_view(text).substr(valueBegin, valueLength);
  }
};

std::uint32_t offsetOf(std::u16string_view whole, std::u16string_view part) {
  return static_cast<std::uint32_t>(part.data() - whole.data());
}

std::uint32_t lengthOf(std::u16string_view part) { return static_cast<std::uint32_t>(part.size()); }

Line makeLine(std::u16string text) {
  Line line;
  line.text = std::move(text);
  const std::u16string_view whole = line.text;
  const std::u16string_view trimmed = trim(whole);
  if (trimmed.empty()) return line;
  line.kind = LineKind::kOther;
  if (trimmed.front() == u'[') {
    // The name runs to the last ']' of the line; a '[' line without one is
    // no header, and then no key either.
    const std::size_t close = trimmed.rfind(u']');
    if (close != std::u16string_view::npos) {
      const std::u16string_view name = trim(trimmed.substr(1, close - 1));
      line.kind = LineKind::kHeader;
      line.nameBegin = offsetOf(whole, name);
      line.nameLength = lengthOf(name);
      return line;
    }
  }
  if (trimmed.front() == u';') return line;  // a comment
  const std::size_t equals = trimmed.find(u'=');
  if (equals == std::u16string_view::npos) return line;
  const std::u16string_view name = trim(trimmed.substr(0, equals));
  const std::u16string_view value = trim(trimmed.substr(equals + 1));
  line.kind = LineKind::kKey;
  line.nameBegin = offsetOf(whole, name);
  line.nameLength = lengthOf(name);
  line.valueBegin = offsetOf(whole, value);
  line.valueLength = lengthOf(value);
  return line;
}

// The value a reader sees: one pair of matching outer quotes comes off.
std::u16string_view unquote(std::u16string_view value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

bool hasLineBreak(std::u16string_view text) {
  return text.find_first_of(u"\r\n") != std::u16string_view::npos;
}

struct Section {
  Line header;
  std::vector<Line> lines;
  // Lines from here on are blank: a new key goes here, so blank lines that
  // set a section off from the next one stay where they are.
  std::size_t contentEnd = 0;
  NameMap<std::size_t> keys;  // first line of each key name

  void add(Line line) {
    if (line.kind == LineKind::kKey)
      keys.try_emplace(std::u16string(line.nameView()), lines.size());
    const bool blank = line.kind == LineKind::kBlank;
    lines.push_back(std::move(line));
    if (!blank) contentEnd = lines.size();
  }
};

// The end of a line that starts at `start` of `text` (a string of bytes or
// of code units): where its text stops, its line end, and where the next
// line starts.
template <typename Text>
std::size_t lineEndAt(const Text& text, std::size_t start, LineEnd& end, std::size_t& next) {
  std::size_t stop = start;
  while (stop < text.size() && text[stop] != '\r' && text[stop] != '\n') ++stop;
  next = stop;
  end = LineEnd::kNone;
  if (next < text.size() && text[next] == '\r') {
    ++next;
    end = LineEnd::kCr;
  }
  if (next < text.size() && text[next] == '\n') {
    ++next;
    end = end == LineEnd::kCr ? LineEnd::kCrLf : LineEnd::kLf;
  }
  return stop;
}

// The code units of UTF-16LE bytes, read in place; an odd last byte is no unit.
struct Utf16Units {
  std::string_view bytes;
  std::size_t size() const { return bytes.size() / 2; }
  char16_t operator[](std::size_t i) const {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
};

bool holdsUndecoded(std::u16string_view text) { return holdsUndecodedBytes(text); }

}  // namespace

struct IniDocument::Impl {
  Encoding encoding = Encoding::kEightBit;
  CodePagePtr codePage;
  bool eightBitText = false;  // the file held bytes beyond ASCII, in codePage
  bool undecodedBytes = false;
  std::optional<std::u16string> hiddenSection;
  std::vector<Line> preamble;  // lines before the first header: in no section
  std::vector<Section> sections;
  NameMap<std::size_t> sectionIndex;  // first section of each name

  // Every line in file order.
  template <typename Visit>
  void forEachLine(Visit visit) const {
    std::for_each(preamble.begin(), preamble.end(), visit);
    for (const Section& section : sections) {
      visit(section.header);
      std::for_each(section.lines.begin(), section.lines.end(), visit);
    }
  }

  void addLine(Line line) {
    if (line.kind == LineKind::kHeader) {
      sectionIndex.try_emplace(std::u16string(line.nameView()), sections.size());
      sections.push_back(Section{std::move(line), {}, 0, {}});
    } else if (sections.empty()) {
      preamble.push_back(std::move(line));
    } else {
      sections.back().add(std::move(line));
    }
  }

  void addLine(std::u16string text, LineEnd end, bool written) {
    Line line = makeLine(std::move(text));
    line.end = end;
    line.written = written;
    addLine(std::move(line));
  }

  // Lines split from bytes, each decoded on its own: no code page the
  // program accepts has a CR or LF byte inside a character.
  template <typename Decode>
  void loadBytes(std::string_view bytes, Decode decode) {
    std::size_t start = 0;
    while (start < bytes.size()) {
      LineEnd end;
      std::size_t next;
      const std::size_t stop = lineEndAt(bytes, start, end, next);
      std::u16string text;
      decode(bytes.substr(start, stop - start), text);
      addLine(std::move(text), end, false);
      start = next;
    }
  }

  // Lines of UTF-16LE bytes, each decoded on its own: the file's text is
  // never held twice.
  void loadUtf16(std::string_view bytes) {
    const Utf16Units units{bytes};
    std::size_t start = 0;
    while (start < units.size()) {
      LineEnd end;
      std::size_t next;
      const std::size_t stop = lineEndAt(units, start, end, next);
      std::u16string text(stop - start, u'\0');
      for (std::size_t i = start; i < stop; ++i) text[i - start] = units[i];
      addLine(std::move(text), end, false);
      start = next;
    }
  }

  void load(std::u16string_view text, bool written) {
    std::size_t start = 0;
    while (start < text.size()) {
      LineEnd end;
      std::size_t next;
      const std::size_t stop = lineEndAt(text, start, end, next);
      addLine(std::u16string(text.substr(start, stop - start)), end, written);
      start = next;
    }
  }

  // Hands each line's text and its end to `piece`, in file order. Only the
  // last line may go without an end: one that lost its place as the last
  // gets CR LF.
  template <typename Piece>
  void forEachPiece(Piece piece) const {
    const Line* previous = nullptr;
    forEachLine([&](const Line& line) {
      if (previous != nullptr) {
        piece(previous->text);
        piece(previous->end == LineEnd::kNone ? u"\r\n" : endText(previous->end));
      }
      previous = &line;
    });
    if (previous != nullptr) {
      piece(previous->text);
      piece(endText(previous->end));
    }
  }

  std::u16string wholeText() const {
    std::u16string text;
    forEachPiece([&](std::u16string_view piece) { text += piece; });
    return text;
  }

  // After a write of text that does not stay one line of the intended kind,
  // the document is read again from its own text, so it reads as the file
  // will. Which lines were written is no longer known: all count as written.
  void reload() {
    const std::u16string text = wholeText();
    preamble.clear();
    sections.clear();
    sectionIndex.clear();
    load(text, true);
  }

  bool holdsUndecodedText() const {
    bool found = false;
    forEachLine([&](const Line& line) { found = found || holdsUndecoded(line.text); });
    return found;
  }

  std::optional<std::string> encodeUtf16() const {
    bool refused = false;
    std::string bytes = "\xFF\xFE";
    forEachLine([&](const Line& line) {
      // Bytes of an unknown code page are no UTF-16 text; the file's own
      // code units are kept whatever they are.
      refused = refused || (line.written && holdsUndecoded(line.text));
    });
    if (refused) return std::nullopt;
    forEachPiece([&](std::u16string_view piece) { detail::appendUtf16Le(piece, bytes); });
    return bytes;
  }

  template <typename Encode>
  std::optional<std::string> encodeBytes(Encode encode) const {
    std::string bytes;
    std::size_t size = 0;
    forEachPiece([&](std::u16string_view piece) { size += piece.size(); });
    bytes.reserve(size);
    bool ok = true;
    forEachPiece([&](std::u16string_view piece) { ok = ok && encode(piece, bytes); });
    if (!ok) return std::nullopt;
    return bytes;
  }

  std::optional<std::string> encodeFile() const {
    if (encoding == Encoding::kUtf16Le) return encodeUtf16();
    std::optional<std::string> bytes;
    if (encoding == Encoding::kUtf8) {
      bytes = encodeBytes([](std::u16string_view piece, std::string& out) {
        return !holdsUndecoded(piece) && detail::encodeUtf8(piece, out);
      });
    } else {
      // An ASCII or new file takes nothing beyond ASCII in any code page:
      // names more than ASCII make it UTF-16, which reads the same
      // everywhere. Undecoded bytes go back as the bytes they are.
      const CodePage& page = eightBitText ? *codePage : *unknownCodePage();
      bytes = encodeBytes(
          [&](std::u16string_view piece, std::string& out) { return page.encode(piece, out); });
    }
    if (bytes) return bytes;
    // Text the file's encoding cannot hold: UTF-16 holds every name, but
    // not bytes of an unknown code page, which it would turn into mojibake.
    if (holdsUndecodedText()) return std::nullopt;
    std::string utf16 = "\xFF\xFE";
    forEachPiece([&](std::u16string_view piece) { detail::appendUtf16Le(piece, utf16); });
    return utf16;
  }

  const Section* findSection(std::u16string_view name) const {
    const auto found = sectionIndex.find(trim(name));
    return found == sectionIndex.end() ? nullptr : &sections[found->second];
  }

  const Line* findKey(std::u16string_view sectionName, std::u16string_view key) const {
    const Section* section = findSection(sectionName);
    if (section == nullptr) return nullptr;
    const auto found = section->keys.find(trim(key));
    return found == section->keys.end() ? nullptr : &section->lines[found->second];
  }
};

IniDocument::IniDocument() : impl_(std::make_unique<Impl>()) {}
IniDocument::~IniDocument() = default;
IniDocument::IniDocument(const IniDocument& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
IniDocument& IniDocument::operator=(const IniDocument& other) {
  if (this != &other) impl_ = std::make_unique<Impl>(*other.impl_);
  return *this;
}
// A moved-from document stays usable: it is empty, or holds the target's
// old contents after an assignment.
IniDocument::IniDocument(IniDocument&& other) noexcept : impl_(std::make_unique<Impl>()) {
  impl_.swap(other.impl_);
}
IniDocument& IniDocument::operator=(IniDocument&& other) noexcept {
  impl_.swap(other.impl_);
  return *this;
}

IniDocument IniDocument::parse(std::string_view bytes, CodePagePtr codePage) {
  IniDocument document;
  Impl& impl = *document.impl_;
  impl.codePage = codePage ? std::move(codePage) : systemCodePage();
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    impl.encoding = Encoding::kUtf16Le;
    impl.loadUtf16(bytes.substr(2));
    return document;
  }
  const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  const bool utf8 = !ascii && detail::isValidUtf8(bytes);
  if (utf8) {
    impl.encoding = Encoding::kUtf8;
    impl.loadBytes(bytes, detail::decodeUtf8);
  } else if (ascii) {
    impl.loadBytes(bytes, [](std::string_view line, std::u16string& text) {
      text.assign(line.begin(), line.end());
    });
  } else {
    impl.eightBitText = true;
    const CodePage& page = *impl.codePage;
    impl.loadBytes(bytes, [&](std::string_view line, std::u16string& text) {
      page.decode(line, text);
      impl.undecodedBytes = impl.undecodedBytes || holdsUndecoded(text);
    });
  }
  // Windows reads a UTF-8 byte order mark as three characters of the first
  // line, so a header there is none. Which section that hides is worth saying.
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    LineEnd end;
    std::size_t next;
    const std::string_view rest = bytes.substr(3);
    std::u16string first;
    const std::string_view line = rest.substr(0, lineEndAt(rest, 0, end, next));
    if (detail::isValidUtf8(line)) {
      detail::decodeUtf8(line, first);
    } else {
      impl.codePage->decode(line, first);
    }
    const Line header = makeLine(std::move(first));
    if (header.kind == LineKind::kHeader) impl.hiddenSection = std::u16string(header.nameView());
  }
  return document;
}

std::optional<std::string> IniDocument::encodeFile() const { return impl_->encodeFile(); }

std::uint64_t countLines(std::string_view bytes) {
  std::uint64_t lines = 0;
  std::size_t start = 0;
  LineEnd end;
  std::size_t next;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    const Utf16Units units{bytes.substr(2)};
    for (; start < units.size(); start = next, ++lines) lineEndAt(units, start, end, next);
    return lines;
  }
  for (; start < bytes.size(); start = next, ++lines) lineEndAt(bytes, start, end, next);
  return lines;
}

std::string IniDocument::serialize() const {
  if (std::optional<std::string> bytes = impl_->encodeFile()) return std::move(*bytes);
  std::string utf16 = "\xFF\xFE";
  impl_->forEachPiece([&](std::u16string_view piece) { detail::appendUtf16Le(piece, utf16); });
  return utf16;
}

bool IniDocument::holdsUndecodedBytes() const { return impl_->undecodedBytes; }

std::optional<std::u16string> IniDocument::sectionHiddenByByteOrderMark() const {
  return impl_->hiddenSection;
}

Encoding IniDocument::encoding() const { return impl_->encoding; }

std::optional<std::u16string> IniDocument::find(std::u16string_view section,
                                                std::u16string_view key) const {
  const Line* line = impl_->findKey(section, key);
  if (line == nullptr) return std::nullopt;
  return std::u16string(unquote(line->rawValue()));
}

std::u16string IniDocument::getString(std::u16string_view section, std::u16string_view key,
                                      std::u16string_view fallback) const {
  if (std::optional<std::u16string> value = find(section, key)) return std::move(*value);
  while (!fallback.empty() && fallback.back() == u' ') fallback.remove_suffix(1);
  return std::u16string(fallback);
}

std::int32_t IniDocument::getInt(std::u16string_view section, std::u16string_view key,
                                 std::int32_t fallback) const {
  const Line* line = impl_->findKey(section, key);
  if (line == nullptr) return fallback;
  const std::u16string_view value = unquote(line->rawValue());
  return value.empty() ? fallback : parseProfileIntValue(value);
}

bool IniDocument::hasSection(std::u16string_view section) const {
  return impl_->findSection(section) != nullptr;
}

bool IniDocument::blank() const {
  bool blank = true;
  impl_->forEachLine([&](const Line& line) { blank = blank && line.kind == LineKind::kBlank; });
  return blank;
}

std::vector<std::u16string> IniDocument::keysOf(std::u16string_view sectionName) const {
  std::vector<std::u16string> names;
  const Section* section = impl_->findSection(sectionName);
  if (section == nullptr) return names;
  for (std::size_t i = 0; i < section->lines.size(); ++i) {
    const Line& line = section->lines[i];
    if (line.kind != LineKind::kKey) continue;
    if (section->keys.find(line.nameView())->second == i) names.emplace_back(line.nameView());
  }
  return names;
}

void IniDocument::setString(std::u16string_view sectionName, std::u16string_view key,
                            std::u16string_view value) {
  Impl& impl = *impl_;
  sectionName = trim(sectionName);
  key = trim(key);
  bool reload = false;

  auto foundSection = impl.sectionIndex.find(sectionName);
  if (foundSection == impl.sectionIndex.end()) {
    std::u16string headerText = u"[";
    headerText.append(sectionName).append(u"]");
    Line header = makeLine(std::move(headerText));
    header.written = true;
    reload = hasLineBreak(sectionName) || header.nameView() != sectionName;
    foundSection =
        impl.sectionIndex.try_emplace(std::u16string(sectionName), impl.sections.size()).first;
    impl.sections.push_back(Section{std::move(header), {}, 0, {}});
  }
  Section& section = impl.sections[foundSection->second];

  const auto foundKey = section.keys.find(key);
  if (foundKey != section.keys.end()) {
    Line& line = section.lines[foundKey->second];
    if (line.rawValue() == value) return;  // nothing to change, as in Windows
    std::u16string text(line.nameView());
    text.append(u"=").append(value);
    const LineEnd end = line.end;
    line = makeLine(std::move(text));
    line.end = end;
    line.written = true;
    reload = reload || hasLineBreak(value);
  } else {
    std::u16string text(key);
    text.append(u"=").append(value);
    Line line = makeLine(std::move(text));
    line.written = true;
    reload =
        reload || hasLineBreak(line.text) || line.kind != LineKind::kKey || line.nameView() != key;
    const std::size_t at = section.contentEnd;
    section.lines.insert(section.lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
    section.keys.try_emplace(std::u16string(key), at);
    ++section.contentEnd;
  }
  if (reload) impl.reload();
}

void IniDocument::setInt(std::u16string_view section, std::u16string_view key, std::int32_t value) {
  setString(section, key, formatInt(value));
}

void IniDocument::clearSection(std::u16string_view sectionName) {
  sectionName = trim(sectionName);
  // Every section of the name, like Wine does: those after the first are
  // never read, and keeping them would only keep stale lines alive.
  for (Section& section : impl_->sections) {
    if (!equalFolded(section.header.nameView(), sectionName)) continue;
    section.lines.clear();
    section.keys.clear();
    section.contentEnd = 0;
  }
}

}  // namespace tarsil::ini
