// The program writes the aspect ratio with the decimal separator of the user's locale (LC_ALL,
// LC_NUMERIC, LANG), and the tests run under any locale: texts they expect are written with a
// point and take the separator the program takes.
#pragma once

#include <cctype>
#include <string>

#include "app/footprint.h"

namespace apptest {

// `text` with every point between two digits written as the locale's decimal separator.
inline std::string Localised(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool between = i > 0 && i + 1 < text.size() && std::isdigit(static_cast<unsigned char>(text[i - 1])) &&
                         std::isdigit(static_cast<unsigned char>(text[i + 1]));
    out += text[i] == '.' && between ? Tarnwick1::LocaleDecimalSeparator() : std::string(1, text[i]);
  }
  return out;
}

}  // namespace apptest
