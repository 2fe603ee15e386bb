#include "ini/upper_case.h"

#include "ini/name_fold.h"

namespace tarsil::ini {

std::u16string upperCase(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& c : upper) c = detail::foldCase(c);
  return upper;
}

}  // namespace tarsil::ini
