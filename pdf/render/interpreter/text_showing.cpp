// Text showing: the shown strings' codes become glyph outlines on the canvas through the
// current font's rasterizer, and the text matrix advances by the font's metrics. Type 3 glyphs
// are content streams run through the interpreter.
#include <algorithm>
#include <cmath>
#include <functional>
#include <span>

#include "pdf/core/object_parser.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/core/word_pair_list.h"
#include "pdf/fonts/formats/truetype/simple_truetype_rasterizer.h"
#include "pdf/fonts/type3_rasterizer.h"
#include "pdf/render/canvas/daubrix.h"
#include "pdf/render/canvas/eps_export.h"
#include "pdf/render/interpreter/text_walk.h"
#include "pdf/render/renderer/renderer.h"

namespace {

void AddBox(TTextRun& t, const TPDFMatrix& m, double x, double y, double w) {
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

bool ShownOperandBytes(std::string_view token, std::string& bytes) {
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

bool TPDFRenderer::RunType3Glyph(TPDFContentRun& run, TPDFType3Rasterizer& font, const std::string& name, double x,
                                 double y) {
  const auto active = std::make_pair(static_cast<const void*>(&font), name);
  // A glyph whose procedure shows itself, directly or through other glyphs, is not run again.
  if (std::find(activeGlyphs_.begin(), activeGlyphs_.end(), active) != activeGlyphs_.end()) return false;
  const std::string procedure = font.GetCharProc(name);
  if (procedure.empty() || font.Font == nullptr) return false;
  const TPDFMatrix glyphMatrix = CurrentMatrix;
  TPDFFontCollectionData* const current = fonts_->Current();
  TPDFDictionary* const defaultsBefore = DefaultResources;
  SaveState(run);
  DefaultResources = run.Resources;
  MatrixMultiply(CurrentMatrix, TPDFMatrix{1, 0, 0, 1, x, y}, CurrentMatrix);
  if (run.EPS != nullptr) {
    // EPS output runs the procedure in the glyph's own space, set inside the save.
    run.EPS->ConcatMatrix(CurrentMatrix);
    CurrentMatrix = kIdentityMatrix;
  }
  UseSavedState = 1;
  SavedState = run.State;
  activeGlyphs_.push_back(active);
  const bool pathLeft = RunContentStream(run.Canvas, font.Font, nullptr, procedure);
  activeGlyphs_.pop_back();
  UseSavedState = 0;
  DefaultResources = defaultsBefore;
  RestoreState(run, false);
  CurrentMatrix = glyphMatrix;
  fonts_->SelectEntry(current);
  return pathLeft;
}

bool TPDFRenderer::BeginText(TPDFContentRun& run, TTextRun& t) {
  TPDFFontCollectionData* font = fonts_->Current();
  const TPDFGraphicsState& st = run.State;
  if (font == nullptr || st.FontSize == 0) return false;
  t.Font = font;
  t.Size = t.AbsoluteSize ? std::fabs(st.FontSize) : st.FontSize;
  t.Hz = st.HorizontalScaling / 100;
  t.Vertical = font->Composite && font->IsVertical();
  t.Type3 = dynamic_cast<TPDFType3Rasterizer*>(font->Rasterizer.get());
  if (TPDFFontRasterizer* rasterizer = font->Rasterizer.get()) {
    rasterizer->Context = st.TextRenderMode;
    t.Scale = rasterizer->GetFontMatrixScale();
  }
  t.Saved = CurrentMatrix;
  // EPS output has the content's matrix already: glyphs go there in text space.
  if (run.EPS != nullptr) CurrentMatrix = kIdentityMatrix;
  MatrixMultiply(CurrentMatrix, st.TextMatrix, CurrentMatrix);
  if (t.Type3 != nullptr) {
    // Image masks of the glyphs paint in the text's fill colour.
    t.Type3->ImageContext = int32_t(st.FillColor);
    t.Units = 1;
    const double fm = t.Type3->FontMatrix[0];
    t.SpaceUnits = fm != 0 && std::isfinite(fm) ? 1 / fm : 1000;
  } else {
    t.SpaceUnits = t.Units;
  }
  MatrixMultiply(CurrentMatrix, TPDFMatrix{st.FontSize * t.Hz / t.Units, 0, 0, st.FontSize / t.Units, 0, 0},
                 CurrentMatrix);
  // A Type 3 glyph reaches text space through the font's matrix before the size and the
  // horizontal scaling apply: a sheared matrix is not sheared further by Tz.
  if (t.Type3 != nullptr) MatrixMultiply(CurrentMatrix, t.Type3->FontMatrix, CurrentMatrix);
  t.Rise = st.TextRise * t.Units / t.Size;
  if (t.Type3 != nullptr) {
    // The rise lifts the glyph in text space: back through the font's matrix to glyph units.
    const TPDFMatrix& fm = t.Type3->FontMatrix;
    const double det = fm[0] * fm[3] - fm[1] * fm[2], lift = st.TextRise / t.Size;
    t.RiseX = -fm[2] * lift / det, t.Rise = fm[0] * lift / det;
    if (!std::isfinite(t.RiseX) || !std::isfinite(t.Rise)) t.RiseX = 0, t.Rise = lift * t.SpaceUnits;
    // Horizontal writing advances along the text line by the width's x part alone: a matrix
    // whose b term tilts the glyph's x axis shears each glyph but moves none off the line.
    const double along = 1 / t.SpaceUnits;
    t.AlongX = fm[3] * along / det, t.AlongY = -fm[1] * along / det;
    if (!std::isfinite(t.AlongX) || !std::isfinite(t.AlongY)) t.AlongX = 1, t.AlongY = 0;
  }
  return true;
}

void TPDFRenderer::WalkText(TPDFContentRun& run, TTextRun& t, std::span<const std::string_view> items,
                            const std::function<void(const TShownGlyph&)>& onGlyph,
                            const std::function<void()>& onNumber) {
  TPDFFontCollectionData* font = t.Font;
  const TPDFGraphicsState& st = run.State;
  const double k = t.Scale, kd = k != 0 ? k : 1;
  const double spacing = st.CharSpacing * t.SpaceUnits / t.Size / kd;
  const double wordSpacing = st.WordSpacing * t.SpaceUnits / t.Size / kd;
  // Places are in the program's units, which its matrix scales: the rise is text space.
  const double rise = t.Rise / kd, riseX = t.RiseX / kd;
  std::string bytes;
  std::vector<uint32_t> codes;
  TShownGlyph g;
  for (const std::string_view item : items) {
    if (!ShownOperandBytes(item, bytes)) {
      if (onNumber) onNumber();
      if (k == 0) continue;
      const double d = ParsePDFNumber(item) * t.SpaceUnits / 1000 / kd;
      (t.Vertical ? t.Ty : t.Tx) -= d;
      continue;
    }
    if (!font->Composite) {
      for (const unsigned char c : bytes) {
        double w = font->Widths[c];
        if (font->Rasterizer != nullptr && k != 0 && k != 1) w /= k;
        g.Code = c, g.Cid = c, g.Key = font->GlyphNames[c];
        g.X = t.Tx * t.AlongX + riseX, g.Y = t.Tx * t.AlongY + rise;
        g.Advance = w + spacing + (c == 32 ? wordSpacing : 0);
        onGlyph(g);
        t.Tx += g.Advance;
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
      // W is keyed by CID: a CID it does not give takes DW, never the width of the CID its
      // number would map to as a code.
      double w = font->CIDWidths.Find(cid).value_or(font->CIDWidths.Default);
      if (k != 0 && k != 1) w /= k;
      w += spacing + (font->WordSpaceCode && code == 32 ? wordSpacing : 0);
      g.Code = code, g.Cid = cid, g.Key = CompositeKey(*font, cid);
      g.X = t.Tx + riseX, g.Y = rise, g.Advance = w;
      int32_t w1y = 0, vy = 0;
      if (t.Vertical) {
        font->Vertical.Find(cid, w1y, vy);
        g.X = t.Tx - w / 2;
        g.Y = t.Ty - vy;
      }
      onGlyph(g);
      if (t.Vertical)
        t.Ty += w1y + spacing;
      else
        t.Tx += w;
    }
  }
}

void TPDFRenderer::EndText(TPDFContentRun& run, const TTextRun& t, bool alongLineOnly) {
  CurrentMatrix = t.Saved;
  // The advance in text space: glyph units back to text units at this size, scaled once.
  const double kd = t.Scale != 0 ? t.Scale : 1;
  const double factor = t.Size * kd / t.SpaceUnits;
  MatrixMultiply(run.State.TextMatrix,
                 TPDFMatrix{1, 0, 0, 1, t.Tx * factor * t.Hz, alongLineOnly ? 0 : t.Ty * factor},
                 run.State.TextMatrix);
  run.Operands.resize(run.Operands.size() - ShownItemCount(run));
  run.ItemCount = 0;
}

size_t TPDFRenderer::ShownItemCount(const TPDFContentRun& run) {
  return size_t(std::clamp<int32_t>(run.ItemCount, 0, int32_t(run.Operands.size())));
}

void TPDFRenderer::ShowText(TPDFContentRun& run) {
  if (Mode == kRenderTextExtraction) {
    ExtractText(run);
    return;
  }
  TTextRun t;
  if (!BeginText(run, t)) return;
  const size_t count = ShownItemCount(run);
  const std::vector<std::string_view> items(run.Operands.end() - std::ptrdiff_t(count), run.Operands.end());
  TPDFGraphicsState& st = run.State;
  TPDFFontRasterizer* rasterizer = t.Font->Rasterizer.get();
  TPDFGenericCanvas* const target = run.EPS != nullptr ? static_cast<TPDFGenericCanvas*>(run.EPS) : run.Canvas;
  target->NewPath();
  const int32_t mode = st.TextRenderMode;
  const bool invisible = mode == 3 || mode == 7;
  if (run.EPS == nullptr && !invisible) {
    ApplyFillState(run, kFillRuleWinding);
    ApplyStrokeState(run);
  }
  // Type 3 glyphs paint themselves: text that the mode makes invisible does not run them.
  const bool draw = run.Visible && rasterizer != nullptr && !(t.Type3 != nullptr && invisible);
  bool type3PathLeft = false;
  WalkText(run, t, items, [&](const TShownGlyph& g) {
    if (!draw) return;
    double x = g.X, y = g.Y;
    if (t.Type3 != nullptr) {
      type3PathLeft = RunType3Glyph(run, *t.Type3, g.Key, x, y);
    } else {
      if (mode >= 4 && run.EPS == nullptr) run.TextClip.push_back({rasterizer, mode, g.Key, x, y, CurrentMatrix});
      rasterizer->DrawGlyph(x, y, 0, g.Key, CurrentMatrix, target);
    }
    AddBox(t, CurrentMatrix, g.X, g.Y, g.Advance);
  }, {});
  EndText(run, t, false);
  if (t.MinX <= t.MaxX) ChargePaint(t.MinX, t.MinY, t.MaxX, t.MaxY);
  // What Type 3 glyphs painted is done; only a path the last one built and left unpainted is
  // painted, and clipped to, by the mode. Without one no clip changes (an empty path would
  // clip the rest of the page away). EPS output loses such a path with the glyph's restore.
  if (t.Type3 != nullptr && (!type3PathLeft || run.EPS != nullptr)) {
    if (run.EPS == nullptr) run.Canvas->EndPath();
    return;
  }
  const bool stroke = (mode == 1 || mode == 2 || mode == 5 || mode == 6) && !PaintsNothing(st.StrokeColorSpace);
  const bool fill = (mode == 0 || mode == 2 || mode == 4 || mode == 6) && !PaintsNothing(st.FillColorSpace);
  if (run.EPS != nullptr) {
    if (draw) PaintEPSText(run, fill, stroke, mode >= 4);
    run.PathOpen = false;
    return;
  }
  if (stroke) ApplyStrokeState(run);
  if (fill) ApplyFillState(run, kFillRuleWinding);
  // The glyphs join the clip that ET makes of all the clipping text since BT.
  if (mode >= 4) run.TextClipPending = true;
  FinishPaint(run, fill, stroke, {t.MinX, t.MinY, t.MaxX, t.MaxY});
}

// The glyphs' path painted as the mode asks; a pattern fill goes as its picture. A clipping
// mode paints inside a save, so that the path is still there to become the clip.
void TPDFRenderer::PaintEPSText(TPDFContentRun& run, bool fill, bool stroke, bool clip) {
  TPDFEPSExport& eps = *run.EPS;
  const TPDFGraphicsState& st = run.State;
  const bool saved = clip && (fill || stroke);
  if (saved) eps.SaveState();
  if (fill && PaintsAsPicture(st.FillPattern)) {
    PaintEPSPattern(run, *st.FillPattern, true, false);
    fill = false;
  }
  eps.Paint(st.FillColorText, st.StrokeColorText, fill, stroke, false);
  if (!clip) return;
  if (saved) eps.RestoreState();
  eps.Clip(false);
  eps.NewPath();
}
