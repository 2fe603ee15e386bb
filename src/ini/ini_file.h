#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "ini/ini_document.h"

namespace tarsil::ini {

// The outcome of a file operation: empty `error` on success, else a sentence
// for the user that names the file and the reason.
struct FileStatus {
  std::string error;
  // The file could not be written because its code page is not known: a
  // named one would let its names convert.
  bool needsCodePage = false;
  // What the user should know even though the operation went through, as
  // that a byte order mark hides the first section of a file that was read.
  std::vector<std::string> notes{};
  bool ok() const { return error.empty(); }
};

struct ReadOptions {
  // The code page of a file without BOM that is not UTF-8; null: the system's.
  CodePagePtr codePage;
  // A file the program writes itself has bounds; a larger one, or one of
  // more lines, is refused before it costs time and memory.
  std::uint64_t maxBytes = UINT64_MAX;
  std::uint64_t maxLines = UINT64_MAX;
  // What the bounds are, in the refusal: "larger than <this> (at most ...)".
  std::string_view boundedBy = "any file of its kind the program writes";
};

struct ReadResult {
  FileStatus status;
  bool exists = false;  // a missing file is no error: it reads as an empty document
  IniDocument document;
  // Tells one content from another (contentFingerprint of the bytes read).
  std::uint64_t fingerprint = 0;
  // The bytes look like UTF-16 text without its byte order mark, which
  // Windows reads as 8-bit text: no section of it can be found. A note says so.
  bool utf16WithoutByteOrderMark = false;
};

// A 64-bit hash of a file's bytes: equal bytes, equal fingerprints; another
// content has another one but for a chance of one in 2^64.
std::uint64_t contentFingerprint(std::string_view bytes);

// A path as UTF-8 text, for the sentences above.
std::string pathText(const std::filesystem::path& path);

// Reads and parses a whole INI file. A file whose first section a UTF-8 byte
// order mark hides (see IniDocument) comes with a note that says so.
ReadResult readIniFile(const std::filesystem::path& path, const ReadOptions& options = {});

// Replaces the file in one step: the bytes go to a temporary file beside it
// ("set.ini.saving-<process id>.tmp"), are flushed to disk, and the temporary
// file is renamed over the old one. A failure at any point leaves the old
// file as it was; temporary files that saves cut short left behind go.
// A symbolic link is followed: its target is replaced and the link stays.
// A read-only file (no one may write it, or Windows' read-only attribute)
// is an error that changes nothing.
FileStatus writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The document's bytes (see Encoding), written as writeFileAtomically does;
// a file that already holds those bytes is left as it is. A document that
// holds bytes of an unknown code page and text only UTF-16 can hold is not
// written at all: that would turn its names into mojibake. On success,
// `fingerprint` (when given) is that of the bytes the file now holds.
FileStatus writeIniFile(const std::filesystem::path& path, const IniDocument& document,
                        std::uint64_t* fingerprint = nullptr);

}  // namespace tarsil::ini
