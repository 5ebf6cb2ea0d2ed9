#include "platform/gdi/text_shaping.h"

#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/gdi/font_engine.h"

namespace {

bool In(char32_t c, char32_t first, char32_t last) { return c >= first && c <= last; }

bool RightToLeft(char32_t c) {
  return In(c, 0x0590, 0x08FF) || In(c, 0xFB1D, 0xFDFF) || In(c, 0xFE70, 0xFEFF) || In(c, 0x10800, 0x10FFF) ||
         In(c, 0x1E800, 0x1EFFF);
}

// Hebrew, NKo, Samaritan and Mandaic are right-to-left; the rest of those blocks is Arabic-like.
bool ArabicLike(char32_t c) {
  return RightToLeft(c) && !In(c, 0x0590, 0x05FF) && !In(c, 0xFB1D, 0xFB4F) && !In(c, 0x07C0, 0x085F);
}

bool Complex(char32_t c) {
  return RightToLeft(c) || In(c, 0x0900, 0x0FFF) || In(c, 0x1000, 0x109F) || In(c, 0x1100, 0x11FF) ||
         In(c, 0x1780, 0x18AF) || In(c, 0x1A00, 0x1B7F) || In(c, 0xA960, 0xA97F) || In(c, 0xA980, 0xAAFF) ||
         In(c, 0xD7B0, 0xD7FF);
}

// The bidirectional classes the line's order is worked out from.
enum Bidi : uint8_t { kL, kR, kAL, kEN, kAN, kN };

std::vector<Bidi> Classes(hb_unicode_funcs_t* u, const std::u32string& text) {
  std::vector<Bidi> out(text.size(), kN);
  for (size_t i = 0; i < text.size(); ++i) {
    const char32_t c = text[i];
    const hb_unicode_general_category_t cat = hb_unicode_general_category(u, c);
    if (cat == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK || cat == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK ||
        cat == HB_UNICODE_GENERAL_CATEGORY_FORMAT) {
      out[i] = i ? out[i - 1] : kN;  // marks and joiners go with what they follow
    } else if (In(c, '0', '9') || In(c, 0x06F0, 0x06F9)) {
      out[i] = kEN;
    } else if (In(c, 0x0660, 0x0669) || c == 0x066B || c == 0x066C) {
      out[i] = kAN;
    } else if (RightToLeft(c)) {
      out[i] = ArabicLike(c) ? kAL : kR;
    } else if (cat <= HB_UNICODE_GENERAL_CATEGORY_UPPERCASE_LETTER && cat >= HB_UNICODE_GENERAL_CATEGORY_LOWERCASE_LETTER) {
      out[i] = kL;
    } else if (cat == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK || cat == HB_UNICODE_GENERAL_CATEGORY_DECIMAL_NUMBER ||
               cat == HB_UNICODE_GENERAL_CATEGORY_LETTER_NUMBER) {
      out[i] = kL;
    }
  }
  return out;
}

// Embedding levels on a left-to-right line: letters of the right-to-left scripts at 1, numbers
// among them at 2; a number after a left-to-right letter (or at the start) is left-to-right,
// one after an Arabic letter reads as an Arabic number; a separator between two digits belongs
// to the number; neutrals between two of one direction take it, others the line's.
std::vector<uint8_t> Levels(std::vector<Bidi> t, const std::u32string& text) {
  const size_t n = t.size();
  Bidi strong = kL;
  for (Bidi& b : t) {
    if (b == kL || b == kR || b == kAL) strong = b;
    if (b == kEN) b = strong == kAL ? kAN : strong == kL ? kL : kEN;
  }
  for (size_t i = 1; i + 1 < n; ++i) {
    const char32_t c = text[i];
    if (t[i] != kN || t[i - 1] != t[i + 1]) continue;
    if ((t[i - 1] == kEN && (c == '+' || c == '-' || c == '.' || c == ',' || c == '/' || c == ':')) ||
        (t[i - 1] == kAN && (c == '.' || c == ',' || c == '/' || c == ':')))
      t[i] = t[i - 1];
  }
  auto rightToLeft = [](Bidi b) { return b != kL; };
  for (size_t i = 0; i < n;) {
    if (t[i] != kN) {
      ++i;
      continue;
    }
    size_t j = i;
    while (j < n && t[j] == kN) ++j;
    const bool before = i > 0 && rightToLeft(t[i - 1]), after = j < n && rightToLeft(t[j]);
    std::fill(t.begin() + std::ptrdiff_t(i), t.begin() + std::ptrdiff_t(j), before && after ? kR : kL);
    i = j;
  }
  std::vector<uint8_t> levels(n);
  for (size_t i = 0; i < n; ++i) levels[i] = t[i] == kL ? 0 : (t[i] == kR || t[i] == kAL) ? 1 : 2;
  return levels;
}

struct Run {
  size_t start = 0, end = 0;
  uint8_t level = 0;
  hb_script_t script = HB_SCRIPT_COMMON;
  FontInstance* font = nullptr;
};

bool Has(FontInstance& font, char32_t c) {
  std::lock_guard guard(FontInstance::FreeTypeLock());
  return font.GlyphIndex(c) != 0;
}

// Runs of one level, script and font, in the text's order. Characters common to all scripts
// (spaces, punctuation) and marks join the script around them, and the font of the run they
// continue where it has them.
std::vector<Run> Runs(FontInstance& font, hb_unicode_funcs_t* u, const std::u32string& text,
                      const std::vector<uint8_t>& levels) {
  const size_t n = text.size();
  std::vector<hb_script_t> scripts(n);
  for (size_t i = 0; i < n; ++i) scripts[i] = hb_unicode_script(u, text[i]);
  auto common = [](hb_script_t s) { return s == HB_SCRIPT_COMMON || s == HB_SCRIPT_INHERITED || s == HB_SCRIPT_UNKNOWN; };
  const std::vector<hb_script_t> own = scripts;
  for (size_t i = 1; i < n; ++i)
    if (common(scripts[i]) && levels[i] == levels[i - 1]) scripts[i] = scripts[i - 1];
  for (size_t i = n - 1; i-- > 0;)
    if (common(scripts[i]) && levels[i] == levels[i + 1]) scripts[i] = scripts[i + 1];
  std::vector<Run> runs;
  for (size_t i = 0; i < n; ++i) {
    const hb_unicode_general_category_t cat = hb_unicode_general_category(u, text[i]);
    const bool mark = cat == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
                      cat == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK || cat == HB_UNICODE_GENERAL_CATEGORY_FORMAT;
    FontInstance* f = mark && i > 0 ? runs.back().font : nullptr;
    if (!f && common(own[i]) && i > 0 && runs.back().level == levels[i] && Has(*runs.back().font, text[i]))
      f = runs.back().font;
    if (!f) f = &font.Linked(text[i]);
    if (runs.empty() || runs.back().level != levels[i] || runs.back().script != scripts[i] || runs.back().font != f)
      runs.push_back(Run{i, i, levels[i], scripts[i], f});
    runs.back().end = i + 1;
  }
  return runs;
}

// The runs in display order: from the highest level down to 1, every stretch of runs at that
// level or above is reversed.
std::vector<size_t> DisplayOrder(const std::vector<Run>& runs) {
  std::vector<size_t> order(runs.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  uint8_t top = 0;
  for (const Run& r : runs) top = std::max(top, r.level);
  for (uint8_t level = top; level >= 1; --level)
    for (size_t i = 0; i < order.size();) {
      if (runs[order[i]].level < level) {
        ++i;
        continue;
      }
      size_t j = i;
      while (j < order.size() && runs[order[j]].level >= level) ++j;
      std::reverse(order.begin() + std::ptrdiff_t(i), order.begin() + std::ptrdiff_t(j));
      i = j;
    }
  return order;
}

int64_t Round26(int64_t v) { return v >= 0 ? (v + 32) / 64 : -((-v + 32) / 64); }

struct BufferDeleter {
  void operator()(hb_buffer_t* b) const { hb_buffer_destroy(b); }
};

}  // namespace

hb_font_t* FontInstance::Shaper() {
  if (!shaper_ && face_) {
    shaper_ = hb_ft_font_create_referenced(face_);
    // The advances the rest of the text layer measures with.
    hb_ft_font_set_load_flags(shaper_, int(LoadFlags()));
  }
  return shaper_;
}

bool NeedsShaping(const std::u32string& text) { return std::any_of(text.begin(), text.end(), Complex); }

ShapedText ShapeText(FontInstance& font, const std::u32string& text, int charExtra, const int* dx) {
  ShapedText out;
  if (text.empty()) return out;
  hb_unicode_funcs_t* u = hb_unicode_funcs_get_default();
  const std::vector<Run> runs = Runs(font, u, text, Levels(Classes(u, text), text));
  std::unique_ptr<hb_buffer_t, BufferDeleter> buffer(hb_buffer_create());
  if (!dx) out.shares.assign(text.size(), 0);
  int64_t pen26 = 0;  // without dx: 26.6 pixels
  int64_t pen = 0;    // with dx: pixels
  for (size_t index : DisplayOrder(runs)) {
    const Run& run = runs[index];
    hb_buffer_t* b = buffer.get();
    hb_buffer_clear_contents(b);
    // The whole text is the context, so that letters join across the runs' ends.
    hb_buffer_add_utf32(b, reinterpret_cast<const uint32_t*>(text.data()), int(text.size()), unsigned(run.start),
                        int(run.end - run.start));
    hb_buffer_set_direction(b, (run.level & 1) ? HB_DIRECTION_RTL : HB_DIRECTION_LTR);
    hb_buffer_set_script(b, run.script);
    hb_buffer_guess_segment_properties(b);
    {
      std::lock_guard guard(FontInstance::FreeTypeLock());
      if (hb_font_t* shaper = run.font->Shaper()) hb_shape(shaper, b, nullptr, 0);
    }
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(b, &count);
    const hb_glyph_position_t* pos = hb_buffer_get_glyph_positions(b, nullptr);
    if (!pos) count = 0;
    // Where each cluster's characters end (clusters are the indices of their first character).
    std::vector<size_t> starts;
    for (unsigned g = 0; g < count; ++g) starts.push_back(info[g].cluster);
    std::sort(starts.begin(), starts.end());
    starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
    auto clusterEnd = [&](size_t cluster) {
      auto next = std::upper_bound(starts.begin(), starts.end(), cluster);
      return next == starts.end() ? run.end : *next;
    };
    auto clusterWidth = [&](size_t cluster) {
      int64_t w = 0;
      for (size_t i = cluster; i < clusterEnd(cluster); ++i) w += dx[i];
      return w;
    };
    int64_t within = 0;
    for (unsigned g = 0; g < count; ++g) {
      const size_t cluster = info[g].cluster;
      ShapedGlyph glyph{run.font, FontInstance::GlyphKey(uint16_t(info[g].codepoint)), 0,
                        int32_t(Round26(pos[g].y_offset))};
      if (dx) {
        if (g > 0 && info[g - 1].cluster != cluster) {
          pen += clusterWidth(info[g - 1].cluster);
          within = 0;
        }
        glyph.x = pen + Round26(within + pos[g].x_offset);
        within += pos[g].x_advance;
      } else {
        glyph.x = Round26(pen26 + pos[g].x_offset);
        pen26 += pos[g].x_advance;
        out.shares[cluster] += pos[g].x_advance;
        if (g + 1 == count || info[g + 1].cluster != cluster) {
          // The cluster's advance is shared by its characters, each with its extra space.
          const size_t chars = clusterEnd(cluster) - cluster;
          pen26 += int64_t(charExtra) * 64 * int64_t(chars);
          const int64_t whole = out.shares[cluster];
          for (size_t i = 0; i < chars; ++i)
            out.shares[cluster + i] = whole / int64_t(chars) + (i == 0 ? whole % int64_t(chars) : 0) + int64_t(charExtra) * 64;
        }
      }
      out.glyphs.push_back(glyph);
    }
    if (dx && count > 0) pen += clusterWidth(info[count - 1].cluster);
  }
  out.width = dx ? pen : Round26(pen26);
  return out;
}
