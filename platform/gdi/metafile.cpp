#include "platform/gdi/metafile.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/canvas.h"
#include "platform/gdi/graphics_errors.h"
#include "platform/gdi/metafile/emf_reader.h"
#include "platform/gdi/metafile/emf_to_wmf.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "platform/gdi/metafile/wmf_translator.h"

namespace {

constexpr const char* SInvalidMetafile = "Metafile is not valid";

// Hundredths of a millimetre to pixels at 96 dpi, kept inside the int range.
int MMToPixels(int64_t mm) { return int(std::clamp<int64_t>((mm * 96 + 1270) / 2540, 0, INT32_MAX)); }

}  // namespace

TMetafile::~TMetafile() { FreeHandle(); }

void TMetafile::FreeHandle() {
  if (handle_) DeleteEnhMetaFile(handle_);
  handle_ = nullptr;
}

HENHMETAFILE TMetafile::Handle() {
  if (!handle_ && document_) {
    auto bytes = document_->Bytes();
    handle_ = SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
  }
  return handle_;
}

void TMetafile::SetHandle(HENHMETAFILE handle) {
  auto doc = EnhMetaFileDocument(handle);
  if (handle == handle_) return;
  const bool enhanced = enhanced_;
  Clear();
  enhanced_ = enhanced;
  if (!doc) {
    if (handle) DeleteEnhMetaFile(handle);
    return;
  }
  SetFromEmf(std::move(doc));
  handle_ = handle;
}

void TMetafile::SetSize(int width, int height) {
  width_ = width;
  height_ = height;
  Modified = true;
}

void TMetafile::SetMMWidth(int v) {
  mmWidth_ = v;
  width_ = MMToPixels(v);
  Modified = true;
}

void TMetafile::SetMMHeight(int v) {
  mmHeight_ = v;
  height_ = MMToPixels(v);
  Modified = true;
}

void TMetafile::SetFromEmf(std::shared_ptr<const EmfDocument> doc) {
  FreeHandle();
  document_ = std::move(doc);
  const RECTL& f = document_->Header().rclFrame;
  // Frames are written inclusive but measured as right - left, as the class library does;
  // a reversed or hostile frame gives a size of 0, never a negative one.
  mmWidth_ = int(std::clamp<int64_t>(int64_t(f.right) - f.left, 0, INT32_MAX));
  mmHeight_ = int(std::clamp<int64_t>(int64_t(f.bottom) - f.top, 0, INT32_MAX));
  width_ = MMToPixels(mmWidth_);
  height_ = MMToPixels(mmHeight_);
}

void TMetafile::LoadFromStream(TStream& stream) {
  const int64_t available = stream.Size() - stream.Position();
  if (available < 0 || uint64_t(available) > kMaxMetafileBytes) throw EInvalidGraphic(SInvalidMetafile);
  std::string bytes = stream.ReadString(available);
  const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  PlaceableWmfHeader placeable;
  if (ReadPlaceableWmfHeader(data, placeable)) {
    if (!placeable.checksumOk) throw EInvalidGraphic(SInvalidMetafile);
    const std::vector<uint8_t> emf = TranslatePlaceableWmf(data);
    SetFromEmf(EmfDocument::Parse(emf));
    enhanced_ = false;
    inch_ = placeable.inch;
    // The size comes from the placeable bounds themselves (not the rounded frame).
    const int64_t inch = placeable.inch ? placeable.inch : kDefaultWmfInch;
    const int64_t w = std::abs(int64_t(placeable.right) - placeable.left);
    const int64_t h = std::abs(int64_t(placeable.bottom) - placeable.top);
    width_ = int((w * 96 + inch / 2) / inch);
    height_ = int((h * 96 + inch / 2) / inch);
  } else {
    try {
      SetFromEmf(EmfDocument::Parse(data));
    } catch (const EInvalidGraphic&) {
      throw EInvalidGraphic(SInvalidMetafile);
    }
    enhanced_ = true;
    inch_ = 0;
  }
  data_ = std::move(bytes);
  Modified = true;
}

void TMetafile::SaveToStream(TStream& stream) {
  if (!document_) return;
  if (enhanced_) {
    auto bytes = document_->Bytes();
    stream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    return;
  }
  PlaceableWmfHeader h;
  const std::span<const uint8_t> loaded(reinterpret_cast<const uint8_t*>(data_.data()), data_.size());
  if (ReadPlaceableWmfHeader(loaded, h)) {
    stream.WriteString(data_);
    return;
  }
  const std::vector<uint8_t> wmf = PlaceableWmfFromEmf(*document_, width_, height_, 96);
  stream.WriteBuffer(wmf.data(), int64_t(wmf.size()));
}

void TMetafile::Clear() {
  FreeHandle();
  document_.reset();
  data_.clear();
  width_ = height_ = mmWidth_ = mmHeight_ = inch_ = 0;
  enhanced_ = true;
  Modified = true;
}

void TMetafile::Assign(const TGraphic& source) {
  const auto* other = dynamic_cast<const TMetafile*>(&source);
  if (!other) {
    TGraphic::Assign(source);
    return;
  }
  if (other == this) return;
  FreeHandle();
  data_ = other->data_;
  document_ = other->document_;
  width_ = other->width_;
  height_ = other->height_;
  mmWidth_ = other->mmWidth_;
  mmHeight_ = other->mmHeight_;
  inch_ = other->inch_;
  enhanced_ = other->enhanced_;
  Modified = true;
}

void TMetafile::Draw(TCanvas& canvas, const TRect& rect) {
  HENHMETAFILE h = Handle();
  if (!h) return;
  PlayEnhMetaFile(canvas.Handle(), h, &rect);
}
