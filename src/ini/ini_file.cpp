#include "ini/ini_file.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <system_error>

#include "ini/file_io.h"
#include "ini/text_codec.h"

namespace tarsil::ini {

namespace detail {

namespace {

constexpr std::u16string_view kTemporaryInfix = u".saving-";
constexpr std::u16string_view kTemporarySuffix = u".tmp";

}  // namespace

std::filesystem::path temporaryPathFor(const std::filesystem::path& target, unsigned long process) {
  std::filesystem::path temporary = target;
  temporary += std::u16string(kTemporaryInfix) + widen(std::to_string(process)) +
               std::u16string(kTemporarySuffix);
  return temporary;
}

void removeStaleTemporaries(const std::filesystem::path& target) {
  const std::u16string prefix = target.filename().u16string() + std::u16string(kTemporaryInfix);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const std::u16string name = entry->path().filename().u16string();
    if (name.size() <= prefix.size() + kTemporarySuffix.size() ||
        name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - kTemporarySuffix.size(), kTemporarySuffix.size(),
                     kTemporarySuffix) != 0) {
      continue;
    }
    const std::u16string digits =
        name.substr(prefix.size(), name.size() - prefix.size() - kTemporarySuffix.size());
    const std::string ascii(digits.begin(), digits.end());
    unsigned long process = 0;
    const auto parsed = std::from_chars(ascii.data(), ascii.data() + ascii.size(), process);
    if (parsed.ec != std::errc() || parsed.ptr != ascii.data() + ascii.size() ||
        digits.find_first_not_of(u"0123456789") != std::u16string::npos) {
      continue;
    }
    if (process == currentProcess() || !processIsRunning(process)) {
      std::error_code ignored;
      std::filesystem::remove(entry->path(), ignored);
    }
  }
}

}  // namespace detail

std::string pathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace {

// 1234567 as "1,234,567".
std::string grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

// Text of 8-bit code pages and UTF-8 holds no NUL bytes; UTF-16 of Latin
// text holds one in every other byte. So a file without a UTF-16 byte
// order mark in which most bytes at one parity are NUL, and hardly any at
// the other, is UTF-16 that lost its mark.
bool looksLikeUtf16WithoutByteOrderMark(std::string_view bytes) {
  if (bytes.size() < 4) return false;
  const auto first = static_cast<unsigned char>(bytes[0]);
  const auto second = static_cast<unsigned char>(bytes[1]);
  if ((first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF)) return false;
  const std::string_view start = bytes.substr(0, 4096);
  std::size_t zeros[2] = {0, 0};
  for (std::size_t i = 0; i < start.size(); ++i) {
    if (start[i] == '\0') ++zeros[i % 2];
  }
  const std::size_t pairs = start.size() / 2;
  const auto mostly = [pairs](std::size_t n) { return n * 10 >= pairs * 4; };
  const auto hardly = [pairs](std::size_t n) { return n * 20 <= pairs; };
  return (mostly(zeros[1]) && hardly(zeros[0])) || (mostly(zeros[0]) && hardly(zeros[1]));
}

}  // namespace

std::uint64_t contentFingerprint(std::string_view bytes) {
  // FNV-1a: fast, and no two contents a user makes will share a value.
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

ReadResult readIniFile(const std::filesystem::path& path, const ReadOptions& options) {
  detail::FileBytes file = detail::readWholeFile(path, options.maxBytes);
  ReadResult result;
  result.status = std::move(file.status);
  result.exists = file.exists;
  const std::string bound(options.boundedBy);
  if (file.oversize > 0) {
    result.status = {"Cannot read " + pathText(path) + ": at " + grouped(file.oversize) +
                     " bytes it is larger than " + bound + " (at most " +
                     grouped(options.maxBytes) + " bytes)"};
  }
  if (result.status.ok() && file.exists && options.maxLines != UINT64_MAX) {
    const std::uint64_t lines = countLines(file.bytes);
    if (lines > options.maxLines) {
      result.status = {"Cannot read " + pathText(path) + ": its " + grouped(lines) +
                       " lines are more than " + bound + " has (at most " +
                       grouped(options.maxLines) + ")"};
      result.exists = false;
    }
  }
  if (result.status.ok() && file.exists) {
    result.fingerprint = contentFingerprint(file.bytes);
    result.utf16WithoutByteOrderMark = looksLikeUtf16WithoutByteOrderMark(file.bytes);
    if (result.utf16WithoutByteOrderMark) {
      result.status.notes.push_back(
          pathText(path) +
          " is UTF-16 text without its byte-order mark, which Windows reads as 8-bit text, so "
          "nothing in it can be found. Save it as UTF-16 with a byte-order mark, or as UTF-8.");
    }
    result.document = IniDocument::parse(file.bytes, options.codePage);
    if (const auto hidden = result.document.sectionHiddenByByteOrderMark()) {
      std::string name;
      if (!detail::encodeUtf8(*hidden, name)) name = "?";
      result.status.notes.push_back(pathText(path) +
                                    " starts with a UTF-8 byte-order mark, which Windows does not "
                                    "read, so its first section [" +
                                    name + "] is ignored.");
    }
  } else {
    result.document = IniDocument::parse("", options.codePage);
  }
  return result;
}

namespace {

// Whether the file at `path` holds exactly `bytes`, read in pieces.
bool holdsExactly(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error) ||
      std::filesystem::file_size(path, error) != bytes.size() || error) {
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  char buffer[65536];
  while (in && !bytes.empty()) {
    in.read(buffer, static_cast<std::streamsize>(std::min(sizeof buffer, bytes.size())));
    const auto count = static_cast<std::size_t>(in.gcount());
    if (count == 0 || bytes.substr(0, count) != std::string_view(buffer, count)) return false;
    bytes.remove_prefix(count);
  }
  return bytes.empty();
}

}  // namespace

FileStatus writeIniFile(const std::filesystem::path& path, const IniDocument& document,
                        std::uint64_t* fingerprint) {
  const std::optional<std::string> bytes = document.encodeFile();
  if (!bytes) {
    return {"Cannot write " + pathText(path) +
                ": its names are in an 8-bit code page that is not known here, and new text "
                "needs more than that code page holds; converting the file would garble the "
                "names it has",
            true};
  }
  // A save that changes nothing leaves the file alone, as Windows does for a
  // value written again: a read-only file is then no error either.
  if (fingerprint != nullptr) *fingerprint = contentFingerprint(*bytes);
  if (holdsExactly(path, *bytes)) return {};
  return writeFileAtomically(path, *bytes);
}

}  // namespace tarsil::ini
