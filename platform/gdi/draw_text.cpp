// DrawText: lines, word wrapping, ellipses, prefix characters and alignment in a rectangle.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/dc.h"
#include "platform/gdi/pen_brush.h"
#include "platform/gdi/shapes.h"
#include "platform/gdi/text.h"
#include "platform/rtl/strings.h"

namespace {

struct Line {
  std::u16string text;
  int prefixIndex = -1;  // character to underline, or -1
};

int Width(HDC dc, const std::u16string& s) {
  SIZE size{};
  GetTextExtentPoint32W(dc, s.data(), int(s.size()), &size);
  return size.cx;
}

// "&x" underlines x and "&&" is one "&"; a last lone "&" is dropped.
Line StripPrefix(const std::u16string& s, bool hide) {
  Line l;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&') {
      if (i + 1 < s.size() && s[i + 1] == u'&') {
        l.text.push_back(u'&');
        ++i;
      } else if (i + 1 < s.size()) {
        if (!hide) l.prefixIndex = int(l.text.size());
      }
      continue;
    }
    l.text.push_back(s[i]);
  }
  return l;
}

std::u16string ExpandTabs(const std::u16string& s, int tabChars) {
  std::u16string out;
  for (char16_t c : s) {
    if (c != u'\t') {
      out.push_back(c);
      continue;
    }
    const size_t next = (out.size() / size_t(tabChars) + 1) * size_t(tabChars);
    out.append(next - out.size(), u' ');
  }
  return out;
}

bool HighSurrogate(char16_t c) { return c >= 0xD800 && c < 0xDC00; }

// Where a word too wide for its line is broken: after the last folder separator that fits,
// else after the last character that fits (at least one, never inside a surrogate pair); its
// length when it fits whole.
// The search looks no further than a line could hold, so that a word of any length costs
// little per line.
size_t BreakPoint(HDC dc, std::u16string_view word, int width) {
  const size_t reach = std::min(word.size(), size_t(width) * 2 + 16);
  size_t fits = 0, lo = 1, hi = reach;
  while (lo <= hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (Width(dc, std::u16string(word.substr(0, mid))) <= width) {
      fits = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  if (fits == word.size()) return fits;
  const size_t separator = word.substr(0, fits).find_last_of(u"/\\");
  size_t cut = separator != std::u16string_view::npos && separator > 0 ? separator + 1 : std::max<size_t>(fits, 1);
  if (cut < word.size() && HighSurrogate(word[cut - 1])) cut = cut > 1 ? cut - 1 : cut + 1;
  return cut;
}

// Breaks one paragraph at spaces so that each line fits `width`. A single word wider than the
// rectangle keeps a line of its own, or, as an edit control shows it (breakWords), is broken
// where BreakPoint says.
std::vector<std::u16string> Wrap(HDC dc, const std::u16string& s, int width, bool breakWords) {
  std::vector<std::u16string> lines;
  std::u16string current;
  size_t i = 0;
  while (i < s.size()) {
    size_t j = i;
    while (j < s.size() && s[j] != u' ') ++j;
    std::u16string_view word(s.data() + i, j - i);
    const std::u16string candidate = current.empty() ? std::u16string(word) : current + u' ' + std::u16string(word);
    if (current.empty() || Width(dc, candidate) <= width) {
      current = candidate;
    } else {
      lines.push_back(current);
      current = word;
    }
    if (breakWords && width > 0 && current.size() == word.size()) {
      for (size_t cut; word.size() > 1 && (cut = BreakPoint(dc, word, width)) < word.size();) {
        lines.emplace_back(word.substr(0, cut));
        word.remove_prefix(cut);
        current = word;
      }
    }
    i = j;
    while (i < s.size() && s[i] == u' ') ++i;
  }
  lines.push_back(current);
  return lines;
}

// Cuts the end (or the middle, for paths) and adds "..." until the line fits.
void Ellipsize(HDC dc, Line& line, int width, bool path) {
  if (Width(dc, line.text) <= width) return;
  const std::u16string dots = u"...";
  std::u16string base = line.text;
  if (path) {
    const size_t slash = base.find_last_of(u"/\\");
    const std::u16string tail = slash == std::u16string::npos ? u"" : base.substr(slash);
    std::u16string head = slash == std::u16string::npos ? base : base.substr(0, slash);
    while (!head.empty() && Width(dc, head + dots + tail) > width) head.pop_back();
    if (!head.empty() || Width(dc, dots + tail) <= width) {
      line.text = head + dots + tail;
      line.prefixIndex = -1;
      return;
    }
  }
  while (!base.empty() && Width(dc, base + dots) > width) base.pop_back();
  line.text = base + dots;
  if (line.prefixIndex >= int(base.size())) line.prefixIndex = -1;
}

}  // namespace

int DrawTextW(HDC dc, const char16_t* text, int length, RECT* rect, UINT format) {
  if (!rect || (!text && length != 0)) return 0;
  TEXTMETRICW tm;
  if (!GetTextMetricsW(dc, &tm)) return 0;
  std::u16string s;
  if (text) s = length < 0 ? std::u16string(text) : std::u16string(text, size_t(length));
  if (format & DT_EXPANDTABS) s = ExpandTabs(s, (format & DT_TABSTOP) ? std::max<int>((format >> 8) & 0xFF, 1) : 8);
  const int width = rect->right - rect->left;
  const bool single = format & DT_SINGLELINE;
  std::vector<std::u16string> paragraphs;
  if (single) {
    for (char16_t& c : s)
      if (c == u'\r' || c == u'\n') c = u' ';
    paragraphs.push_back(s);
  } else {
    std::u16string cur;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == u'\r' || s[i] == u'\n') {
        paragraphs.push_back(cur);
        cur.clear();
        if (s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n') ++i;
      } else {
        cur.push_back(s[i]);
      }
    }
    paragraphs.push_back(cur);
  }
  std::vector<Line> lines;
  for (const std::u16string& p : paragraphs) {
    std::vector<std::u16string> pieces{p};
    if ((format & DT_WORDBREAK) && !single) {
      // Wrapping measures the text as drawn, so prefixes are taken out first.
      const Line stripped = (format & DT_NOPREFIX) ? Line{p, -1} : StripPrefix(p, false);
      if (Width(dc, stripped.text) > width) pieces = Wrap(dc, p, width, format & DT_EDITCONTROL);
    }
    for (const std::u16string& piece : pieces)
      lines.push_back((format & DT_NOPREFIX) ? Line{piece, -1} : StripPrefix(piece, format & DT_HIDEPREFIX));
  }
  if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
    for (Line& l : lines) Ellipsize(dc, l, width, format & DT_PATH_ELLIPSIS);
  const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  const int total = lineHeight * int(lines.size());
  int maxWidth = 0;
  for (const Line& l : lines) maxWidth = std::max(maxWidth, Width(dc, l.text));

  if (format & DT_CALCRECT) {
    // The rectangle shrinks or grows to the widest line, and reaches down to the last one.
    rect->right = rect->left + maxWidth;
    rect->bottom = rect->top + total;
    return total;
  }
  int y = rect->top;
  if (single && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - lineHeight) / 2;
  if (single && (format & DT_BOTTOM)) y = rect->bottom - lineHeight;
  const int saveLevel = SaveDC(dc);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  if (!(format & DT_NOCLIP)) IntersectClipRect(dc, rect->left, rect->top, rect->right, rect->bottom);
  const int startY = y;
  for (const Line& l : lines) {
    const int w = Width(dc, l.text);
    int x = rect->left;
    if (format & DT_CENTER)
      x = rect->left + (width - w) / 2;
    else if (format & DT_RIGHT)
      x = rect->right - w;
    if (!(format & DT_PREFIXONLY)) ExtTextOutW(dc, x, y, 0, nullptr, l.text.data(), UINT(l.text.size()), nullptr);
    if (l.prefixIndex >= 0 && l.prefixIndex < int(l.text.size())) {
      const int before = Width(dc, l.text.substr(0, size_t(l.prefixIndex)));
      const int cw = Width(dc, l.text.substr(size_t(l.prefixIndex), 1));
      HBRUSH b = CreateSolidBrush(GetTextColor(dc));
      const RECT u{x + before, y + tm.tmAscent + 1, x + before + cw, y + tm.tmAscent + 2};
      FillRect(dc, &u, b);
      DeleteObject(b);
    }
    y += lineHeight;
  }
  RestoreDC(dc, saveLevel);
  if (single && (format & (DT_VCENTER | DT_BOTTOM))) return startY - rect->top + lineHeight;
  return total;
}

int DrawTextA(HDC dc, const char* text, int length, RECT* rect, UINT format) {
  if (!text) return DrawTextW(dc, nullptr, 0, rect, format);
  const size_t n = length < 0 ? std::strlen(text) : size_t(length);
  const std::u16string w = Utf8ToWide(std::string_view(text, n));
  return DrawTextW(dc, w.data(), int(w.size()), rect, format);
}
