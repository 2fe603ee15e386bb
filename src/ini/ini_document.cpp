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

// One line of the file without its line end, as it was read or written, with
// the parts the lookups need. Untouched lines are written back exactly.
struct Line {
  std::u16string text;
  LineKind kind = LineKind::kBlank;
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

}  // namespace

struct IniDocument::Impl {
  Encoding encoding = Encoding::kEightBit;
  std::vector<Line> preamble;  // lines before the first header: in no section
  std::vector<Section> sections;
  NameMap<std::size_t> sectionIndex;  // first section of each name

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

  void load(std::u16string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find_first_of(u"\r\n", start);
      if (end == std::u16string_view::npos) end = text.size();
      addLine(makeLine(std::u16string(text.substr(start, end - start))));
      start = end;
      if (start < text.size() && text[start] == u'\r') ++start;
      if (start < text.size() && text[start] == u'\n') ++start;
    }
  }

  std::u16string wholeText() const {
    std::size_t size = 0;
    const auto measure = [&](const Line& line) { size += line.text.size() + 2; };
    std::for_each(preamble.begin(), preamble.end(), measure);
    for (const Section& section : sections) {
      measure(section.header);
      std::for_each(section.lines.begin(), section.lines.end(), measure);
    }
    std::u16string text;
    text.reserve(size);
    const auto append = [&](const Line& line) {
      text += line.text;
      text += u"\r\n";
    };
    std::for_each(preamble.begin(), preamble.end(), append);
    for (const Section& section : sections) {
      append(section.header);
      std::for_each(section.lines.begin(), section.lines.end(), append);
    }
    return text;
  }

  // After a write of text that does not stay one line of the intended kind,
  // the document is read again from its own text, so it reads as the file will.
  void reload() {
    const std::u16string text = wholeText();
    preamble.clear();
    sections.clear();
    sectionIndex.clear();
    load(text);
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

IniDocument IniDocument::parse(std::string_view bytes) {
  IniDocument document;
  Impl& impl = *document.impl_;
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    impl.encoding = Encoding::kUtf16Le;
    impl.load(detail::decodeUtf16Le(bytes.substr(2)));
  } else if (detail::isValidUtf8(bytes)) {
    impl.load(detail::decodeUtf8(bytes));
  } else {
    impl.load(detail::decodeEightBit(bytes));
  }
  return document;
}

std::string IniDocument::serialize() const {
  const std::u16string text = impl_->wholeText();
  const bool ascii = std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
  if (impl_->encoding == Encoding::kEightBit && ascii) {
    return std::string(text.begin(), text.end());
  }
  return "\xFF\xFE" + detail::encodeUtf16Le(text);
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
    line = makeLine(std::move(text));
    reload = reload || hasLineBreak(value);
  } else {
    std::u16string text(key);
    text.append(u"=").append(value);
    Line line = makeLine(std::move(text));
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
