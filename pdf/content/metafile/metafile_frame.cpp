// The converter's frame: life cycle, the record dispatch and the simple state records.
#include <algorithm>
#include <bit>
#include <cmath>

#include "pdf/content/image_import/pdf_image.h"
#include "pdf/content/metafile/emf_graphic_state.h"
#include "pdf/content/metafile/metafile_state.h"
#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"
#include "pdf/content/painter/pdf_painter.h"
#include "pdf/core/encodings/glyph_tables.h"
#include "pdf/core/objects/pdf_objects.h"
#include "pdf/render/patterns/pdf_pattern.h"
#include "platform/gdi/metafile.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "platform/rtl/numbers.h"

TPDFMetafile::TPDFMetafile(TPDFStructure* owner, std::vector<TPDFFont*>* fontList,
                           std::vector<std::unique_ptr<TPDFImage>>* imageList,
                           std::vector<std::unique_ptr<TEMFGraphicState>>* gstateList,
                           std::vector<std::unique_ptr<TPDFPattern>>* patternList)
    : Owner(owner),
      FontList(fontList),
      ImageList(imageList),
      GStateList(gstateList),
      PatternList(patternList),
      painter_(std::make_unique<TPDFPainter>(owner)) {
  painter_->Decimals = 4;
  for (int i = 0; i < kStandardGlyphCount; ++i) {
    const TStandardGlyph& g = StandardGlyphTable[i];
    if (g.WinAnsiCode >= 0 && g.WinAnsiCode < 256) CharMap[size_t(g.WinAnsiCode)] = char16_t(g.Unicode);
  }
}

TPDFMetafile::~TPDFMetafile() = default;

void TPDFMetafile::Reset() {
  PolyFillMode = 1;
  InPath = false;
  Path.Clear();
  CurrentLogX = CurrentLogY = 0;
  ArcDirection = 1;
  BkMode = 1;
  BkColor = 0xFFFFFF;
  TextColor = 0;
  TextAlign = 0;
  ICMMode = 2;
  MiterLimit = 10.0;
  Brush = TBrush{};  // the white brush
  Pen = TPen{};      // the black pen, one device pixel wide
  PenObjects.clear();
  BrushObjects.clear();
  FontObjects.clear();
  CurrentFont = nullptr;
  TextState = TTextState{};
  renderMode_ = 0;
  clip_.clear();
  metaDepth_ = 0;
  monoPatterns_.clear();
  saved_.clear();
  Stopped = false;
  work_ = 0;
  MapMode = 1;
  WindowOrgX = WindowOrgY = ViewportOrgX = ViewportOrgY = 0;
  WindowExtX = WindowExtY = ViewportExtX = ViewportExtY = 1;
  FrameTransform = WorldTransform = kIdentityMatrix;
  // Until a header says otherwise the reference device is a 96-dpi screen.
  DevicePixelsX = DevicePixelsY = 960;
  DeviceMillimetresX = DeviceMillimetresY = 254;
}

void TPDFMetafile::Begin(int32_t width, int32_t height) {
  Reset();
  TPDFPainter& p = *painter_;
  p.Clear();
  p.SetFillColor(1, 1, 1);
  p.SetStrokeColor(0, 0, 0);
  p.SetLineWidth(0.001);
  p.SetMiterLimit(10.0);
  Width = width > 0 ? width : 1;
  Height = height > 0 ? height : 1;
  const double w = Width, h = Height;
  // The shorter side spans 1000 units and y grows upwards.
  if (h <= w)
    BaseTransform = {w * 500 / h, 0, 0, -w * 500 / h, 0, 1000};
  else
    BaseTransform = {500, 0, 0, -500, 0, h * 1000 / w};
  // Until the header says where the frame lies, the picture is the reference device's pixels.
  FrameTransform = {2.0 / w, 0, 0, 2.0 / w, 0, 0};
  RecomputeTransforms();
  p.Scale(0.001);
}

std::string TPDFMetafile::Finish() {
  // What the records left open is closed, so the content's q and Q balance.
  while (!clip_.empty()) {
    clip_.pop_back();
    WriteQ();
  }
  saved_.clear();
  return painter_->GetContent();
}

namespace {

// The platform's enumeration hands every record that passed its checks to the converter.
int EnumerateRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, void* data) {
  if (data == nullptr || record == nullptr) return 0;
  static_cast<TPDFMetafile*>(data)->HandleRecord({record->iType, record->bytes});
  return 1;
}

}  // namespace

int32_t TPDFMetafile::Points(int32_t hundredthsOfMillimetre) {
  return int32_t(RoundHalfEven(double(hundredthsOfMillimetre) * 72.0 / 2540.0));
}

void TPDFMetafile::Play(TMetafile& graphic, TPDFStream* target) {
  // The box the frame fills is the form's: its aspect comes from the sizes in points, not from
  // the pixel sizes, whose rounding would stretch the picture and cut its edge.
  const int32_t w = Points(graphic.MMWidth()), h = Points(graphic.MMHeight());
  if (w > 0 && h > 0)
    Begin(w, h);
  else
    Begin(graphic.Width(), graphic.Height());
  if (HENHMETAFILE handle = graphic.Handle()) EnumEnhMetaFile(nullptr, handle, &EnumerateRecord, this, nullptr);
  const std::string content = Finish();
  if (target != nullptr) target->Compress(content, true);
}

void TPDFMetafile::HandleRecord(const TMetafileRecord& record) {
  if (Stopped) return;
  Dispatch(record);
  if (OverBudget()) Stopped = true;
}

bool TPDFMetafile::OverBudget() const { return painter_->ContentSize() > kMaxContentBytes || work_ > kMaxWork; }

bool TPDFMetafile::Spend(int64_t units) {
  work_ += std::max<int64_t>(units, 0);
  if (OverBudget()) Stopped = true;
  return !Stopped;
}

void TPDFMetafile::Dispatch(const TMetafileRecord& r) {
  switch (r.Type) {
    case emr::Header: ReadHeader(r); return;
    case emr::PolyBezier:
    case emr::Polygon:
    case emr::Polyline:
    case emr::PolyBezierTo:
    case emr::PolylineTo:
    case emr::PolyBezier16:
    case emr::Polygon16:
    case emr::Polyline16:
    case emr::PolyBezierTo16:
    case emr::PolylineTo16: HandlePoly(r); return;
    case emr::PolyPolyline:
    case emr::PolyPolygon:
    case emr::PolyPolyline16:
    case emr::PolyPolygon16: HandlePolyPoly(r); return;
    case emr::PolyDraw:
    case emr::PolyDraw16: HandlePolyDraw(r); return;
    case emr::MoveToEx: MoveTo(r.I32(8), r.I32(12)); return;
    case emr::LineTo: this->LineTo(r.I32(8), r.I32(12)); return;
    case emr::BeginPath:
    case emr::EndPath:
    case emr::CloseFigure:
    case emr::FillPath:
    case emr::StrokeAndFillPath:
    case emr::StrokePath:
    case emr::AbortPath:
    case emr::FlattenPath:
    case emr::WidenPath: HandlePathRecord(r); return;
    case emr::Rectangle:
    case emr::RoundRect:
    case emr::Ellipse:
    case emr::SetPixelV: HandleShape(r); return;
    case emr::Arc:
    case emr::Chord:
    case emr::Pie:
    case emr::ArcTo: HandleArc(r); return;
    case emr::AngleArc: HandleAngleArc(r); return;
    case emr::IntersectClipRect:
    case emr::ExcludeClipRect:
    case emr::SelectClipPath:
    case emr::ExtSelectClipRgn:
    case emr::FillRgn:
    case emr::FrameRgn:
    case emr::PaintRgn:
    case emr::OffsetClipRgn:
    case emr::SetMetaRgn: HandleClipRecord(r); return;
    case emr::SelectObject:
    case emr::CreatePen:
    case emr::ExtCreatePen:
    case emr::CreateBrushIndirect:
    case emr::CreateMonoBrush:
    case emr::CreateDIBPatternBrushPt:
    case emr::DeleteObject: HandleObjectRecord(r); return;
    case emr::GradientFill: HandleGradientFill(r); return;
    case emr::BitBlt:
    case emr::StretchBlt:
    case emr::MaskBlt:
    case emr::PlgBlt:
    case emr::StretchDIBits:
    case emr::SetDIBitsToDevice:
    case emr::TransparentBlt: HandleBitmapRecord(r); return;
    case emr::AlphaBlend: HandleAlphaBlend(r); return;
    case emr::ExtCreateFontIndirectW:
    case emr::ExtTextOutA:
    case emr::ExtTextOutW:
    case emr::PolyTextOutA:
    case emr::PolyTextOutW:
    case emr::SmallTextOut: HandleTextRecord(r); return;
    case emr::SaveDC: this->SaveDC(); return;
    case emr::RestoreDC: this->RestoreDC(r.I32(8)); return;
    default: HandleStateRecord(r); return;
  }
}

bool TPDFMetafile::HandleStateRecord(const TMetafileRecord& r) {
  switch (r.Type) {
    case emr::SetWindowExtEx: SetExtent(true, r.I32(8), r.I32(12)); return true;
    case emr::SetViewportExtEx: SetExtent(false, r.I32(8), r.I32(12)); return true;
    case emr::SetWindowOrgEx:
      WindowOrgX = r.I32(8), WindowOrgY = r.I32(12);
      RecomputeTransforms();
      return true;
    case emr::SetViewportOrgEx:
      ViewportOrgX = r.I32(8), ViewportOrgY = r.I32(12);
      RecomputeTransforms();
      return true;
    case emr::ScaleViewportExtEx: ScaleExtent(false, r); return true;
    case emr::ScaleWindowExtEx: ScaleExtent(true, r); return true;
    case emr::SetMapMode: this->SetMapMode(r.I32(8)); return true;
    case emr::SetWorldTransform:
    case emr::ModifyWorldTransform: {
      const uint32_t mode = r.Type == emr::SetWorldTransform ? 4 : r.U32(32);
      // The identity mode reads no matrix: whatever the record holds there is not looked at.
      if (mode == 1) {
        ModifyWorld(kIdentityMatrix, 1);
        return true;
      }
      TPDFMatrix x;
      for (int i = 0; i < 6; ++i) {
        const float f = std::bit_cast<float>(r.U32(8 + 4 * uint64_t(i)));
        if (!std::isfinite(f) || !r.Has(8, 24)) return true;  // an unusable matrix is refused whole
        x[size_t(i)] = f;
      }
      ModifyWorld(x, mode);
      return true;
    }
    case emr::SetBkMode: {
      const int32_t mode = r.I32(8);
      if (mode == 1 || mode == 2) BkMode = mode;
      return true;
    }
    // Any other value than alternate (1) fills by the winding rule.
    case emr::SetPolyFillMode: PolyFillMode = r.I32(8); return true;
    case emr::SetTextAlign: TextAlign = r.I32(8); return true;
    // Any other value than counter-clockwise (1) draws clockwise.
    case emr::SetArcDirection: ArcDirection = r.I32(8); return true;
    case emr::SetICMMode: ICMMode = r.I32(8); return true;
    case emr::SetBkColor: BkColor = ResolveColorRef(r.U32(8)); return true;
    case emr::SetTextColor: {
      TextColor = ResolveColorRef(r.U32(8));
      painter_->SetTextColor((TextColor & 0xFF) / 255.0, ((TextColor >> 8) & 0xFF) / 255.0,
                             ((TextColor >> 16) & 0xFF) / 255.0);
      return true;
    }
    case emr::SetMiterLimit: {
      // Written as an integer by some writers and as a float by others.
      const uint32_t raw = r.U32(8);
      double limit = raw < 0x10000 ? double(raw) : r.F32(8);
      if (!(limit < 1e6)) limit = 10.0;
      MiterLimit = std::max(limit, 1.4);
      return true;
    }
    default: return false;  // accepted, changes nothing, or not known
  }
}

TMetafileColor TPDFMetafile::ResolveColorRef(uint32_t c) {
  if ((c >> 24) != 1) return c & 0xFFFFFF;
  static constexpr TMetafileColor kSystem[20] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000,
                                                 0xC0C0C0, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF,
                                                 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  const uint32_t i = c & 0xFF;
  if (i < 20) return kSystem[i];
  if (i >= 246) return kSystem[i - 236];
  return c & 0xFFFFFF;
}

std::string TPDFMetafile::ColorText(TMetafileColor c, const char* op) const {
  const TPDFPainter& p = *painter_;
  return p.Number((c & 0xFF) / 255.0) + p.Number(((c >> 8) & 0xFF) / 255.0) + p.Number(((c >> 16) & 0xFF) / 255.0) + op;
}
