#include "pdf/codecs/png/png_writer.h"

#include <algorithm>
#include <array>

#include "pdf/codecs/png/png_common.h"
#include "pdf/core/filters/flate.h"

namespace {

// The CRC table of the PNG format, and seven more derived from it so that eight bytes are
// taken per step (slicing by eight); the result is the plain table's.
using CRCTables = std::array<std::array<uint32_t, 256>, 8>;

const CRCTables& CRCTable() {
  static const CRCTables tables = [] {
    CRCTables t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][n] = c;
    }
    for (uint32_t n = 0; n < 256; ++n)
      for (size_t k = 1; k < 8; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFF];
    return t;
  }();
  return tables;
}

void AppendBigEndian32(std::string& out, uint32_t v) {
  out += char(v >> 24);
  out += char(v >> 16);
  out += char(v >> 8);
  out += char(v);
}

// Index into a mask of maskSize entries for position i of size: the ends meet the ends.
int64_t ScaledIndex(int64_t i, int64_t size, int64_t maskSize) {
  if (size <= 1) return maskSize <= 1 ? i : 0;
  return i * (maskSize - 1) / (size - 1);
}

}  // namespace

uint32_t PNGCRC32Update(uint32_t crc, std::string_view data) {
  const auto& t = CRCTable();
  uint32_t c = ~crc;
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  size_t n = data.size();
  for (; n >= 8; n -= 8, p += 8) {
    const uint32_t lo = c ^ (uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24));
    c = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^ t[3][p[4]] ^
        t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]];
  }
  for (; n > 0; --n, ++p) c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
  return ~c;
}

uint32_t PNGCRC32(std::string_view data) { return data.empty() ? 0 : PNGCRC32Update(0, data); }

TPNGWriter::TPNGWriter(const TBitmap& bitmap) : Bitmap(std::make_unique<TBitmap>()) {
  Bitmap->Assign(bitmap);
  Bitmap->SetPixelFormat(pf24bit);
}

TPNGWriter::TPNGWriter(std::unique_ptr<TBitmap> bitmap) : Bitmap(std::move(bitmap)) {
  if (!Bitmap) Bitmap = std::make_unique<TBitmap>();
  Bitmap->SetPixelFormat(pf24bit);
}

void TPNGWriter::SetAlphaMask(TBitmap* mask, bool invert) {
  if (mask == nullptr || mask->Width() <= 0 || mask->Height() <= 0) return;
  TBitmap copy;
  copy.Assign(*mask);
  copy.SetPixelFormat(pf24bit);
  const int w = copy.Width(), h = copy.Height();
  const uint8_t flip = invert ? 0xFF : 0;
  AlphaRows.assign(size_t(h), {});
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = copy.ScanLine(y);
    auto& row = AlphaRows[size_t(y)];
    row.resize(size_t(w));
    for (int x = 0; x < w; ++x) row[size_t(x)] = uint8_t(src[3 * x] ^ flip);
  }
  HasAlpha = true;
}

void TPNGWriter::SetICCProfile(std::string_view profile) { ICCProfile = FlateCompressString(profile); }

void TPNGWriter::WriteChunk(TStream& stream, std::string_view type, std::string_view data) {
  std::string head;
  AppendBigEndian32(head, uint32_t(data.size()));
  head += type;
  stream.WriteString(head);
  stream.WriteString(data);
  std::string tail;
  AppendBigEndian32(tail, PNGCRC32Update(PNGCRC32Update(0, type), data));
  stream.WriteString(tail);
}

std::string TPNGWriter::BuildIHDR() const {
  std::string d;
  AppendBigEndian32(d, uint32_t(Bitmap->Width()));
  AppendBigEndian32(d, uint32_t(Bitmap->Height()));
  d += char(8);
  d += char(HasAlpha ? 6 : 2);
  d.append(3, '\0');
  return d;
}

std::string TPNGWriter::BuildPHYs() {
  if (Resolution <= 0) Resolution = 96;
  // The +1 makes 96 dpi come back as 96 from readers that truncate.
  const int64_t ppm = std::min<int64_t>(int64_t(Resolution) * 10000 / 254 + 1, 0x7FFFFFFF);
  std::string d;
  AppendBigEndian32(d, uint32_t(ppm));
  AppendBigEndian32(d, uint32_t(ppm));
  d += char(1);
  return d;
}

std::string TPNGWriter::BuildTRNS() const {
  const std::array<char, 6> d = {0, char(TransparentColor & 0xFF), 0, char((TransparentColor >> 8) & 0xFF),
                                 0, char((TransparentColor >> 16) & 0xFF)};
  return std::string(d.data(), d.size());
}

std::string TPNGWriter::BuildIDAT() const {
  const int64_t w = Bitmap->Width(), h = Bitmap->Height();
  const bool alpha = HasAlpha && !AlphaRows.empty();
  const int64_t rowLen = 1 + w * (alpha ? 4 : 3);
  std::string raw(size_t(rowLen * h), '\0');
  const int64_t maskH = int64_t(AlphaRows.size());
  for (int64_t y = 0; y < h; ++y) {
    const uint8_t* src = Bitmap->ScanLine(int(y));
    char* dst = raw.data() + y * rowLen + 1;  // filter byte 0 stays
    const std::vector<uint8_t>* mask = alpha ? &AlphaRows[size_t(ScaledIndex(y, h, maskH))] : nullptr;
    const int64_t maskW = mask ? int64_t(mask->size()) : 0;
    for (int64_t x = 0; x < w; ++x, src += 3) {
      *dst++ = char(src[2]);
      *dst++ = char(src[1]);
      *dst++ = char(src[0]);
      if (alpha) {
        const int64_t mx = ScaledIndex(x, w, maskW);
        *dst++ = char(mx >= 0 && mx < maskW ? (*mask)[size_t(mx)] : 255);
      }
    }
  }
  return StoreOnly ? FlateStoreString(raw) : FlateCompressString(raw);
}

std::string TPNGWriter::BuildICCP() const {
  return std::string("ZRXProfile\0\0", 12) + ICCProfile;
}

void TPNGWriter::SaveToStream(TStream& stream) {
  stream.WriteString(kPNGSignature);
  WriteChunk(stream, "IHDR", BuildIHDR());
  WriteChunk(stream, "pHYs", BuildPHYs());
  if (HasTransparentColor) WriteChunk(stream, "tRNS", BuildTRNS());
  if (!ICCProfile.empty()) WriteChunk(stream, "iCCP", BuildICCP());
  WriteChunk(stream, "IDAT", BuildIDAT());
  WriteChunk(stream, "IEND", {});
}
