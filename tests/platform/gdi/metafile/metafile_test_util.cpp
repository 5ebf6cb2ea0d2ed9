#include "tests/platform/gdi/metafile/metafile_test_util.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/gdi/dc.h"
#include "platform/gdi/metafile/enh_metafile.h"
#include "platform/gdi/metafile/wmf_translator.h"
#include "tests/support/test_support.h"

namespace mftest {

std::string Generator() {
  const std::string path = testsupport::BinaryDir() + "/test-fixtures/uemf_gen";
  return testsupport::Run("test -x " + path) == 0 ? path : std::string();
}

Generated Generate(const std::string& scene) {
  Generated g;
  testsupport::TempDir dir;
  const std::string file = dir.File(scene + ".bin");
  std::string out;
  // The generator is plain C over libUEMF; leaks of that library are not ours to report.
  const int rc = testsupport::Run("ASAN_OPTIONS=detect_leaks=0 " + Generator() + " " + scene + " " + file, &out);
  EXPECT_EQ(rc, 0) << scene;
  const std::string bytes = testsupport::ReadFile(file);
  g.bytes.assign(bytes.begin(), bytes.end());
  std::istringstream lines(out);
  uint32_t t;
  while (lines >> t) g.types.push_back(t);
  return g;
}

std::vector<uint8_t> Rec(uint32_t type, const Bytes& params, int64_t sizeOverride) {
  Bytes r;
  r.U32(type).U32(sizeOverride >= 0 ? uint32_t(sizeOverride) : uint32_t(8 + params.size()));
  r.Raw(params.b);
  return r.b;
}

std::vector<uint8_t> Emf(const std::vector<std::vector<uint8_t>>& records, bool eof) {
  Bytes h;
  h.U32(EMR_HEADER).U32(108);
  h.I32(0).I32(0).I32(95).I32(71);       // bounds
  h.I32(0).I32(0).I32(2540).I32(1905);   // frame
  h.U32(ENHMETA_SIGNATURE).U32(0x10000);
  h.U32(0).U32(0);                       // nBytes, nRecords
  h.U16(16).U16(0).U32(0).U32(0).U32(0);  // handles, reserved, description, palette
  h.I32(1920).I32(1440).I32(508).I32(381);
  h.U32(0).U32(0).U32(0).I32(508000).I32(381000);
  std::vector<uint8_t> out = h.b;
  uint32_t count = 1;
  for (const auto& r : records) {
    out.insert(out.end(), r.begin(), r.end());
    ++count;
  }
  if (eof) {
    const auto e = Rec(EMR_EOF, Bytes().U32(0).U32(16).U32(20));
    out.insert(out.end(), e.begin(), e.end());
    ++count;
  }
  for (int i = 0; i < 4; ++i) {
    out[48 + i] = uint8_t(out.size() >> (8 * i));
    out[52 + i] = uint8_t(count >> (8 * i));
  }
  return out;
}

std::vector<uint8_t> Wmf(const std::vector<WmfRec>& records, int16_t w, int16_t h, uint16_t inch, uint16_t objects,
                         bool eof) {
  Bytes p;
  p.U32(kPlaceableWmfKey).U16(0).U16(0).U16(0).U16(uint16_t(w)).U16(uint16_t(h)).U16(inch).U32(0);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= uint16_t(p.b[i] | (p.b[i + 1] << 8));
  p.U16(sum);
  Bytes body;
  uint32_t maxRecord = 3;
  for (const auto& r : records) {
    body.U32(uint32_t(3 + r.words.size())).U16(r.function);
    for (uint16_t w16 : r.words) body.U16(w16);
    maxRecord = std::max<uint32_t>(maxRecord, uint32_t(3 + r.words.size()));
  }
  if (eof) body.U32(3).U16(0);
  Bytes header;
  header.U16(1).U16(9).U16(0x300).U32(uint32_t(9 + body.size() / 2)).U16(objects).U32(maxRecord).U16(0);
  p.Raw(header.b).Raw(body.b);
  return p.b;
}

std::shared_ptr<GdiBitmap> Render(const std::vector<uint8_t>& metafile, int w, int h) {
  auto bmp = std::make_shared<GdiBitmap>(w, h, 24);
  bmp->Fill(RGB(255, 255, 255));
  HBITMAP hb = static_cast<HBITMAP>(RegisterGdiObject(bmp));
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, hb);
  HENHMETAFILE emf = nullptr;
  PlaceableWmfHeader ph;
  if (ReadPlaceableWmfHeader(metafile, ph)) {
    const std::vector<uint8_t> translated = TranslatePlaceableWmf(metafile);
    emf = SetEnhMetaFileBits(UINT(translated.size()), translated.data());
  } else {
    emf = SetEnhMetaFileBits(UINT(metafile.size()), metafile.data());
  }
  EXPECT_NE(emf, nullptr);
  const RECT r{0, 0, w, h};
  if (emf) PlayEnhMetaFile(dc, emf, &r);
  DeleteEnhMetaFile(emf);
  DeleteDC(dc);
  DeleteObject(hb);
  return bmp;
}

namespace {
int Collect(HDC, HANDLETABLE*, const ENHMETARECORD* r, int, void* data) {
  static_cast<std::vector<uint32_t>*>(data)->push_back(r->iType);
  return 1;
}
}  // namespace

std::vector<uint32_t> Enumerate(const std::vector<uint8_t>& emf) {
  std::vector<uint32_t> types;
  HENHMETAFILE h = SetEnhMetaFileBits(UINT(emf.size()), emf.data());
  EXPECT_NE(h, nullptr);
  if (!h) return types;
  EXPECT_TRUE(EnumEnhMetaFile(nullptr, h, Collect, &types, nullptr));
  DeleteEnhMetaFile(h);
  return types;
}

}  // namespace mftest
