#include "pdf/content/metafile/text_reorder.h"

#include <algorithm>
#include <utility>

namespace {

bool Hebrew(char16_t c) { return c >= 0x0591 && c <= 0x05F4; }

char16_t Mirrored(char16_t c) {
  if (c == u'(') return u')';
  if (c == u')') return u'(';
  return c;
}

std::vector<TCharData> Classified(const std::u16string& text, const std::vector<double>& advances) {
  std::vector<TCharData> items(text.size());
  bool rightToLeft = false;
  for (size_t i = 0; i < text.size(); ++i) {
    TCharData& d = items[i];
    const char16_t c = text[i];
    d.Character = c;
    d.Position = int32_t(i + 1);
    d.Advance = i < advances.size() ? advances[i] : 0;
    if (Hebrew(c)) {
      d.Class = 'R';
      rightToLeft = true;
    } else if (c == u' ') {
      d.Class = ' ';
    } else if (!rightToLeft) {
      d.Class = 'L';
    } else if (c >= u'0' && c <= u'9') {
      d.Class = 'N';
    } else {
      d.Class = c >= 33 && c <= 64 ? ' ' : 'N';
    }
  }
  // A separator inside a number belongs to it.
  for (size_t i = 0; i + 1 < items.size(); ++i)
    if ((items[i].Character == u',' || items[i].Character == u'/' || items[i].Character == u'.') &&
        items[i + 1].Class == 'N')
      items[i].Class = 'N';
  return items;
}

// Each run of items of class k reversed; mirror swaps the brackets of the exchanged items.
void ReverseRuns(std::vector<TCharData>& items, char k, bool mirror) {
  for (size_t start = 0; start < items.size();) {
    if (items[start].Class != k) {
      ++start;
      continue;
    }
    size_t end = start;
    while (end < items.size() && items[end].Class == k) ++end;
    for (size_t a = start, b = end - 1; a < b; ++a, --b) {
      std::swap(items[a], items[b]);
      if (mirror) {
        items[a].Character = Mirrored(items[a].Character);
        items[b].Character = Mirrored(items[b].Character);
      }
    }
    start = end;
  }
}

}  // namespace

void ReorderRightToLeft(std::u16string& text, std::vector<double>& advances) {
  if (std::none_of(text.begin(), text.end(), Hebrew)) return;
  std::vector<TCharData> items = Classified(text, advances);
  ReverseRuns(items, 'N', false);
  // Everything from a right-to-left character up to the next left-to-right one joins its run.
  bool rightToLeft = false;
  for (TCharData& d : items) {
    if (d.Class == 'R') rightToLeft = true;
    if (d.Class == 'L') rightToLeft = false;
    if (rightToLeft) d.Class = 'R';
  }
  ReverseRuns(items, 'R', true);
  for (size_t i = 0; i < items.size(); ++i) {
    text[i] = items[i].Character;
    if (i < advances.size()) advances[i] = items[i].Advance;
  }
}
