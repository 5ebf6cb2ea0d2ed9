// The screen's menu font (plain and bold), made once, and the measuring of menu texts in it:
// each paint of a menu measures the captions it draws.
#pragma once

#include <string>

#include "platform/user/wintypes.h"

class TMenuText {
 public:
  TMenuText() = default;
  ~TMenuText();
  TMenuText(const TMenuText&) = delete;
  TMenuText& operator=(const TMenuText&) = delete;

  // The menu font; owned by this object.
  HFONT Font(bool bold);
  // The extent of one line of text with its access-key prefixes resolved and tabs expanded.
  SIZE Extent(const std::u16string& text, bool bold);
  // How many texts have been measured.
  int Measures() const { return measures_; }

 private:
  HFONT fonts_[2] = {nullptr, nullptr};
  HDC dc_ = nullptr;
  int measures_ = 0;
};
