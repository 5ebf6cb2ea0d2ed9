#include "platform/gdi/metafile/metafile_dc.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/dc.h"
#include "platform/gdi/dc_internal.h"
#include "platform/gdi/metafile/emf_recorder.h"
#include "platform/gdi/metafile/enh_metafile.h"

namespace {

constexpr int64_t kMaxPictureSide = 1 << 20;

int32_t Pixels(int64_t hundredthsOfMm, int dpi) {
  return int32_t(std::clamp<int64_t>((hundredthsOfMm * dpi + 1270) / 2540, 0, kMaxPictureSide));
}

}  // namespace

HDC CreateEnhMetaFileA(HDC reference, const char* fileName, const RECT* frame, const char* /*description*/) {
  if (fileName || !frame) return nullptr;
  const int64_t mmW = int64_t(frame->right) - frame->left, mmH = int64_t(frame->bottom) - frame->top;
  if (mmW <= 0 || mmH <= 0) return nullptr;
  HDC screen = reference ? nullptr : CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  HDC ref = reference ? reference : screen;
  const int dpiX = std::max(1, GetDeviceCaps(ref, LOGPIXELSX)), dpiY = std::max(1, GetDeviceCaps(ref, LOGPIXELSY));
  // Readers size the picture by the reference device's pixels per millimetre: a device of
  // 15 inches at the reference's resolution gives that ratio exactly (a memory DC's own bitmap
  // may be a single pixel).
  const SIZEL device{15 * dpiX, 15 * dpiY};
  const SIZEL millimetres{381, 381};
  if (screen) DeleteDC(screen);
  const SIZEL size{std::max(1, Pixels(mmW, dpiX)), std::max(1, Pixels(mmH, dpiY))};
  // The header's frame is inclusive.
  const RECTL inclusive{0, 0, int32_t(std::min<int64_t>(mmW, INT32_MAX)) - 1,
                        int32_t(std::min<int64_t>(mmH, INT32_MAX)) - 1};
  HDC dc = CreateCompatibleDC(ref);
  auto d = LookupDC(dc);
  if (!d) return nullptr;
  d->recorder = std::make_shared<EmfRecorder>(size, inclusive, device, millimetres);
  return dc;
}

HENHMETAFILE CloseEnhMetaFile(HDC dc) {
  auto d = LookupDC(dc);
  if (!d || !d->recorder) return nullptr;
  const std::vector<uint8_t> bytes = d->recorder->Close();
  d->recorder.reset();
  DeleteDC(dc);
  return SetEnhMetaFileBits(UINT(bytes.size()), bytes.data());
}

std::shared_ptr<GdiBitmap> GetMetafileLayer(HDC dc, const RECT& area) {
  auto d = LookupDC(dc);
  return d && d->recorder ? d->recorder->Layer().Lend(area) : nullptr;
}

bool IsMetafileDC(HDC dc) {
  auto d = LookupDC(dc);
  return d && d->recorder;
}
