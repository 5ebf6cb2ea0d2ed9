#include "platform/rtl/string_replace.h"

#include "platform/rtl/strings.h"

std::string StringReplace(std::string_view s, std::string_view oldPattern, std::string_view newPattern,
                          unsigned flags) {
  if (oldPattern.empty()) return std::string(s);
  // Searching in folded copies keeps positions equal to those in s (ASCII folding is 1:1).
  std::string folded, pattern;
  std::string_view hay = s, needle = oldPattern;
  if (flags & rfIgnoreCase) {
    folded = UpperCaseAscii(s);
    pattern = UpperCaseAscii(oldPattern);
    hay = folded;
    needle = pattern;
  }
  std::string out;
  size_t from = 0;
  for (;;) {
    const size_t at = hay.find(needle, from);
    if (at == std::string_view::npos) break;
    out.append(s.substr(from, at - from));
    out.append(newPattern);
    from = at + needle.size();
    if (!(flags & rfReplaceAll)) break;
  }
  out.append(s.substr(from));
  return out;
}
