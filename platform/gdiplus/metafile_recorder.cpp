#include "platform/gdiplus/metafile_recorder.h"

#include <cmath>

#include "platform/gdiplus/emfplus_objects.h"

namespace gdiplus {
namespace {

using emfplus::Record;

// The reference device of the recording: a 96 dpi display.
constexpr double kReferenceDpi = 96;
constexpr SIZEL kDevicePixels{1920, 1080};
constexpr SIZEL kDeviceMillimetres{508, 286};
// The mark that tells an EMF comment holds EMF+ records.
constexpr uint32_t kEmfPlusComment = 0x2B464D45;  // "EMF+"

// Room left below 4 GiB for the header and the closing records.
constexpr uint64_t kMaxFileBytes = 0xFFFFFFFFull - 4096;

int32_t HundredthsOfMillimetre(int32_t pixels) {
  return int32_t(std::lround(pixels * 2540.0 / kReferenceDpi));
}

EmfWriter NewEmf(int32_t width, int32_t height) {
  const RECTL bounds{0, 0, width - 1, height - 1};
  const RECTL frame{0, 0, HundredthsOfMillimetre(width), HundredthsOfMillimetre(height)};
  return EmfWriter(bounds, frame, kDevicePixels, kDeviceMillimetres);
}

}  // namespace

MetafileRecorder::MetafileRecorder(IStream* stream, int32_t width, int32_t height)
    : stream_(stream), width_(width), height_(height), emf_(NewEmf(width, height)) {
  if (stream_) stream_->AddRef();
  AddHeader();
}

MetafileRecorder::MetafileRecorder(std::FILE* file, int32_t width, int32_t height)
    : file_(file), width_(width), height_(height), emf_(NewEmf(width, height)) {
  AddHeader();
}

MetafileRecorder::~MetafileRecorder() {
  if (stream_) stream_->Release();
  if (file_) std::fclose(file_);
}

void MetafileRecorder::AddHeader() {
  Record header(emfplus::kHeader, 0);
  // Version, recorded against a video display (flag 1), its logical resolution.
  header.data().U32(emfplus::kGraphicsVersion).U32(1).U32(uint32_t(kReferenceDpi)).U32(uint32_t(kReferenceDpi));
  Add(header.Finish());
}

void MetafileRecorder::Add(std::vector<uint8_t> record) {
  if (ended_ || tooLarge_) return;
  // The header counts the file's bytes in 32 bits: a recording that would outgrow them is
  // dropped whole rather than written with a count that lies.
  bytes_ += record.size() + 16;
  if (bytes_ > kMaxFileBytes) {
    tooLarge_ = true;
    return;
  }
  EmfRecordBuilder comment(EMR_GDICOMMENT);
  comment.U32(uint32_t(record.size() + 4)).U32(kEmfPlusComment).Bytes(record);
  emf_.Add(comment);
}

void MetafileRecorder::AddFlagOnly(uint16_t type, uint16_t flags) {
  Record r(type, flags);
  Add(r.Finish());
}

// Each object is written just before the record that uses it, so a round through the slots
// never overwrites one still to be used.
uint8_t MetafileRecorder::NextSlot() {
  const uint8_t slot = uint8_t(nextSlot_);
  nextSlot_ = (nextSlot_ + 1) % emfplus::kObjectSlots;
  return slot;
}

template <typename Write>
uint8_t MetafileRecorder::AddObject(uint16_t objectType, Write write) {
  const uint8_t slot = NextSlot();
  Record r(emfplus::kObject, uint16_t(objectType << 8 | slot));
  write(r.data());
  Add(r.Finish());
  return slot;
}

void MetafileRecorder::SetAntiAliasMode(SmoothingMode mode, bool antialias) {
  AddFlagOnly(emfplus::kSetAntiAliasMode, uint16_t((uint32_t(mode) & 0x7f) << 1 | (antialias ? 1 : 0)));
}

void MetafileRecorder::SetInterpolationMode(InterpolationMode mode) {
  AddFlagOnly(emfplus::kSetInterpolationMode, uint16_t(mode & 0xff));
}

void MetafileRecorder::SetPixelOffsetMode(PixelOffsetMode mode) {
  AddFlagOnly(emfplus::kSetPixelOffsetMode, uint16_t(mode & 0xff));
}

void MetafileRecorder::SetCompositingMode(CompositingMode mode) {
  AddFlagOnly(emfplus::kSetCompositingMode, uint16_t(mode & 0xff));
}

void MetafileRecorder::SetCompositingQuality(CompositingQuality quality) {
  AddFlagOnly(emfplus::kSetCompositingQuality, uint16_t(quality & 0xff));
}

void MetafileRecorder::SetPageTransform(GpUnit unit, float scale) {
  Record r(emfplus::kSetPageTransform, uint16_t(unit & 0xff));
  r.data().F32(scale);
  Add(r.Finish());
}

void MetafileRecorder::SetWorldTransform(const Affine& m) {
  Record r(emfplus::kSetWorldTransform, 0);
  emfplus::WriteMatrix(r.data(), m);
  Add(r.Finish());
}

void MetafileRecorder::ResetWorldTransform() { AddFlagOnly(emfplus::kResetWorldTransform, 0); }

void MetafileRecorder::Save(uint32_t stackIndex) {
  Record r(emfplus::kSave, 0);
  r.data().U32(stackIndex);
  Add(r.Finish());
}

void MetafileRecorder::Restore(uint32_t stackIndex) {
  Record r(emfplus::kRestore, 0);
  r.data().U32(stackIndex);
  Add(r.Finish());
}

void MetafileRecorder::SetClipPath(const GpPath& path, CombineMode mode) {
  const uint8_t slot = AddObject(emfplus::kObjectPath, [&](EmfRecordBuilder& out) {
    emfplus::WritePath(out, path.points, path.types, path.fillMode);
  });
  AddFlagOnly(emfplus::kSetClipPath, uint16_t((uint32_t(mode) & 0xf) << 8 | slot));
}

void MetafileRecorder::SetClipRegion(const RegionPtr& region, CombineMode mode) {
  const uint8_t slot =
      AddObject(emfplus::kObjectRegion, [&](EmfRecordBuilder& out) { emfplus::WriteRegion(out, region); });
  AddFlagOnly(emfplus::kSetClipRegion, uint16_t((uint32_t(mode) & 0xf) << 8 | slot));
}

void MetafileRecorder::ResetClip() { AddFlagOnly(emfplus::kResetClip, 0); }

void MetafileRecorder::Clear(ARGB colour) {
  Record r(emfplus::kClear, 0);
  r.data().U32(colour);
  Add(r.Finish());
}

void MetafileRecorder::FillPath(const GpBrush& brush, const GpPath& path) {
  const uint8_t pathSlot = AddObject(emfplus::kObjectPath, [&](EmfRecordBuilder& out) {
    emfplus::WritePath(out, path.points, path.types, path.fillMode);
  });
  // A solid colour travels in the record itself; other brushes as objects.
  if (brush.kind == BrushKind::Solid) {
    Record r(emfplus::kFillPath, uint16_t(emfplus::kSolidColourFlag | pathSlot));
    r.data().U32(static_cast<const GpSolidFill&>(brush).color);
    return Add(r.Finish());
  }
  const uint8_t brushSlot =
      AddObject(emfplus::kObjectBrush, [&](EmfRecordBuilder& out) { emfplus::WriteBrush(out, brush); });
  Record r(emfplus::kFillPath, pathSlot);
  r.data().U32(brushSlot);
  Add(r.Finish());
}

void MetafileRecorder::DrawPath(const GpPen& pen, const GpPath& path) {
  const uint8_t pathSlot = AddObject(emfplus::kObjectPath, [&](EmfRecordBuilder& out) {
    emfplus::WritePath(out, path.points, path.types, path.fillMode);
  });
  const uint8_t penSlot = AddObject(emfplus::kObjectPen, [&](EmfRecordBuilder& out) { emfplus::WritePen(out, pen); });
  Record r(emfplus::kDrawPath, pathSlot);
  r.data().U32(penSlot);
  Add(r.Finish());
}

void MetafileRecorder::DrawImagePoints(int32_t width, int32_t height, std::span<const ARGB> pixels,
                                       const GpRectF& source, const GpPointF corners[3]) {
  const uint8_t slot = AddObject(emfplus::kObjectImage, [&](EmfRecordBuilder& out) {
    emfplus::WriteBitmap(out, width, height, pixels);
  });
  Record r(emfplus::kDrawImagePoints, slot);
  // No image attributes (the field stays 0), the source in pixels, three float corners.
  r.data().U32(0).U32(UnitPixel).F32(source.X).F32(source.Y).F32(source.Width).F32(source.Height).U32(3);
  for (int i = 0; i < 3; ++i) r.data().F32(corners[i].X).F32(corners[i].Y);
  Add(r.Finish());
}

GpStatus MetafileRecorder::End() {
  if (ended_) return endStatus_;
  AddFlagOnly(emfplus::kEndOfFile, 0);
  ended_ = true;
  if (tooLarge_) return endStatus_ = OutOfMemory;
  const std::vector<uint8_t> bytes = emf_.Finish(1);
  if (file_) {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    return endStatus_ = written && closed ? Ok : Win32Error;
  }
  endStatus_ = stream_ ? WriteWholeStream(stream_, bytes) : Win32Error;
  return endStatus_;
}

}  // namespace gdiplus
