#include "app/command_line.h"

#include <vector>

namespace tarsil {

namespace {

struct KnownOption {
  std::u16string_view name;
  std::u16string_view alias;  // the same option written the Windows way
  std::u16string_view meaning;
  bool StartOptions::*flag;
};

constexpr KnownOption kKnownOptions[] = {
    {u"--always-on", u"/always-on",
     u"translate keys as if the keyboard were attached, for keyboards of this family that "
     u"report another vendor ID",
     &StartOptions::alwaysOn},
    {u"--tray", u"/tray",
     u"start in the notification area with the window hidden, as a start at sign-in does",
     &StartOptions::tray},
};

std::vector<std::u16string> splitWords(std::u16string_view text) {
  std::vector<std::u16string> words;
  std::u16string word;
  bool quoted = false;
  bool inWord = false;
  for (char16_t c : text) {
    if (c == u'"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == u' ' || c == u'\t')) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(std::move(word));
  return words;
}

}  // namespace

StartOptions parseStartOptions(std::u16string_view commandLine) {
  StartOptions options;
  for (const std::u16string& word : splitWords(commandLine)) {
    bool known = false;
    for (const KnownOption& option : kKnownOptions) {
      if (word == option.name || word == option.alias) {
        options.*option.flag = true;
        known = true;
      }
    }
    if (!known) options.unknown.push_back(word);
  }
  return options;
}

std::u16string unknownOptionsNotice(const StartOptions& options) {
  if (options.unknown.empty()) return {};
  std::u16string text = options.unknown.size() == 1 ? u"Unknown option: " : u"Unknown options: ";
  for (std::size_t i = 0; i < options.unknown.size(); ++i) {
    if (i != 0) text += u", ";
    // Quoted, so an empty word or one with blanks shows as it was typed.
    const std::u16string& word = options.unknown[i];
    const bool quote = word.empty() || word.find_first_of(u" \t") != std::u16string::npos;
    text += quote ? u"\"" + word + u"\"" : word;
  }
  text += u"\n\nThe program starts as usual. It knows these options:\n";
  for (const KnownOption& option : kKnownOptions) {
    text += u"\n";
    text += option.name;
    text += u" (or ";
    text += option.alias;
    text += u"): ";
    text += option.meaning;
    text += u".";
  }
  return text;
}

}  // namespace tarsil
