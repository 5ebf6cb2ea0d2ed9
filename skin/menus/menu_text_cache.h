// The screen's menu font (plain and bold) and the extents of menu texts in it. A text is
// measured once and then taken from the cache, so that painting a menu does not measure its
// captions again; a changed caption is a new text and is measured once.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "platform/user/wintypes.h"

class TMenuTextCache {
 public:
  TMenuTextCache() = default;
  ~TMenuTextCache();
  TMenuTextCache(const TMenuTextCache&) = delete;
  TMenuTextCache& operator=(const TMenuTextCache&) = delete;

  // The menu font; owned by the cache.
  HFONT Font(bool bold);
  // The extent of one line of text with its access-key prefixes resolved and tabs expanded.
  SIZE Extent(const std::u16string& text, bool bold);
  // How many texts have been measured (not taken from the cache).
  int Measures() const { return measures_; }

 private:
  static constexpr size_t kMaxEntries = 1024;
  HFONT fonts_[2] = {nullptr, nullptr};
  HDC dc_ = nullptr;
  std::map<std::pair<std::u16string, bool>, SIZE> extents_;
  int measures_ = 0;
};
