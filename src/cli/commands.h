#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace tarsil::cli {

// Exit codes: 0 done, 1 the check found problems, 2 a file could not be
// read or written (the reason goes to `err`).
inline constexpr int kExitOk = 0;
inline constexpr int kExitProblems = 1;
inline constexpr int kExitFailure = 2;

struct Context {
  std::filesystem::path settings;
  // "Main.ini"; when absent, the one beside the settings file is used.
  std::optional<std::filesystem::path> layout;
  // The code page of 8-bit files ("GBK", "CP1252", ...); when absent, their
  // bytes beyond ASCII are kept as they are and shown as bytes.
  std::optional<std::string> codePage;
  std::ostream& out;
  std::ostream& err;
};

int runShow(const Context& context);
int runDump(const Context& context);
int runCheck(const Context& context);
int runExport(const Context& context, const std::filesystem::path& target);
int runImport(const Context& context, const std::filesystem::path& source);
// Makes profile `number` (1..3) the active one: writes [TYPE] type of the
// settings file and nothing else, so a running tarsild switches at once.
int runProfile(const Context& context, std::int32_t number);

}  // namespace tarsil::cli
