// Image files read through the GDI+ provider's stream loader: every frame is selected, its
// pixels locked and drawn scaled onto a small bitmap, and small pictures are written back out.
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/gdiplus/gdiplus_flat.h"

using namespace gdiplus;

namespace {

class MemoryStream : public IStream {
 public:
  MemoryStream(const uint8_t* data, size_t size) : bytes_(data, data + size) {}
  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (iid == IID_IUnknown || iid == IID_IStream) {
      *object = this;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  uint32_t AddRef() override { return 1; }
  uint32_t Release() override { return 1; }
  HRESULT Read(void* buffer, uint32_t count, uint32_t* read) override {
    const size_t n = pos_ < bytes_.size() ? std::min<size_t>(count, bytes_.size() - pos_) : 0;
    if (n) std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    if (read) *read = uint32_t(n);
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Write(const void* buffer, uint32_t count, uint32_t* written) override {
    if (pos_ + count > bytes_.size()) bytes_.resize(pos_ + count);
    std::memcpy(bytes_.data() + pos_, buffer, count);
    pos_ += count;
    if (written) *written = count;
    return S_OK;
  }
  HRESULT Seek(int64_t move, uint32_t origin, uint64_t* position) override {
    const int64_t base = origin == STREAM_SEEK_CUR ? int64_t(pos_) : origin == STREAM_SEEK_END ? int64_t(bytes_.size()) : 0;
    if (base + move < 0) return STG_E_INVALIDFUNCTION;
    pos_ = size_t(base + move);
    if (position) *position = pos_;
    return S_OK;
  }
  HRESULT SetSize(uint64_t) override { return E_NOTIMPL; }
  HRESULT CopyTo(IStream*, uint64_t, uint64_t*, uint64_t*) override { return E_NOTIMPL; }
  HRESULT Commit(uint32_t) override { return S_OK; }
  HRESULT Revert() override { return E_NOTIMPL; }
  HRESULT LockRegion(uint64_t, uint64_t, uint32_t) override { return E_NOTIMPL; }
  HRESULT UnlockRegion(uint64_t, uint64_t, uint32_t) override { return E_NOTIMPL; }
  HRESULT Stat(STATSTG* stat, uint32_t) override {
    *stat = STATSTG{};
    stat->cbSize = bytes_.size();
    return S_OK;
  }
  HRESULT Clone(IStream**) override { return E_NOTIMPL; }

 private:
  std::vector<uint8_t> bytes_;
  size_t pos_ = 0;
};

void Exercise(GpImage* image) {
  uint32_t w = 0, h = 0;
  GdipGetImageWidth(image, &w);
  GdipGetImageHeight(image, &h);
  GUID dimension{};
  GdipImageGetFrameDimensionsList(image, &dimension, 1);
  uint32_t frames = 1;
  GdipImageGetFrameCount(image, &dimension, &frames);
  GpBitmap* canvas = nullptr;
  GpGraphics* g = nullptr;
  if (GdipCreateBitmapFromScan0(32, 32, 0, PixelFormat24bppRGB, nullptr, &canvas) == Ok)
    GdipGetImageGraphicsContext(reinterpret_cast<GpImage*>(canvas), &g);
  for (uint32_t f = 0; f < frames && f < 3; ++f) {
    if (f > 0 && GdipImageSelectActiveFrame(image, &dimension, f) != Ok) break;
    BitmapData data{};
    GpRect r{0, 0, int32_t(std::min<uint32_t>(w, 8)), int32_t(std::min<uint32_t>(h, 8))};
    if (GdipBitmapLockBits(reinterpret_cast<GpBitmap*>(image), &r, ImageLockModeRead, PixelFormat32bppARGB, &data) == Ok)
      GdipBitmapUnlockBits(reinterpret_cast<GpBitmap*>(image), &data);
    if (g) {
      const GpPointF pts[3] = {{1.5f, 2}, {30, 4}, {3, 29.25f}};
      GdipDrawImagePoints(g, image, pts, 3);
    }
  }
  if (uint64_t(w) * h <= 4096) {
    for (const CLSID& clsid : {EncoderClsidPNG, EncoderClsidBMP, EncoderClsidTIFF}) {
      MemoryStream out(nullptr, 0);
      GdipSaveImageToStream(image, &out, &clsid, nullptr);
    }
  }
  if (g) GdipDeleteGraphics(g);
  if (canvas) GdipDisposeImage(reinterpret_cast<GpImage*>(canvas));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool started = [] {
    ULONG_PTR token = 0;
    GdiplusStartupInput input{1, nullptr, 0, 0};
    return GdiplusStartup(&token, &input, nullptr) == Ok;
  }();
  if (!started) return 0;
  MemoryStream stream(data, size);
  GpImage* image = nullptr;
  // Files of odd size load with colour management, through their embedded profiles.
  const GpStatus st = size % 2 == 1 ? GdipLoadImageFromStreamICM(&stream, &image) : GdipLoadImageFromStream(&stream, &image);
  if (st == Ok && image) {
    Exercise(image);
    GdipDisposeImage(image);
  }
  return 0;
}
