// Pens and brushes: created by index, selected, deleted. Creating an object changes nothing the
// painter draws; selecting it does.
#include <algorithm>
#include <cmath>

#include "pdf/content/metafile/metafile_types.h"
#include "pdf/content/metafile/pdf_metafile.h"

namespace {

// Pen styles (low byte) and the pen-type, end-cap and join fields of extended pens.
enum : uint32_t {
  kPsSolid = 0,
  kPsDash = 1,
  kPsDot = 2,
  kPsDashDot = 3,
  kPsDashDotDot = 4,
  kPsNull = 5,
  kPsUserStyle = 7,
  kPsAlternate = 8
};
constexpr uint32_t kPsGeometric = 0x10000, kPsEndCapMask = 0xF00, kPsJoinMask = 0xF000;
// Brush styles.
enum : uint32_t { kBsSolid = 0, kBsNull = 1, kBsHatched = 2 };
// Style entries of a user-styled pen beyond this are not read.
constexpr uint64_t kMaxStyleEntries = 64;

}  // namespace

void TPDFMetafile::ForgetObject(uint32_t index) {
  PenObjects.erase(index);
  BrushObjects.erase(index);
  FontObjects.erase(index);
}

void TPDFMetafile::CreatePen(uint32_t index, uint32_t style, double width, uint32_t color, bool geometric,
                             const std::vector<double>& userDash) {
  ForgetObject(index);  // an index made again replaces what it held
  TPen pen;
  pen.Style = style & 0xFF;
  pen.Null = pen.Style == kPsNull;
  pen.Color = ResolveColorRef(color);
  pen.Width = std::abs(width);
  pen.Geometric = geometric;
  pen.UserDash = userDash;
  if (geometric) {
    const uint32_t cap = style & kPsEndCapMask, join = style & kPsJoinMask;
    pen.Cap = cap == 0x100 ? 2 : (cap == 0x200 ? 0 : 1);
    pen.Join = join == 0x1000 ? 2 : (join == 0x2000 ? 0 : 1);
  }
  PenObjects[index] = std::move(pen);
}

TPDFMetafile::TStroke TPDFMetafile::ResolvePen(const TPen& pen) const {
  TStroke s;
  const double pixel = DevicePixel();
  const double scaled = pen.Width * LineScale();
  // Thinner than a device pixel draws a device pixel, as the player does.
  s.Width = std::max(scaled, pixel);
  const bool thin = !pen.Geometric && scaled <= pixel * 1.5;
  s.Cap = thin ? 0 : pen.Cap;
  s.Join = thin ? 0 : pen.Join;
  // Dashes: device pixels for thin pens, multiples of the width for geometric ones; plain pens
  // wider than a pixel draw solid.
  static const std::vector<double> kThin[5] = {{}, {18, 6}, {3, 3}, {9, 6, 3, 6}, {9, 3, 3, 3, 3, 3}};
  static const std::vector<double> kWide[5] = {{}, {3, 1}, {1, 1}, {3, 1, 1, 1}, {3, 1, 1, 1, 1, 1}};
  if (pen.Style >= kPsDash && pen.Style <= kPsDashDotDot && (pen.Geometric || thin)) {
    for (double d : thin ? kThin[pen.Style] : kWide[pen.Style]) s.Dash.push_back(d * (thin ? pixel : s.Width));
  } else if (pen.Style == kPsAlternate) {
    // Every other pixel: the lines run through pixel centres, so the pattern starts half a
    // pixel in to keep its dots on whole pixels.
    s.Dash = {pixel, pixel};
    s.DashPhase = pixel / 2;
  } else if (pen.Style == kPsUserStyle && !pen.UserDash.empty()) {
    const double unit = pen.Geometric ? LineScale() : pixel;
    // An odd list alternates dashes and gaps through itself, as the content's dash array does.
    for (double d : pen.UserDash) s.Dash.push_back(std::max(d * unit, pixel / 8));
  }
  if (!s.Dash.empty() && s.Cap == 1 && !pen.Geometric) s.Cap = 0;
  return s;
}

void TPDFMetafile::CreateBrush(uint32_t index, uint32_t style, uint32_t color, uint32_t hatch) {
  ForgetObject(index);
  TBrush brush;
  brush.Color = ResolveColorRef(color);
  if (style == kBsNull)
    brush.Style = TBrush::None;
  else if (style == kBsHatched && hatch <= 5)
    brush.Style = TBrush::Hatched, brush.Hatch = hatch;
  else
    brush.Style = TBrush::Plain;
  BrushObjects[index] = std::move(brush);
}

bool TPDFMetafile::StockObject(uint32_t stock, TBrush* brush, TPen* pen) const {
  static constexpr TMetafileColor kBrushColors[5] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
  if (stock <= 5 || stock == 18) {
    if (!brush) return false;
    *brush = TBrush{};
    if (stock == 5)
      brush->Style = TBrush::None;
    else
      brush->Color = stock == 18 ? 0xFFFFFF : kBrushColors[stock];
    return true;
  }
  if ((stock >= 6 && stock <= 8) || stock == 19) {
    if (!pen) return false;
    *pen = TPen{};
    pen->Null = stock == 8;
    pen->Color = stock == 6 ? 0xFFFFFF : 0;
    return true;
  }
  return false;
}

bool TPDFMetafile::SelectBrushObject(uint32_t index) {
  if (index & 0x80000000u) return StockObject(index & 0x7FFFFFFF, &Brush, nullptr);
  const auto it = BrushObjects.find(index);
  if (it == BrushObjects.end()) return false;
  Brush = it->second;
  return true;
}

void TPDFMetafile::SelectObject(uint32_t index) {
  if (index & 0x80000000u) {
    if (!SelectStockFont(index & 0x7FFFFFFF)) StockObject(index & 0x7FFFFFFF, &Brush, &Pen);
    return;
  }
  if (SelectBrushObject(index)) return;
  if (const auto it = PenObjects.find(index); it != PenObjects.end()) {
    Pen = it->second;
    return;
  }
  SelectFontObject(index);
}

void TPDFMetafile::HandleObjectRecord(const TMetafileRecord& r) {
  switch (r.Type) {
    case emr::SelectObject: this->SelectObject(r.U32(8)); return;
    case emr::DeleteObject: ForgetObject(r.U32(8)); return;
    case emr::CreatePen: this->CreatePen(r.U32(8), r.U32(12), r.I32(16), r.U32(24), false, {}); return;
    case emr::ExtCreatePen: {
      const uint32_t style = r.U32(28);
      std::vector<double> dash;
      const uint64_t entries = std::min(r.Fit(52, r.U32(48), 4), kMaxStyleEntries);
      for (uint64_t i = 0; i < entries; ++i) dash.push_back(r.U32(52 + 4 * i));
      // A pen whose brush is the null brush draws nothing.
      const uint32_t penStyle = r.U32(36) == kBsNull ? (style & ~0xFFu) | kPsNull : style;
      this->CreatePen(r.U32(8), penStyle, r.U32(32), r.U32(40), (style & kPsGeometric) != 0, dash);
      return;
    }
    case emr::CreateBrushIndirect: CreateBrush(r.U32(8), r.U32(12), r.U32(16), r.U32(20)); return;
    case emr::CreateMonoBrush: CreatePatternBrush(r, true); return;
    case emr::CreateDIBPatternBrushPt: CreatePatternBrush(r, false); return;
    default: return;
  }
}
