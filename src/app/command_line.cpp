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

// The option that takes a value: the word after it.
constexpr std::u16string_view kProfileOption = u"--profile";
constexpr std::u16string_view kProfileAlias = u"/profile";
constexpr std::u16string_view kProfileMeaning =
    u"make profile N (1, 2, 3, or next for the one after the active one) the active one; a "
    u"running program switches to it and stays hidden or shown as it is";

std::optional<std::int32_t> profileValue(std::u16string_view word) {
  if (word == u"1" || word == u"2" || word == u"3") return word[0] - u'0';
  if (word == u"next") return kNextProfileOption;
  return std::nullopt;
}

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
  const std::vector<std::u16string> words = splitWords(commandLine);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::u16string& word = words[i];
    if (word == kProfileOption || word == kProfileAlias) {
      // Without a value it can take, the option is named as unknown (and so
      // is the word after it, unless that is an option of its own).
      const std::optional<std::int32_t> profile =
          i + 1 < words.size() ? profileValue(words[i + 1]) : std::nullopt;
      if (profile) {
        options.profile = profile;
        ++i;
      } else {
        options.unknown.push_back(word);
      }
      continue;
    }
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
  text += u"\n";
  text += kProfileOption;
  text += u" N (or ";
  text += kProfileAlias;
  text += u" N): ";
  text += kProfileMeaning;
  text += u".";
  return text;
}

}  // namespace tarsil
