#include "platform/gdi/font_engine.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/rtl/strings.h"

namespace {

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    if (FT_Init_FreeType(&l) != 0) l = nullptr;
    return l;
  }();
  return lib;
}

long RoundDiv(long v, long d) { return v >= 0 ? (v + d / 2) / d : -((-v + d / 2) / d); }
int Px(long v26) { return int(RoundDiv(v26, 64)); }

}  // namespace

std::mutex& FontInstance::FreeTypeLock() {
  static std::mutex m;
  return m;
}

std::shared_ptr<FontInstance> InstanceOf(const GdiFont& font) {
  // A lock of its own: building the instance takes the FreeType lock inside.
  static std::mutex slotLock;
  std::lock_guard guard(slotLock);
  if (!font.instance) font.instance = std::make_shared<FontInstance>(font.logFont);
  return font.instance;
}

namespace {

int WeightOf(const LOGFONTW& lf) { return lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight; }

ResolvedFace FaceOf(const LOGFONTW& lf) {
  std::u16string face16;
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) face16.push_back(lf.lfFaceName[i]);
  const std::string face = WideToUtf8(face16);
  const bool wantFixed = (lf.lfPitchAndFamily & 3) == FIXED_PITCH || (lf.lfPitchAndFamily & 0xF0) == FF_MODERN;
  return ResolveFace(face, WeightOf(lf), lf.lfItalic != 0, wantFixed && face.empty(), lf.lfCharSet);
}

}  // namespace

FontInstance::FontInstance(const LOGFONTW& lf) : FontInstance(lf, FaceOf(lf)) {}

FontInstance::FontInstance(const LOGFONTW& lf, const ResolvedFace& face) : resolved_(face), logFont_(lf) {
  const int weight = WeightOf(lf);
  mono_ = lf.lfQuality == NONANTIALIASED_QUALITY || lf.lfQuality == DRAFT_QUALITY;
  std::lock_guard guard(FreeTypeLock());
  if (!Library() || resolved_.file.empty()) return;
  if (FT_New_Face(Library(), resolved_.file.c_str(), resolved_.index, &face_) != 0) {
    face_ = nullptr;
    return;
  }
  if (FT_Select_Charmap(face_, FT_ENCODING_UNICODE) != 0) FT_Select_Charmap(face_, FT_ENCODING_MS_SYMBOL);
  bold_ = weight >= 600;
  italic_ = lf.lfItalic != 0;
  synthBold_ = bold_ && !(face_->style_flags & FT_STYLE_FLAG_BOLD);
  synthItalic_ = italic_ && !(face_->style_flags & FT_STYLE_FLAG_ITALIC);
  fixed_ = FT_IS_FIXED_WIDTH(face_);
  ComputeMetrics(lf);
}

FontInstance::~FontInstance() {
  std::lock_guard guard(FreeTypeLock());
  if (shaper_) hb_font_destroy(shaper_);
  if (face_) FT_Done_Face(face_);
}

int FontInstance::UnitsPerEm() const { return face_ && face_->units_per_EM ? face_->units_per_EM : 2048; }

uint32_t FontInstance::LoadFlags() const {
  return FT_LOAD_NO_BITMAP | (mono_ ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL);
}

void FontInstance::ComputeMetrics(const LOGFONTW& lf) {
  const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
  const double upem = UnitsPerEm();
  // The platform's cell: usWinAscent + usWinDescent when the font has them.
  double asc = os2 && os2->usWinAscent ? os2->usWinAscent : face_->ascender;
  double desc = os2 && os2->usWinDescent ? os2->usWinDescent : -face_->descender;
  if (asc + desc <= 0) {
    asc = upem * 0.9;
    desc = upem * 0.2;
  }
  int32_t h = lf.lfHeight;
  if (h == 0) h = 16;  // the platform's default size for a height of 0
  const int64_t absH = std::min<int64_t>(std::abs(int64_t(h)), 4096);  // hostile heights stay bounded
  ppem_ = h < 0 ? int(absH) : int(std::lround(absH * upem / (asc + desc)));
  ppem_ = std::max(ppem_, 1);
  int ppemX = ppem_;
  if (lf.lfWidth > 0 && os2 && os2->xAvgCharWidth > 0) {
    const double avg = os2->xAvgCharWidth * ppem_ / upem;
    if (avg > 0) ppemX = std::clamp(int(std::lround(ppem_ * std::min<int32_t>(lf.lfWidth, 4096) / avg)), 1, 8192);
  }
  FT_Set_Pixel_Sizes(face_, FT_UInt(ppemX), FT_UInt(ppem_));
  const double scale = double(ppem_) / upem;
  TEXTMETRICW& m = metrics_;
  m.tmAscent = LONG(std::lround(asc * scale));
  m.tmDescent = LONG(std::lround(desc * scale));
  m.tmHeight = m.tmAscent + m.tmDescent;
  m.tmInternalLeading = std::max<LONG>(0, m.tmHeight - ppem_);
  const TT_HoriHeader* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face_, FT_SFNT_HHEA));
  if (hhea) {
    const double gap = hhea->Line_Gap - ((asc + desc) - (hhea->Ascender - hhea->Descender));
    m.tmExternalLeading = LONG(std::max(0.0, std::round(gap * scale)));
  }
  const double xscale = double(ppemX) / upem;
  m.tmAveCharWidth = os2 && os2->xAvgCharWidth ? LONG(std::lround(os2->xAvgCharWidth * xscale)) : LONG(ppemX / 2);
  m.tmMaxCharWidth = LONG(std::lround((face_->bbox.xMax - face_->bbox.xMin) * xscale));
  m.tmWeight = bold_ ? FW_BOLD : (lf.lfWeight ? lf.lfWeight : FW_NORMAL);
  m.tmItalic = italic_;
  m.tmUnderlined = lf.lfUnderline;
  m.tmStruckOut = lf.lfStrikeOut;
  m.tmFirstChar = os2 && os2->usFirstCharIndex ? char16_t(os2->usFirstCharIndex) : u' ';
  m.tmLastChar = os2 && os2->usLastCharIndex ? char16_t(os2->usLastCharIndex) : char16_t(0xFFFC);
  m.tmDefaultChar = m.tmFirstChar;
  m.tmBreakChar = u' ';
  const bool truetype = FT_IS_SFNT(face_);
  m.tmPitchAndFamily = uint8_t((fixed_ ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | (truetype ? TMPF_TRUETYPE : 0) |
                               (fixed_ ? FF_MODERN : FF_SWISS));
  m.tmCharSet = resolved_.symbol ? SYMBOL_CHARSET : ANSI_CHARSET;
  if (face_->underline_thickness) {
    underlineThickness_ = std::max(1, int(std::lround(face_->underline_thickness * scale)));
    underlinePos_ = std::max(1, int(std::lround(-face_->underline_position * scale)));
  }
}

uint32_t FontInstance::GlyphIndex(char32_t ch) {
  if (!face_) return 0;
  FT_UInt g = FT_Get_Char_Index(face_, ch);
  // Symbol fonts put their characters at U+F000 and up.
  if (!g && ch < 0x100 && face_->charmap && face_->charmap->encoding == FT_ENCODING_MS_SYMBOL)
    g = FT_Get_Char_Index(face_, 0xF000 + ch);
  // Text in a symbol face is recorded as U+F020..U+F0FF, the face's own codes moved into the
  // private-use area: a face whose character map holds the codes themselves answers them.
  if (!g && resolved_.symbol && ch >= 0xF020 && ch <= 0xF0FF) g = FT_Get_Char_Index(face_, ch - 0xF000);
  return g;
}

uint32_t FontInstance::IndexOfKey(char32_t key) {
  return (key & kGlyphKeyFlag) ? uint32_t(key & ~kGlyphKeyFlag) : GlyphIndex(key);
}

int FontInstance::Advance(char32_t ch) {
  // Measuring loads the outline only: a glyph is rendered when it is drawn.
  std::lock_guard guard(FreeTypeLock());
  if (auto it = advances_.find(ch); it != advances_.end()) return it->second;
  int advance = 0;
  if (face_ && FT_Load_Glyph(face_, IndexOfKey(ch), FT_Int32(LoadFlags())) == 0) {
    FT_GlyphSlot slot = face_->glyph;
    if (synthBold_) FT_GlyphSlot_Embolden(slot);
    if (synthItalic_) FT_GlyphSlot_Oblique(slot);
    advance = Px(slot->advance.x);
  }
  advances_[ch] = advance;
  return advance;
}

std::shared_ptr<const FontInstance::Glyph> FontInstance::Render(char32_t ch, const PixelBox& visible) {
  std::lock_guard guard(FreeTypeLock());
  if (auto it = glyphs_.find(ch); it != glyphs_.end()) {
    if (it->second.whole) return it->second.whole;
    if (it->second.ink.Intersect(visible).Empty()) {
      auto none = std::make_shared<Glyph>();  // nothing of it shows: no need to load it again
      none->advance = it->second.advance;
      return none;
    }
  }
  CachedGlyph cached;
  auto glyph = std::make_shared<Glyph>();
  if (face_ && FT_Load_Glyph(face_, IndexOfKey(ch), FT_Int32(LoadFlags())) == 0) {
    FT_GlyphSlot slot = face_->glyph;
    if (synthBold_) FT_GlyphSlot_Embolden(slot);
    if (synthItalic_) FT_GlyphSlot_Oblique(slot);
    cached.advance = glyph->advance = Px(slot->advance.x);
    cached.ink = InkBox(*slot);
    const bool whole = slot->format != FT_GLYPH_FORMAT_OUTLINE ||
                       cached.ink.Area() <= std::max(visible.Area(), kWholeGlyphPixels);
    if (whole)
      RenderWholeGlyph(*slot, mono_, *glyph);
    else
      RenderGlyphWindow(Library(), *slot, mono_, visible, *glyph);
    const auto size = int64_t(glyph->coverage.size());
    if (whole && cached.ink.Area() <= kWholeGlyphPixels && keptPixels_ + size <= kKeptPixels) {
      cached.whole = glyph;
      keptPixels_ += size;
    }
  } else {
    cached.whole = glyph;
  }
  advances_[ch] = cached.advance;
  glyphs_.insert_or_assign(ch, cached);
  return glyph;
}

namespace {

// The whole font file, up to 1 GiB.
bool ReadFontFile(const std::string& path, std::string& out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string data;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && data.size() < (size_t(1) << 30)) data.append(buf, n);
  std::fclose(f);
  out = std::move(data);
  return true;
}

bool IsCollection(const std::string& file) { return file.size() >= 12 && file.compare(0, 4, "ttcf") == 0; }

}  // namespace

bool FontInstance::ReadData(uint32_t tag, std::string& out) {
  std::lock_guard guard(FreeTypeLock());
  if (!face_ || !FT_IS_SFNT(face_)) return false;
  if (tag == 0x66637474 /* 'ttcf' */ || tag == 0) {
    std::string file;
    if (!ReadFontFile(resolved_.file, file)) return false;
    const bool collection = IsCollection(file);
    if (tag != 0) {
      // The whole collection file; a font that is not in one has no such data.
      if (!collection) return false;
      out = std::move(file);
      return true;
    }
    if (collection) {
      // A face of a collection reads from its own table directory to the end of the file, while
      // its table offsets keep counting from the collection's start.
      const size_t entry = 12 + 4 * size_t(std::max(resolved_.index, 0));
      if (entry + 4 > file.size()) return false;
      const uint32_t offset = uint32_t(uint8_t(file[entry])) << 24 | uint32_t(uint8_t(file[entry + 1])) << 16 |
                              uint32_t(uint8_t(file[entry + 2])) << 8 | uint32_t(uint8_t(file[entry + 3]));
      if (offset >= file.size()) return false;
      out = file.substr(offset);
      return true;
    }
    out = std::move(file);
    return true;
  }
  // FreeType's table tags are read big-endian from the character order; the platform's
  // callers pass them as the bytes of the tag in memory order.
  const FT_ULong ftTag = tag == 0 ? 0
                                  : (FT_ULong(tag & 0xFF) << 24) | (FT_ULong((tag >> 8) & 0xFF) << 16) |
                                        (FT_ULong((tag >> 16) & 0xFF) << 8) | FT_ULong(tag >> 24);
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(face_, ftTag, 0, nullptr, &length) != 0 || length == 0) return false;
  out.resize(length);
  if (FT_Load_Sfnt_Table(face_, ftTag, 0, reinterpret_cast<FT_Byte*>(out.data()), &length) != 0) return false;
  out.resize(length);
  return true;
}

bool FontInstance::LoadOutline(char32_t ch, bool isGlyphIndex, Outline& out) {
  std::lock_guard guard(FreeTypeLock());
  if (!face_) return false;
  const FT_UInt index = isGlyphIndex ? FT_UInt(ch) : GlyphIndex(ch);
  if (FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP) != 0) return false;
  FT_GlyphSlot slot = face_->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  if (synthBold_) FT_GlyphSlot_Embolden(slot);
  if (synthItalic_) FT_GlyphSlot_Oblique(slot);
  const FT_Outline& o = slot->outline;
  out.x.resize(size_t(o.n_points));
  out.y.resize(size_t(o.n_points));
  out.tags.resize(size_t(o.n_points));
  for (int i = 0; i < o.n_points; ++i) {
    out.x[size_t(i)] = o.points[i].x;
    out.y[size_t(i)] = o.points[i].y;
    out.tags[size_t(i)] = char(o.tags[i]);
  }
  out.contourEnds.assign(o.contours, o.contours + o.n_contours);
  out.advance = Px(slot->advance.x);
  FT_BBox box;
  FT_Outline_Get_CBox(&slot->outline, &box);
  out.xMin = box.xMin;
  out.yMin = box.yMin;
  out.xMax = box.xMax;
  out.yMax = box.yMax;
  return true;
}
