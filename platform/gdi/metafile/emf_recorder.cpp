#include "platform/gdi/metafile/emf_recorder.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/dc_internal.h"
#include "platform/gdi/dib.h"
#include "platform/gdi/pen_brush.h"

namespace {

constexpr uint32_t kStock = 0x80000000u;
constexpr uint32_t kNullBrush = kStock | 5, kNullPen = kStock | 8;
// Pens and brushes kept alive in the playing DC's handle table at once.
constexpr size_t kMaxSlots = 64;

}  // namespace

EmfRecorder::EmfRecorder(SIZEL size, const RECTL& frame, SIZEL devicePixels, SIZEL deviceMillimetres)
    : writer_(RECTL{0, 0, std::max(size.cx, 1) - 1, std::max(size.cy, 1) - 1}, frame, devicePixels,
              deviceMillimetres),
      size_(size),
      layer_(size) {}

EmfRecorder::~EmfRecorder() = default;

RECTL EmfRecorder::Bounds() const { return RECTL{0, 0, std::max(size_.cx, 1) - 1, std::max(size_.cy, 1) - 1}; }

void EmfRecorder::Simple(DWORD type) {
  // Pixels painted before a path starts belong under whatever the path paints.
  if (type == EMR_BEGINPATH) FlushLayer();
  // A new path drops one still open; readers that draw a path as it ends need its end.
  if (type == EMR_BEGINPATH || type == EMR_ABORTPATH) CloseBracket();
  if (type == EMR_BEGINPATH) inPath_ = true;
  if (type != EMR_ABORTPATH) writer_.Add(type, {});
}

void EmfRecorder::CloseBracket() {
  if (!inPath_) return;
  writer_.Add(EMR_ENDPATH, {});
  writer_.Add(EMR_ABORTPATH, {});
  inPath_ = false;
}

void EmfRecorder::EndPath(const GdiDC& dc) {
  Sync(dc, false);
  inPath_ = false;
  writer_.Add(EMR_ENDPATH, {});
}

void EmfRecorder::MoveTo(POINT p) { writer_.Add(EMR_MOVETOEX, {uint32_t(p.x), uint32_t(p.y)}); }

void EmfRecorder::Points(const GdiDC& dc, DWORD type, std::span<const POINT> points, bool drawing) {
  Sync(dc, drawing);
  if (type == EMR_LINETO) {
    if (!points.empty()) writer_.Add(EMR_LINETO, {uint32_t(points[0].x), uint32_t(points[0].y)});
    return;
  }
  EmfRecordBuilder r(type);
  r.Rect(Bounds()).U32(uint32_t(points.size()));
  for (const POINT& p : points) r.Point(p);
  writer_.Add(r);
}

void EmfRecorder::PolyPolygon(const GdiDC& dc, std::span<const POINT> points, std::span<const int> counts,
                              bool drawing) {
  Sync(dc, drawing);
  EmfRecordBuilder r(EMR_POLYPOLYGON);
  r.Rect(Bounds()).U32(uint32_t(counts.size())).U32(uint32_t(points.size()));
  for (int c : counts) r.U32(uint32_t(c));
  for (const POINT& p : points) r.Point(p);
  writer_.Add(r);
}

void EmfRecorder::Box(const GdiDC& dc, DWORD type, const RECT& box, bool drawing) {
  Sync(dc, drawing);
  EmfRecordBuilder r(type);
  r.Rect(box);
  writer_.Add(r);
}

void EmfRecorder::PaintPath(const GdiDC& dc, DWORD type) {
  Sync(dc, true);
  EmfRecordBuilder r(type);
  r.Rect(Bounds());
  writer_.Add(r);
}

void EmfRecorder::FillRect(const GdiDC& dc, const RECT& rect, const GdiBrush& brush) {
  Sync(dc, true);
  SelectBrush(brush);
  // A pattern copy without a source: the brush over the rectangle, as PatBlt records it.
  EmfRecordBuilder r(EMR_BITBLT);
  r.Rect(Bounds());
  r.I32(rect.left).I32(rect.top).I32(rect.right - rect.left).I32(rect.bottom - rect.top);
  r.U32(0x00F00021u);  // PATCOPY
  r.I32(0).I32(0);     // source origin
  r.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0);
  r.U32(0).U32(0);  // background colour, usage
  r.U32(0).U32(0).U32(0).U32(0);  // no bitmap
  writer_.Add(r);
}

void EmfRecorder::Sync(const GdiDC& dc, bool drawing) {
  if (drawing) FlushLayer();
  const DCState& s = dc.state;
  if (s.pen) SelectPen(*s.pen);
  if (s.brush) SelectBrush(*s.brush);
  SetMode(polyFill_, EMR_SETPOLYFILLMODE, uint32_t(s.polyFillMode));
  SetMode(rop2_, EMR_SETROP2, uint32_t(s.rop2));
  SetMode(bkMode_, EMR_SETBKMODE, uint32_t(s.bkMode));
  SetMode(bkColor_, EMR_SETBKCOLOR, s.bkColor & 0xFFFFFF);
}

void EmfRecorder::SetMode(uint32_t& recorded, DWORD type, uint32_t value) {
  if (recorded == value) return;
  recorded = value;
  writer_.Add(type, {value});
}

void EmfRecorder::SelectPen(const GdiPen& pen) {
  ObjectKey key;
  key.pen = true;
  key.style = pen.style;
  key.width = pen.width;
  key.color = pen.color & 0xFFFFFF;
  key.extended = pen.extended;
  key.dashes = pen.dashes;
  Select(pen_, key, pen.LineStyle() == PS_NULL ? kNullPen : 0);
}

void EmfRecorder::SelectBrush(const GdiBrush& brush) {
  ObjectKey key;
  key.pen = false;
  // Pattern brushes are recorded by their colour: the renderer's back ends never select one.
  key.style = brush.style == BS_NULL || brush.style == BS_HATCHED ? brush.style : BS_SOLID;
  key.color = brush.color & 0xFFFFFF;
  key.hatch = brush.style == BS_HATCHED ? brush.hatch : 0;
  Select(brush_, key, brush.style == BS_NULL ? kNullBrush : 0);
}

void EmfRecorder::Select(std::optional<ObjectKey>& current, const ObjectKey& key, uint32_t stock) {
  if (current == key) return;
  // The object still selected keeps its slot while the new one is made.
  const uint32_t index = stock ? stock : Create(key);
  current = key;
  writer_.Add(EMR_SELECTOBJECT, {index});
}

uint32_t EmfRecorder::Create(const ObjectKey& key) {
  ++uses_;
  for (size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i].key == key) {
      slots_[i].lastUse = uses_;
      return uint32_t(i + 1);
    }
  // A free slot, a new one, or the one used longest ago that neither current object holds.
  size_t at = slots_.size();
  for (size_t i = 0; i < slots_.size(); ++i)
    if (!slots_[i].key) at = i;
  if (at == slots_.size() && slots_.size() >= kMaxSlots) {
    uint64_t oldest = UINT64_MAX;
    for (size_t i = 0; i < slots_.size(); ++i) {
      const bool held = slots_[i].key == pen_ || slots_[i].key == brush_;
      if (!held && slots_[i].key != key && slots_[i].lastUse < oldest) oldest = slots_[i].lastUse, at = i;
    }
    writer_.Add(EMR_DELETEOBJECT, {uint32_t(at + 1)});
  }
  if (at == slots_.size()) slots_.emplace_back();
  slots_[at] = Slot{key, uses_};
  const uint32_t index = uint32_t(at + 1);
  if (!key.pen) {
    writer_.Add(EMR_CREATEBRUSHINDIRECT, {index, key.style, key.color, uint32_t(key.hatch)});
  } else if (!key.extended) {
    writer_.Add(EMR_CREATEPEN, {index, key.style, uint32_t(key.width), 0, key.color});
  } else {
    EmfRecordBuilder r(EMR_EXTCREATEPEN);
    r.U32(index).U32(0).U32(0).U32(0).U32(0);  // no pattern bitmap
    r.U32(key.style).U32(uint32_t(key.width)).U32(BS_SOLID).U32(key.color).U32(0);
    r.U32(uint32_t(key.dashes.size()));
    for (DWORD d : key.dashes) r.U32(d);
    writer_.Add(r);
  }
  return index;
}

void EmfRecorder::FlushLayer(bool last) {
  const std::vector<uint8_t> record = layer_.Take(last);
  if (!record.empty()) writer_.AddBytes(record);
}

std::vector<uint8_t> EmfRecorder::Close() {
  CloseBracket();
  // Whoever borrowed the layer may have painted after the last look at it.
  FlushLayer(true);
  return writer_.Finish(uint16_t(slots_.size() + 1));
}
