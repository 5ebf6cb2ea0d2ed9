// Text records: each text is read and checked against its record (a text, advance array or
// offset that does not fit refuses that record alone), turned into byte codes of the selected
// font, or of a Type 3 font made for text that WinAnsiEncoding cannot carry, and placed by
// the player's alignment rules as a text object of the painter.
#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>

#include "pdf/content/font/pdf_font.h"
#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/metafile/text_reorder.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/pdf_helpers.h"
#include "platform/rtl/code_pages.h"
#include "platform/rtl/numbers.h"
#include "platform/rtl/strings.h"

namespace {

enum : uint32_t {
  kEtoOpaque = 2,
  kEtoClipped = 4,
  kEtoGlyphIndex = 0x10,
  kEtoNoRect = 0x100,
  kEtoSmallChars = 0x200,
  kEtoPdy = 0x2000
};
// Text alignment flags.
enum : int32_t { kTaUpdateCP = 1, kTaRight = 2, kTaCentre = 6, kTaBottom = 8, kTaBaseline = 24 };
// An advance is not taken further than this many picture sides.
constexpr double kMaxAdvance = 1e7;
// Work charged for a Type 3 font and for each of its glyphs.
constexpr int64_t kType3FontWork = 4096, kType3GlyphWork = 256;

}  // namespace

struct TPDFMetafile::TTextRun {
  int32_t X = 0, Y = 0;  // reference point, logical units
  uint32_t Options = 0;
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;  // the option rectangle
  bool Wide = false;
  std::string Bytes;             // 8-bit text
  std::u16string Chars;          // 16-bit text or glyph indices
  std::vector<double> Advances;  // content units, one per character, or empty
  bool Reorder = false;          // right-to-left text is put in display order
};

void TPDFMetafile::OpaqueRectangle(const TMetafileRecord& r, uint64_t rectAt) {
  TMetafilePath box;
  AddRectangle(box, r.I32(rectAt), r.I32(rectAt + 4), r.I32(rectAt + 8), r.I32(rectAt + 12));
  FillWithColor(box, BkColor, false);
}

bool TPDFMetafile::ReadTextRun(const TMetafileRecord& r, uint64_t at, bool wide, TTextRun& run) const {
  run.X = r.I32(at), run.Y = r.I32(at + 4);
  const uint64_t count = r.U32(at + 8), offset = r.U32(at + 12);
  run.Options = r.U32(at + 16);
  run.Left = r.I32(at + 20), run.Top = r.I32(at + 24), run.Right = r.I32(at + 28), run.Bottom = r.I32(at + 32);
  run.Wide = wide;
  if (count == 0) return true;
  const uint64_t unit = wide ? 2 : 1;
  if (!r.Has(offset, count * unit)) return false;
  if (wide) {
    run.Chars.resize(size_t(count));
    for (uint64_t i = 0; i < count; ++i) run.Chars[size_t(i)] = char16_t(r.U16(offset + 2 * i));
  } else {
    const auto bytes = r.Slice(offset, count);
    run.Bytes.assign(bytes.begin(), bytes.end());
  }
  const uint64_t advanceAt = r.U32(at + 36);
  if (advanceAt == 0 || !AdvanceFlag) return true;
  // With PDY each character has a horizontal and a vertical advance.
  const uint64_t step = (run.Options & kEtoPdy) ? 8 : 4;
  if (!r.Has(advanceAt, count * step)) return false;
  const double scale = std::hypot(Transform[0], Transform[1]);
  run.Advances.resize(size_t(count));
  for (uint64_t i = 0; i < count; ++i)
    run.Advances[size_t(i)] = std::clamp(r.I32(advanceAt + step * i) * scale, -kMaxAdvance, kMaxAdvance);
  return true;
}

void TPDFMetafile::HandleTextRecord(const TMetafileRecord& r) {
  switch (r.Type) {
    case emr::ExtCreateFontIndirectW: CreateFont(r); return;
    case emr::ExtTextOutA:
    case emr::ExtTextOutW: {
      TTextRun run;
      if (!ReadTextRun(r, 36, r.Type == emr::ExtTextOutW, run)) return;
      // 16-bit text, and 8-bit text once read into characters, is put in display order.
      run.Reorder = true;
      if (run.Options & kEtoOpaque) OpaqueRectangle(r, 56);
      const bool clipped = (run.Options & kEtoClipped) != 0;
      if (clipped) {
        painter_->SaveGraphicsState();
        TMetafilePath box;
        AddRectangle(box, run.Left, run.Top, double(run.Right) + 1, double(run.Bottom) + 1);
        box.Emit(*painter_);
        painter_->Clip();
      }
      DrawTextRun(run);
      if (clipped) WriteQ();
      return;
    }
    case emr::SmallTextOut: {
      TTextRun run;
      run.X = r.I32(8), run.Y = r.I32(12);
      run.Options = r.U32(20);
      run.Wide = !(run.Options & kEtoSmallChars);
      run.Reorder = true;  // put in display order as EXTTEXTOUTW's text is
      const uint64_t count = r.U32(16), at = (run.Options & kEtoNoRect) ? 36 : 52;
      if (!r.Has(at, count * (run.Wide ? 2 : 1))) return;
      for (uint64_t i = 0; i < count; ++i) {
        if (run.Wide)
          run.Chars += char16_t(r.U16(at + 2 * i));
        else
          run.Bytes += char(r.U8(at + i));
      }
      if ((run.Options & kEtoOpaque) && !(run.Options & kEtoNoRect)) OpaqueRectangle(r, 36);
      DrawTextRun(run);
      return;
    }
    case emr::PolyTextOutA:
    case emr::PolyTextOutW: {
      // One 40-byte text entry per string after the count.
      const uint64_t count = r.U32(36);
      if (!r.Has(40, count * 40)) return;
      for (uint64_t i = 0; i < count && !Stopped; ++i) {
        TTextRun run;
        if (!ReadTextRun(r, 40 + 40 * i, r.Type == emr::PolyTextOutW, run)) continue;
        if (run.Options & kEtoOpaque) OpaqueRectangle(r, 40 + 40 * i + 20);
        DrawTextRun(run);
      }
      return;
    }
    default: return;
  }
}

void TPDFMetafile::DrawTextRun(TTextRun& run) {
  if (run.Bytes.empty() && run.Chars.empty()) return;
  if (CurrentFont == nullptr) SelectFontByName("MS Sans Serif", 8);
  if (CurrentFont == nullptr) return;
  if (run.Options & kEtoGlyphIndex) {
    std::vector<uint16_t> glyphs;
    if (run.Wide)
      glyphs.assign(run.Chars.begin(), run.Chars.end());
    else
      glyphs.assign(run.Bytes.begin(), run.Bytes.end()), std::transform(glyphs.begin(), glyphs.end(), glyphs.begin(),
                                                                        [](uint16_t b) { return uint16_t(b & 0xFF); });
    DrawWideText(run, GlyphsToText(glyphs, run.Advances));
    return;
  }
  if (!run.Wide) {
    // 8-bit text is in the code page of the font's character set; that of WinAnsiEncoding's
    // own sets goes to the font as it is.
    uint32_t codePage = CharsetCodePage(uint8_t(TextState.Charset));
    // Bytes of the symbol set are the codes of a symbol face; a face of letters (one standing
    // in for a symbol face that is not installed) shows them as WinAnsi bytes.
    if (codePage == CP_SYMBOL && !CurrentFont->Symbolic) codePage = 1252;
    if (codePage == 1252) {
      PlaceText(run, run.Bytes, run.Advances);
      return;
    }
    std::vector<size_t> firstByte;
    run.Chars = MultiByteToWideCharUnits(codePage, run.Bytes, firstByte);
    if (!run.Advances.empty()) {
      // A character of two bytes advances by both bytes' advances.
      std::vector<double> advances(run.Chars.size(), 0);
      for (size_t i = 0; i < firstByte.size(); ++i) {
        if (i > 0 && firstByte[i - 1] == firstByte[i]) continue;
        size_t next = i + 1;
        while (next < firstByte.size() && firstByte[next] == firstByte[i]) ++next;
        const size_t end = next < firstByte.size() ? firstByte[next] : run.Bytes.size();
        for (size_t b = firstByte[i]; b < end && b < run.Advances.size(); ++b) advances[i] += run.Advances[b];
      }
      run.Advances = std::move(advances);
    }
    run.Wide = true;
  }
  if (run.Reorder) ReorderRightToLeft(run.Chars, run.Advances);
  DrawWideText(run, run.Chars);
}

void TPDFMetafile::DrawWideText(TTextRun& run, const std::u16string& text) {
  if (text.empty()) return;
  std::string codes;
  bool winAnsi = true;
  for (char16_t c : text) {
    if (c == 0xA0) c = u' ';
    const auto code = std::find(CharMap.begin() + 1, CharMap.end(), c);
    if (code == CharMap.end()) {
      winAnsi = false;
      break;
    }
    codes += char(code - CharMap.begin());
  }
  if (winAnsi) {
    PlaceText(run, codes, run.Advances);
    return;
  }
  // A Type 3 font of this text's characters, drawn from the selected face; text of the same
  // characters in the same face shares it.
  std::string face = TextState.Key;
  for (const auto& [key, font] : fontsByKey_)
    if (font == CurrentFont) face = key;
  std::u16string chars = text;
  std::sort(chars.begin(), chars.end());
  chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
  const std::string setKey = face + "|" + std::to_string(TextState.Charset) + "|" + WideToUtf8(chars);
  TPDFFont*& made = type3Fonts_[setKey];
  if (made == nullptr) {
    auto type3 = std::make_unique<TPDFFont>(Owner, "TalvoPDFF" + NewUniqueTag());
    type3->CompressFontFile = FontOption != 0;
    // Each font costs a face lookup and its outlines: charged to the conversion's work.
    if (!Spend(kType3FontWork + int64_t(chars.size()) * kType3GlyphWork) ||
        !type3->WriteType3Font(face, TextState.Charset, true, text)) {
      type3Fonts_.erase(setKey);
      return;
    }
    made = type3.release();
    FontList->push_back(made);
  }
  // A character the font has no code for leaves its room to the one before it.
  std::vector<double> advances;
  codes.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    const std::string code = made->EncodeText(std::u16string_view(&text[i], 1));
    const double advance = i < run.Advances.size() ? run.Advances[i] : 0;
    if (code.empty()) {
      if (!advances.empty()) advances.back() += advance;
      continue;
    }
    codes += code;
    advances.push_back(advance);
  }
  if (run.Advances.empty()) advances.clear();
  TPDFFont* selected = CurrentFont;
  CurrentFont = made;
  PlaceText(run, codes, advances);
  CurrentFont = selected;
}

void TPDFMetafile::PlaceText(const TTextRun& run, const std::string& codes, const std::vector<double>& advances) {
  if (codes.empty() || CurrentFont == nullptr) return;
  TPDFPainter& p = *painter_;
  const std::string textColour = p.TextFillText;
  // Inside a path bracket the text is painted at once, as the path will be.
  int32_t mode = 0;
  if (InPath) {
    const bool fill = Brush.Style != TBrush::None, stroke = !Pen.Null;
    if (fill && stroke) {
      mode = 2;
      p.SetTextColorText(ColorText(Brush.Color, "rg"));
    } else if (stroke) {
      mode = 1;
    }
    if (stroke) ApplyStroke(ResolvePen(Pen), Pen.Color);
  }
  if (mode != renderMode_) {
    renderMode_ = mode;
    p.SetTextRenderMode(mode);
  }
  const double size = TextFontSize();
  if (p.Font != CurrentFont || p.FontSize != size) p.SetFont(CurrentFont, size);
  if (BkMode == 2) {
    p.BackgroundMode = 1;
    p.SetBackgroundColor((BkColor & 0xFF) / 255.0, ((BkColor >> 8) & 0xFF) / 255.0, ((BkColor >> 16) & 0xFF) / 255.0);
  } else {
    p.BackgroundMode = 0;
  }
  p.TextDecoration = TextState.Underline ? 1 : (TextState.StrikeOut ? 3 : 0);
  p.StrikeOut = TextState.Underline && TextState.StrikeOut;
  const bool updateCP = (TextAlign & kTaUpdateCP) != 0;
  const double x = updateCP ? CurrentLogX : run.X, y = updateCP ? CurrentLogY : run.Y;
  const int32_t horizontal = TextAlign & kTaCentre;
  p.TextAlign = horizontal == kTaCentre ? 1 : (horizontal == kTaRight ? 2 : 0);

  // The escapement turns the baseline; so does a rotating world transform.
  double angle = TextState.Escapement;
  if (std::abs(Transform[1]) > 1e-9 * std::abs(Transform[0]))
    angle += std::atan2(Transform[1], Transform[0]) * 1800 / std::numbers::pi;
  angle = std::fmod(angle, 3600.0);
  const double theta = angle / 10 * std::numbers::pi / 180;
  TMetafilePoint at = Map(x, y);
  if ((TextAlign & kTaBaseline) != kTaBaseline) {
    // The player aligns to the face's cell; a font without one (a standard font) by its box.
    const bool bottom = (TextAlign & kTaBottom) != 0;
    double m = p.GetFontMetric(bottom ? 4 : 2);
    if (CurrentFont->CellAscent > 0 || CurrentFont->CellDescent > 0)
      m = (bottom ? -CurrentFont->CellDescent : CurrentFont->CellAscent) * p.FontSize / 1000;
    at.X += m * std::sin(theta);
    at.Y -= m * std::cos(theta);
  }
  if (p.HorizontalScaling != TextState.WidthScale || p.ScalingText.empty()) p.SetHorizontalScaling(TextState.WidthScale);
  p.DrawText(codes, at.X, at.Y, angle, advances);

  if (updateCP) {
    double width = 0;
    for (double a : advances) width += a;
    if (advances.empty()) width = p.GetTextWidth(codes);
    const double unit = std::hypot(Transform[0], Transform[1]);
    SetCurrent(x + (unit > 0 ? RoundHalfEven(width / unit) : 0), y);
  }
  if (p.TextFillText != textColour) p.SetTextColorText(textColour);
}
