#include "app/command_line.h"

#include <vector>

namespace tarsil {

namespace {

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
    if (word == u"--always-on" || word == u"/always-on") {
      options.alwaysOn = true;
    } else {
      if (!options.unknown.empty()) options.unknown += u' ';
      options.unknown += word;
    }
  }
  return options;
}

}  // namespace tarsil
