#include "platform/gdi/font_data.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/dc_internal.h"
#include "platform/gdi/font_engine.h"
#include "platform/rtl/strings.h"

namespace {

std::shared_ptr<FontInstance> FontOf(HDC dc) {
  auto d = LookupDC(dc);
  return d && d->state.font ? InstanceOf(*d->state.font) : nullptr;
}

FIXED ToFixed(double v) {
  const int32_t f = int32_t(std::lround(std::clamp(v, -32768.0, 32767.99) * 65536));
  FIXED x;
  x.value = int16_t(f >> 16);
  x.fract = WORD(f & 0xFFFF);
  return x;
}

double FromFixed(FIXED f) { return f.value + f.fract / 65536.0; }

struct Transform {
  double m11 = 1, m12 = 0, m21 = 0, m22 = 1;
  POINTFX Apply(long x26, long y26) const {
    const double x = x26 / 64.0, y = y26 / 64.0;
    return POINTFX{ToFixed(m11 * x + m21 * y), ToFixed(m12 * x + m22 * y)};
  }
};

void Put(std::vector<uint8_t>& out, const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  out.insert(out.end(), b, b + n);
}

void PutCurve(std::vector<uint8_t>& out, WORD type, const std::vector<POINTFX>& pts) {
  if (pts.empty()) return;
  const WORD count = WORD(pts.size());
  Put(out, &type, 2);
  Put(out, &count, 2);
  Put(out, pts.data(), pts.size() * sizeof(POINTFX));
}

// Turns FreeType contours into the platform's native records (or cubic ones for GGO_BEZIER).
std::vector<uint8_t> NativeRecords(const FontInstance::Outline& o, const Transform& t, bool bezier) {
  struct P {
    long x, y;
    int tag;  // 1 on the curve, 0 conic control, 2 cubic control
  };
  std::vector<uint8_t> out;
  size_t first = 0;
  for (short endShort : o.contourEnds) {
    const size_t end = size_t(endShort);
    if (end < first || end >= o.x.size()) break;
    const size_t n = end - first + 1;
    // The contour as a list that starts and ends on the same on-curve point.
    std::vector<P> pts;
    size_t k = 0;
    while (k < n && (o.tags[first + k] & 3) != 1) ++k;
    if (k == n) {
      const P mid{(o.x[first] + o.x[end]) / 2, (o.y[first] + o.y[end]) / 2, 1};
      pts.push_back(mid);
      for (size_t i = 0; i < n; ++i) pts.push_back(P{o.x[first + i], o.y[first + i], o.tags[first + i] & 3});
      pts.push_back(mid);
    } else {
      for (size_t i = 0; i <= n; ++i) {
        const size_t j = first + (k + i) % n;
        pts.push_back(P{o.x[j], o.y[j], i == n ? 1 : (o.tags[j] & 3)});
      }
    }
    std::vector<uint8_t> curves;
    std::vector<POINTFX> lines;
    auto flushLines = [&] {
      PutCurve(curves, TT_PRIM_LINE, lines);
      lines.clear();
    };
    P cur = pts[0];
    size_t i = 1;
    while (i < pts.size()) {
      if (pts[i].tag == 1) {
        lines.push_back(t.Apply(pts[i].x, pts[i].y));
        cur = pts[i++];
        continue;
      }
      flushLines();
      if (pts[i].tag == 2) {
        // Two cubic controls and an end point; a malformed run ends at the closing point.
        const P c1 = pts[i];
        const P c2 = i + 1 < pts.size() ? pts[i + 1] : pts.back();
        const P e = i + 2 < pts.size() ? pts[i + 2] : pts.back();
        PutCurve(curves, TT_PRIM_CSPLINE, {t.Apply(c1.x, c1.y), t.Apply(c2.x, c2.y), t.Apply(e.x, e.y)});
        cur = e;
        i += 3;
        continue;
      }
      std::vector<P> controls;
      while (i < pts.size() && pts[i].tag != 1) controls.push_back(pts[i++]);
      const P e = i < pts.size() ? pts[i++] : pts.back();
      if (bezier) {
        // Each implied quadratic piece raised to a cubic.
        P from = cur;
        for (size_t c = 0; c < controls.size(); ++c) {
          const P q = controls[c];
          const P to = c + 1 < controls.size() ? P{(q.x + controls[c + 1].x) / 2, (q.y + controls[c + 1].y) / 2, 1} : e;
          auto lerp = [](long a, long b) { return long(std::lround(a + 2.0 / 3 * (b - a))); };
          PutCurve(curves, TT_PRIM_CSPLINE,
                   {t.Apply(lerp(from.x, q.x), lerp(from.y, q.y)), t.Apply(lerp(to.x, q.x), lerp(to.y, q.y)),
                    t.Apply(to.x, to.y)});
          from = to;
        }
      } else {
        std::vector<POINTFX> q;
        for (const P& c : controls) q.push_back(t.Apply(c.x, c.y));
        q.push_back(t.Apply(e.x, e.y));
        PutCurve(curves, TT_PRIM_QSPLINE, q);
      }
      cur = e;
    }
    flushLines();
    TTPOLYGONHEADER h;
    h.cb = DWORD(sizeof h + curves.size());
    h.pfxStart = t.Apply(pts[0].x, pts[0].y);
    Put(out, &h, sizeof h);
    out.insert(out.end(), curves.begin(), curves.end());
    first = end + 1;
  }
  return out;
}

}  // namespace

DWORD GetFontData(HDC dc, DWORD table, DWORD offset, void* buffer, DWORD size) {
  auto f = FontOf(dc);
  if (!f) return GDI_ERROR;
  std::string data;
  if (!f->ReadData(table, data)) return GDI_ERROR;
  if (offset > data.size()) return GDI_ERROR;
  const DWORD available = DWORD(data.size() - offset);
  if (!buffer || size == 0) return available;
  const DWORD n = std::min(size, available);
  std::memcpy(buffer, data.data() + offset, n);
  return n;
}

DWORD GetGlyphOutlineW(HDC dc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD size, void* buffer,
                       const MAT2* matrix) {
  auto f = FontOf(dc);
  if (!f) return GDI_ERROR;
  const UINT kind = format & 0x0F;
  FontInstance::Outline o;
  if (!f->LoadOutline(char32_t(ch), format & GGO_GLYPH_INDEX, o)) return GDI_ERROR;
  Transform t;
  if (matrix) t = Transform{FromFixed(matrix->eM11), FromFixed(matrix->eM12), FromFixed(matrix->eM21), FromFixed(matrix->eM22)};
  if (metrics) {
    GLYPHMETRICS m;
    const long x0 = o.xMin >> 6, y1 = (o.yMax + 63) >> 6;
    const long x1 = (o.xMax + 63) >> 6, y0 = o.yMin >> 6;
    m.gmBlackBoxX = UINT(std::max<long>(1, x1 - x0));
    m.gmBlackBoxY = UINT(std::max<long>(1, y1 - y0));
    m.gmptGlyphOrigin = POINT{int32_t(x0), int32_t(y1)};
    m.gmCellIncX = int16_t(std::lround(t.m11 * o.advance));
    m.gmCellIncY = int16_t(std::lround(t.m12 * o.advance));
    *metrics = m;
  }
  if (kind == GGO_METRICS) return 0;
  if (kind != GGO_NATIVE && kind != GGO_BEZIER) return GDI_ERROR;
  const std::vector<uint8_t> records = NativeRecords(o, t, kind == GGO_BEZIER);
  if (!buffer || size == 0) return DWORD(records.size());
  if (size < records.size()) return GDI_ERROR;
  std::memcpy(buffer, records.data(), records.size());
  return DWORD(records.size());
}

DWORD GetGlyphIndicesW(HDC dc, const char16_t* text, int count, WORD* indices, DWORD flags) {
  auto f = FontOf(dc);
  if (!f || count < 0 || (count > 0 && (!text || !indices))) return GDI_ERROR;
  std::lock_guard guard(FontInstance::FreeTypeLock());
  for (int i = 0; i < count; ++i) {
    const uint32_t glyph = f->GlyphIndex(text[i]);
    indices[i] = glyph == 0 && (flags & GGI_MARK_NONEXISTING_GLYPHS) ? WORD(0xFFFF) : WORD(glyph);
  }
  return DWORD(count);
}

UINT GetOutlineTextMetricsA(HDC dc, UINT size, OUTLINETEXTMETRICA* out) {
  auto f = FontOf(dc);
  if (!f || !f->Valid()) return 0;
  OUTLINETEXTMETRICA m;
  TEXTMETRICA tm;
  if (!GetTextMetricsA(dc, &tm)) return 0;
  m.otmTextMetrics = tm;
  std::string family, style, full;
  {
    std::lock_guard guard(FontInstance::FreeTypeLock());
    FT_Face face = f->RawFace();
    const double scale = double(f->EmPixels()) / f->UnitsPerEm();
    auto px = [&](double v) { return int(std::lround(v * scale)); };
    const TT_OS2* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const TT_Postscript* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));
    const TT_HoriHeader* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
    m.otmEMSquare = UINT(f->UnitsPerEm());
    m.otmrcFontBox = RECT{px(face->bbox.xMin), px(face->bbox.yMax), px(face->bbox.xMax), px(face->bbox.yMin)};
    if (os2) {
      std::memcpy(m.otmPanoseNumber.bytes, os2->panose, 10);
      m.otmfsSelection = os2->fsSelection;
      m.otmfsType = os2->fsType;
      m.otmAscent = px(os2->sTypoAscender);
      m.otmDescent = px(os2->sTypoDescender);
      m.otmLineGap = UINT(std::max(0, px(os2->sTypoLineGap)));
      m.otmsCapEmHeight = UINT(std::max(0, px(os2->version >= 2 ? os2->sCapHeight : face->ascender)));
      m.otmsXHeight = UINT(std::max(0, px(os2->version >= 2 ? os2->sxHeight : face->ascender / 2)));
      m.otmptSubscriptSize = POINT{px(os2->ySubscriptXSize), px(os2->ySubscriptYSize)};
      m.otmptSubscriptOffset = POINT{px(os2->ySubscriptXOffset), px(os2->ySubscriptYOffset)};
      m.otmptSuperscriptSize = POINT{px(os2->ySuperscriptXSize), px(os2->ySuperscriptYSize)};
      m.otmptSuperscriptOffset = POINT{px(os2->ySuperscriptXOffset), px(os2->ySuperscriptYOffset)};
      m.otmsStrikeoutSize = UINT(std::max(0, px(os2->yStrikeoutSize)));
      m.otmsStrikeoutPosition = px(os2->yStrikeoutPosition);
    } else {
      m.otmAscent = px(face->ascender);
      m.otmDescent = px(face->descender);
    }
    if (post) {
      m.otmItalicAngle = int(std::lround(post->italicAngle / 65536.0 * 10));
      m.otmsUnderscoreSize = px(post->underlineThickness);
      m.otmsUnderscorePosition = px(post->underlinePosition);
    }
    if (hhea) {
      m.otmMacAscent = px(hhea->Ascender);
      m.otmMacDescent = px(hhea->Descender);
      m.otmMacLineGap = UINT(std::max(0, px(hhea->Line_Gap)));
      m.otmsCharSlopeRise = hhea->caret_Slope_Rise;
      m.otmsCharSlopeRun = hhea->caret_Slope_Run;
    }
    family = face->family_name ? face->family_name : f->Face().family;
    style = face->style_name ? face->style_name : "Regular";
    full = style == "Regular" ? family : family + " " + style;
  }
  // The names follow the structure: family, face (full name), style, full name.
  std::string names;
  auto addName = [&](const std::string& s) {
    const uintptr_t offset = sizeof(OUTLINETEXTMETRICA) + names.size();
    names += s;
    names.push_back('\0');
    return offset;
  };
  m.otmpFamilyName = addName(family);
  m.otmpFaceName = addName(full);
  m.otmpStyleName = addName(style);
  m.otmpFullName = addName(full);
  const UINT total = UINT(sizeof(OUTLINETEXTMETRICA) + names.size());
  m.otmSize = total;
  if (!out) return total;
  if (size < sizeof(OUTLINETEXTMETRICA)) return 0;
  std::memcpy(out, &m, sizeof m);
  const size_t room = std::min<size_t>(size - sizeof(OUTLINETEXTMETRICA), names.size());
  std::memcpy(reinterpret_cast<char*>(out) + sizeof(OUTLINETEXTMETRICA), names.data(), room);
  return std::min<UINT>(total, size);
}

namespace {

int Report(const InstalledFamily& fam, uint8_t charset, FONTENUMPROCA proc, intptr_t lParam) {
  ENUMLOGFONTEXA elf;
  LOGFONTA& lf = elf.elfLogFont;
  lf.lfHeight = 16;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = charset;
  lf.lfPitchAndFamily = uint8_t((fam.fixedPitch ? FIXED_PITCH : VARIABLE_PITCH) | (fam.fixedPitch ? FF_MODERN : FF_SWISS));
  lf.lfOutPrecision = 3;
  lf.lfQuality = 1;
  std::strncpy(lf.lfFaceName, fam.family.c_str(), LF_FACESIZE - 1);
  std::strncpy(elf.elfFullName, fam.family.c_str(), LF_FULLFACESIZE - 1);
  std::strncpy(elf.elfStyle, "Regular", LF_FACESIZE - 1);
  std::strncpy(elf.elfScript, charset == SYMBOL_CHARSET ? "Symbol" : "Western", LF_FACESIZE - 1);
  NEWTEXTMETRICEXA ntm;
  TEXTMETRICA& tm = ntm.ntmTm;
  tm.tmHeight = 16;
  tm.tmAscent = 13;
  tm.tmDescent = 3;
  tm.tmAveCharWidth = 7;
  tm.tmMaxCharWidth = 16;
  tm.tmWeight = FW_NORMAL;
  tm.tmFirstChar = 32;
  tm.tmLastChar = 255;
  tm.tmPitchAndFamily = uint8_t((fam.fixedPitch ? 0 : TMPF_FIXED_PITCH) | TMPF_VECTOR | TMPF_TRUETYPE);
  tm.tmCharSet = charset;
  ntm.ntmSizeEM = 2048;
  return proc(reinterpret_cast<const LOGFONTA*>(&elf), reinterpret_cast<const TEXTMETRICA*>(&ntm),
              fam.scalable ? TRUETYPE_FONTTYPE : RASTER_FONTTYPE, lParam);
}

}  // namespace

int EnumFontFamiliesExA(HDC dc, const LOGFONTA* logFont, FONTENUMPROCA proc, intptr_t lParam, DWORD) {
  if (!LookupDC(dc) || !logFont || !proc) return 0;
  const uint8_t charset = logFont->lfCharSet;
  std::string face(logFont->lfFaceName, strnlen(logFont->lfFaceName, LF_FACESIZE));
  const std::string lang = charset == DEFAULT_CHARSET || charset == ANSI_CHARSET || charset == SYMBOL_CHARSET
                               ? ""
                               : CharSetLanguage(charset);
  if (charset != DEFAULT_CHARSET && charset != ANSI_CHARSET && charset != SYMBOL_CHARSET && lang.empty()) return 1;
  int result = 1;
  std::vector<InstalledFamily> families = InstalledFamilies(lang);
  // The platform's usual face names are installed wherever the faces that answer them are.
  const size_t installed = families.size();
  for (const FaceAlias& alias : FaceAliases()) {
    for (size_t i = 0; i < installed; ++i) {
      if (!SameTextAscii(families[i].family, alias.family)) continue;
      InstalledFamily named = families[i];
      named.family = alias.face;
      families.push_back(named);
      break;
    }
  }
  std::sort(families.begin(), families.end(), [](const InstalledFamily& a, const InstalledFamily& b) {
    return LowerCaseAscii(a.family) < LowerCaseAscii(b.family);
  });
  auto fits = [&](const InstalledFamily& fam) {
    return !(charset == SYMBOL_CHARSET && !fam.symbol) && !(charset == ANSI_CHARSET && fam.symbol);
  };
  auto report = [&](const InstalledFamily& fam) {
    const uint8_t reported = charset == DEFAULT_CHARSET ? (fam.symbol ? SYMBOL_CHARSET : ANSI_CHARSET) : charset;
    return Report(fam, reported, proc, lParam);
  };
  bool found = false;
  for (const InstalledFamily& fam : families) {
    if (!face.empty() && !SameTextAscii(face, fam.family)) continue;
    if (!fits(fam)) continue;
    found = true;
    result = report(fam);
    if (result == 0) return result;
  }
  if (found || face.empty()) return result;
  // A face is known by every name it carries (the native names of CJK faces beside their
  // Western ones), though the list above names each face once.
  for (InstalledFamily fam : InstalledFamilies(lang, face)) {
    if (!fits(fam)) continue;
    fam.family = face;
    return report(fam);
  }
  return result;
}

int EnumFontsA(HDC dc, const char* face, FONTENUMPROCA proc, intptr_t lParam) {
  LOGFONTA lf;
  lf.lfCharSet = DEFAULT_CHARSET;
  if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return EnumFontFamiliesExA(dc, &lf, proc, lParam, 0);
}

int AddFontResourceW(const char16_t* fileName) {
  if (!fileName) return 0;
  return AddPrivateFontFile(WideToFileName(fileName)) ? 1 : 0;
}

bool RemoveFontResourceW(const char16_t* fileName) {
  return fileName && RemovePrivateFontFile(WideToFileName(fileName));
}

// Every font file added here is private to the process already, so FR_PRIVATE and FR_NOT_ENUM
// change nothing: the flags only have to be ones the platform knows.
int AddFontResourceExW(const char16_t* fileName, DWORD flags, void* reserved) {
  if (reserved != nullptr || (flags & ~(FR_PRIVATE | FR_NOT_ENUM)) != 0) return 0;
  return AddFontResourceW(fileName);
}

bool RemoveFontResourceExW(const char16_t* fileName, DWORD flags, void* reserved) {
  if (reserved != nullptr || (flags & ~(FR_PRIVATE | FR_NOT_ENUM)) != 0) return false;
  return RemoveFontResourceW(fileName);
}
