// Text showing: the shown strings' codes become glyph outlines on the canvas through the
// current font's rasterizer, and the text matrix advances by the font's metrics. Type 3 glyphs
// are content streams run through the interpreter.
//
// Advances are kept in glyph units: U per text-space unit at size 1 (1000 for outline fonts,
// 1 / FontMatrix[0] for Type 3 fonts), divided by the rasterizer's scale k. Horizontal scaling
// is applied once, when the text matrix moves.
#include <algorithm>
#include <cmath>

#include "pdf/core/object_parser.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/word_pair_list.h"
#include "pdf/fonts/formats/truetype/simple_truetype_rasterizer.h"
#include "pdf/fonts/type3_rasterizer.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/renderer/renderer.h"

namespace {

struct TextRun {
  TPDFFontCollectionData* Font = nullptr;
  TPDFType3Rasterizer* Type3 = nullptr;
  double Size = 0, Scale = 1, Units = 1000, SpaceUnits = 1000, Hz = 1;
  bool Vertical = false;
  double Tx = 0, Ty = 0;
  // The device box the glyphs may cover, for the paint budget.
  double MinX = 1, MinY = 1, MaxX = 0, MaxY = 0;
};

// A shown operand as bytes: literal and hexadecimal strings decoded; empty for a number.
bool OperandBytes(std::string_view token, std::string& bytes) {
  if (token.starts_with("(")) {
    bytes = DecodeLiteralString(token);
    return true;
  }
  if (token.starts_with("<")) {
    bytes = DecodeHexString(token);
    return true;
  }
  return false;
}

void AddBox(TextRun& t, const TPDFMatrix& m, double x, double y, double w) {
  // The em box of the glyph at (x, y) in glyph units, generously.
  for (const double gx : {x - t.Units, x + std::max(w, 0.0) + t.Units}) {
    for (const double gy : {y - t.Units, y + 2 * t.Units}) {
      TPDFPoint p;
      MatrixTransformPoint(m, {gx, gy}, p);
      if (t.MinX > t.MaxX) {
        t.MinX = t.MaxX = p.X;
        t.MinY = t.MaxY = p.Y;
      }
      t.MinX = std::min(t.MinX, p.X), t.MaxX = std::max(t.MaxX, p.X);
      t.MinY = std::min(t.MinY, p.Y), t.MaxY = std::max(t.MaxY, p.Y);
    }
  }
}

// The glyph key of a composite font's CID: a GID through CIDToGIDMap, else the CID itself (a
// CID-keyed CFF program finds "GID:" keys by CID first); a substitute face draws the CID's
// character from the code-page table.
std::string CompositeKey(const TPDFFontCollectionData& font, int64_t cid) {
  if (font.CodePageTable != nullptr && dynamic_cast<TPDFSimpleTrueTypeRasterizer*>(font.Rasterizer.get()) != nullptr) {
    const uint16_t unicode = cid >= 0 && cid <= 0xFFFF ? font.CodePageTable->Find(uint16_t(cid)) : 0;
    return GlyphKeyGID(unicode);
  }
  if (!font.CIDToGID.empty() && cid >= 0 && size_t(cid) < font.CIDToGID.size())
    return GlyphKeyGID(font.CIDToGID[size_t(cid)]);
  return GlyphKeyGID(cid);
}

}  // namespace

void TPDFRenderer::SelectFont(TPDFContentRun& run) {
  const std::string& name = run.State.FontName;
  fonts_->OnBeforeRead = OnBeforeStream;
  fonts_->OnAfterRead = OnAfterStream;
  if (Resolver) fonts_->OnResolve = Resolver;
  // A font named by its reference ("12 0 R") rather than by a resource name.
  if (name.ends_with(" R") && Store != nullptr) {
    if (auto* ref = PDFCast<TPDFIndRef>(Store->ParseObject(name))) fonts_->SelectFont(ref);
    return;
  }
  if (run.Resources == nullptr || !name.starts_with("/")) return;
  auto* fonts = PDFCast<TPDFDictionary>(ResolveReference(run.Resources->GetValue("Font")));
  if (fonts == nullptr) return;
  TPDFObject* value = fonts->GetValue(std::string_view(name).substr(1));
  if (value == nullptr) return;
  if (PDFCast<TPDFIndRef>(value) != nullptr) {
    fonts_->SelectFont(value);
  } else if (auto* dict = PDFCast<TPDFDictionary>(value)) {
    fonts_->AddFont(dict);
  }
}

void TPDFRenderer::RunType3Glyph(TPDFContentRun& run, TPDFType3Rasterizer& font, const std::string& name, double x,
                                 double y) {
  const auto active = std::make_pair(static_cast<const void*>(&font), name);
  // A glyph whose procedure shows itself, directly or through other glyphs, is not run again.
  if (std::find(activeGlyphs_.begin(), activeGlyphs_.end(), active) != activeGlyphs_.end()) return;
  const std::string procedure = font.GetCharProc(name);
  if (procedure.empty() || font.Font == nullptr) return;
  const TPDFMatrix glyphMatrix = CurrentMatrix;
  TPDFFontCollectionData* const current = fonts_->Current();
  TPDFDictionary* const defaultsBefore = DefaultResources;
  SaveState(run);
  DefaultResources = run.Resources;
  MatrixMultiply(CurrentMatrix, TPDFMatrix{1, 0, 0, 1, x, y}, CurrentMatrix);
  UseSavedState = 1;
  SavedState = run.State;
  activeGlyphs_.push_back(active);
  RunContentStream(run.Canvas, font.Font, nullptr, procedure);
  activeGlyphs_.pop_back();
  UseSavedState = 0;
  DefaultResources = defaultsBefore;
  RestoreState(run, false);
  CurrentMatrix = glyphMatrix;
  fonts_->SelectEntry(current);
}

void TPDFRenderer::ShowText(TPDFContentRun& run) {
  TPDFFontCollectionData* font = fonts_->Current();
  const int32_t count = std::clamp<int32_t>(run.ItemCount, 0, int32_t(run.Operands.size()));
  const size_t first = run.Operands.size() - size_t(count);
  if (font == nullptr || run.State.FontSize == 0) return;
  const std::vector<std::string_view> items(run.Operands.begin() + std::ptrdiff_t(first), run.Operands.end());
  TPDFGraphicsState& st = run.State;
  TextRun t;
  t.Font = font;
  t.Size = st.FontSize;
  t.Hz = st.HorizontalScaling / 100;
  t.Vertical = font->Composite && font->IsVertical();
  t.Type3 = dynamic_cast<TPDFType3Rasterizer*>(font->Rasterizer.get());
  TPDFFontRasterizer* rasterizer = font->Rasterizer.get();
  if (rasterizer != nullptr) {
    rasterizer->Context = st.TextRenderMode;
    t.Scale = rasterizer->GetFontMatrixScale();
  }
  const double k = t.Scale;
  const TPDFMatrix saved = CurrentMatrix;
  MatrixMultiply(CurrentMatrix, st.TextMatrix, CurrentMatrix);
  if (t.Type3 != nullptr) {
    t.Units = 1;
    const double fm = t.Type3->FontMatrix[0];
    t.SpaceUnits = fm != 0 && std::isfinite(fm) ? 1 / fm : 1000;
    MatrixMultiply(CurrentMatrix, t.Type3->FontMatrix, CurrentMatrix);
  } else {
    t.SpaceUnits = t.Units;
  }
  MatrixMultiply(CurrentMatrix, TPDFMatrix{t.Size * t.Hz / t.Units, 0, 0, t.Size / t.Units, 0, 0}, CurrentMatrix);
  run.Canvas->NewPath();
  if (st.TextRenderMode != 3 && st.TextRenderMode != 7) {
    ApplyFillState(run, kFillRuleWinding);
    ApplyStrokeState(run);
  }
  const double kd = k != 0 ? k : 1;
  const double spacing = st.CharSpacing * t.SpaceUnits / t.Size / kd;
  const double wordSpacing = st.WordSpacing * t.SpaceUnits / t.Size / kd;
  const double rise = st.TextRise * t.Units / t.Size;
  // A text-extraction render moves through the same codes and advances without drawing; the
  // words go to the text funnel from here once it takes them.
  const bool draw = run.Visible && rasterizer != nullptr && Mode != kRenderTextExtraction;
  std::string bytes;
  std::vector<uint32_t> codes;
  for (const std::string_view item : items) {
    if (!OperandBytes(item, bytes)) {
      if (k == 0) continue;
      const double d = ParsePDFNumber(item) * t.SpaceUnits / 1000 / kd;
      (t.Vertical ? t.Ty : t.Tx) -= d;
      continue;
    }
    if (!font->Composite) {
      for (const unsigned char c : bytes) {
        double w = font->Widths[c];
        if (rasterizer != nullptr && k != 0 && k != 1) w /= k;
        w += spacing + (c == 32 ? wordSpacing : 0);
        if (draw) {
          double x = t.Tx, y = rise;
          if (t.Type3 != nullptr) {
            RunType3Glyph(run, *t.Type3, font->GlyphNames[c], x, y);
          } else {
            rasterizer->DrawGlyph(x, y, 0, font->GlyphNames[c], CurrentMatrix, run.Canvas);
          }
          AddBox(t, CurrentMatrix, t.Tx, rise, w);
        }
        t.Tx += w;
      }
      continue;
    }
    fonts_->StringToCodes(bytes, codes);
    for (const uint32_t code : codes) {
      int64_t cid = code;
      if (font->CMapIndex >= 0) {
        const int mapped = fonts_->LookupCMap(font->CMapIndex, code);
        cid = mapped >= 0 ? mapped : 0;
      }
      const std::string key = CompositeKey(*font, cid);
      double w = font->CIDWidths.Find(cid).value_or(font->CIDWidths.Default);
      if (k != 0 && k != 1) w /= k;
      w += spacing + (font->WordSpaceCode && code == 32 ? wordSpacing : 0);
      double x = t.Tx, y = rise;
      int32_t w1y = 0, vy = 0;
      if (t.Vertical) {
        font->Vertical.Find(cid, w1y, vy);
        x = t.Tx - w / 2;
        y = t.Ty - vy;
      }
      if (draw) {
        if (t.Type3 != nullptr)
          RunType3Glyph(run, *t.Type3, key, x, y);
        else
          rasterizer->DrawGlyph(x, y, 0, key, CurrentMatrix, run.Canvas);
        AddBox(t, CurrentMatrix, x, y, w);
      }
      if (t.Vertical)
        t.Ty += w1y + spacing;
      else
        t.Tx += w;
    }
  }
  CurrentMatrix = saved;
  // The advance in text space: glyph units back to text units at this size, scaled once.
  const double factor = t.Size * kd / t.SpaceUnits;
  MatrixMultiply(st.TextMatrix, TPDFMatrix{1, 0, 0, 1, t.Tx * factor * t.Hz, t.Ty * factor}, st.TextMatrix);
  run.Operands.resize(first);
  run.ItemCount = 0;
  if (t.MinX <= t.MaxX) ChargePaint(t.MinX, t.MinY, t.MaxX, t.MaxY);
  const int32_t mode = st.TextRenderMode;
  if (t.Type3 != nullptr) {
    run.Canvas->EndPath();
    return;
  }
  const bool stroke = mode == 1 || mode == 2 || mode == 5 || mode == 6;
  const bool fill = mode == 0 || mode == 2 || mode == 4 || mode == 6;
  if (stroke) ApplyStrokeState(run);
  if (fill) ApplyFillState(run, kFillRuleWinding);
  if (mode >= 4) run.Canvas->SetClip(kFillRuleWinding);
  run.FinishPath(fill, stroke);
}
