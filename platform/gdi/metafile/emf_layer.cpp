#include "platform/gdi/metafile/emf_layer.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/dib.h"
#include "platform/gdi/metafile/emf_writer.h"

namespace {

constexpr uint32_t kSourceOverWithAlpha = 0x01FF0000u;  // AC_SRC_OVER, constant 255, AC_SRC_ALPHA

}  // namespace

std::shared_ptr<GdiBitmap> EmfLayer::Bitmap() {
  if (!bitmap_) {
    bitmap_ = std::make_shared<GdiBitmap>(std::max(size_.cx, 1), std::max(size_.cy, 1), 32);
    bitmap_->SetBottomUp(false);
    std::fill(bitmap_->Bits().begin(), bitmap_->Bits().end(), uint8_t(0));
  }
  return bitmap_;
}

void EmfLayer::Mark(const RECT& area) {
  const RECT a{std::max<LONG>(area.left, 0), std::max<LONG>(area.top, 0), std::min<LONG>(area.right, size_.cx),
               std::min<LONG>(area.bottom, size_.cy)};
  if (a.right <= a.left || a.bottom <= a.top) return;
  if (!dirty_) {
    dirty_ = a;
    return;
  }
  dirty_ = RECT{std::min(dirty_->left, a.left), std::min(dirty_->top, a.top), std::max(dirty_->right, a.right),
                std::max(dirty_->bottom, a.bottom)};
}

std::shared_ptr<GdiBitmap> EmfLayer::Lend() {
  unnamed_ = true;
  Mark(RECT{0, 0, size_.cx, size_.cy});
  return Bitmap();
}

std::shared_ptr<GdiBitmap> EmfLayer::Lend(const RECT& area) {
  Mark(area);
  return Bitmap();
}

std::vector<uint8_t> EmfLayer::Take(bool last) {
  if (!bitmap_) return {};
  if (last) Mark(RECT{0, 0, size_.cx, size_.cy});
  if (!dirty_) return {};
  const RECT scan = *dirty_;
  const int64_t pixels = int64_t(scan.right - scan.left) * (scan.bottom - scan.top);
  if (unnamed_ && !last) {
    if (unnamedRead_ + pixels > kUnnamedLooks * int64_t(bitmap_->Width()) * bitmap_->Height()) return {};
    unnamedRead_ += pixels;
  }
  dirty_.reset();
  unnamed_ = false;
  RECT painted{scan.right, scan.bottom, scan.left - 1, scan.top - 1};
  for (int32_t y = scan.top; y < scan.bottom; ++y) {
    const uint8_t* row = bitmap_->Row(y);
    for (int32_t x = scan.left; x < scan.right; ++x)
      if (row[size_t(x) * 4 + 3] != 0) {
        painted.top = std::min(painted.top, y), painted.bottom = y;
        painted.left = std::min(painted.left, x), painted.right = std::max(painted.right, x);
      }
  }
  if (painted.bottom < painted.top) return {};
  return Record(painted);
}

std::vector<uint8_t> EmfLayer::Record(const RECT& painted) {
  const int32_t left = painted.left, top = painted.top;
  const int32_t cw = painted.right - left + 1, ch = painted.bottom - top + 1;
  // Bottom-up premultiplied rows, as an alpha blend takes them.
  std::vector<uint8_t> bits(size_t(cw) * size_t(ch) * 4);
  for (int32_t y = 0; y < ch; ++y) {
    uint8_t* row = bitmap_->Row(top + y) + size_t(left) * 4;
    uint8_t* out = bits.data() + size_t(ch - 1 - y) * size_t(cw) * 4;
    for (int32_t x = 0; x < cw; ++x, row += 4, out += 4) {
      const uint32_t a = row[3];
      for (int c = 0; c < 3; ++c) out[c] = uint8_t((row[c] * a + 127) / 255);
      out[3] = uint8_t(a);
      std::memset(row, 0, 4);
    }
  }
  EmfRecordBuilder r(EMR_ALPHABLEND);
  r.Rect(RECTL{left, top, painted.right, painted.bottom});
  r.I32(left).I32(top).I32(cw).I32(ch);
  r.U32(kSourceOverWithAlpha);
  r.I32(0).I32(0);
  r.F32(1).F32(0).F32(0).F32(1).F32(0).F32(0);
  r.U32(0).U32(0);  // background colour, DIB_RGB_COLORS
  r.U32(108).U32(40).U32(148).U32(uint32_t(bits.size()));
  r.I32(cw).I32(ch);
  r.U32(40).I32(cw).I32(ch).U16(1).U16(32).U32(0).U32(uint32_t(bits.size())).U32(0).U32(0).U32(0).U32(0);
  r.Bytes(bits);
  return r.Finish();
}
