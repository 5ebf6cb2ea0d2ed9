#include "tests/pdf/codecs/image_decoder/image_test_util.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "platform/gdi/bitmap.h"
#include "platform/gdi/bmp_reader.h"
#include "platform/gdi/png_image.h"
#include "tests/pdf/render/canvas/canvas_test_support.h"

namespace imgtest {

TestStore::TestStore() : store_(std::make_unique<TPDFStructure>()) {
  store_->OnResolve = [this](TPDFIndRef&, int num, int) -> TPDFObject* {
    for (auto& [n, o] : objects_)
      if (n == num) return o;
    return nullptr;
  };
}

TPDFStream* TestStore::Stream(const std::string& dictionary, const std::string& data) {
  TPDFStream* s = store_->NewStream(data, false);
  if (auto* d = PDFCast<TPDFDictionary>(store_->ParseObject(dictionary)))
    for (const auto& [k, v] : d->Pairs()) s->Dictionary()->SetValue(k->Name(), v);
  return s;
}

TPDFStream* TestStore::Image(const std::string& dictionary, const std::string& data) {
  TPDFStream* s = Stream(dictionary, data);
  s->Dictionary()->SetValue("Type", store_->NewName("XObject"));
  s->Dictionary()->SetValue("Subtype", store_->NewName("Image"));
  return s;
}

void TestStore::Register(int num, TPDFObject* obj) { objects_.emplace_back(num, obj); }

std::string PackSamples(const std::vector<uint32_t>& samples, int perRow, int bits) {
  std::string out;
  uint32_t acc = 0;
  int filled = 0;
  auto flush = [&] {
    while (filled >= 8) {
      out += char((acc >> (filled - 8)) & 0xFF);
      filled -= 8;
    }
  };
  for (size_t i = 0; i < samples.size(); ++i) {
    if (bits == 16) {
      out += char(samples[i] >> 8);
      out += char(samples[i] & 0xFF);
    } else {
      acc = (acc << bits) | (samples[i] & ((1u << bits) - 1));
      filled += bits;
      flush();
      if ((i + 1) % size_t(perRow) == 0 && filled > 0) {
        acc <<= 8 - filled;
        filled = 8;
        flush();
        acc = 0;
      }
    }
  }
  return out;
}

std::vector<uint32_t> RandomSamples(size_t count, int bits, uint32_t seed) {
  std::vector<uint32_t> v(count);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& s : v) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    s = bits >= 32 ? x : x & ((1u << bits) - 1);
  }
  return v;
}

Pixels BitmapPixels(TBitmap& b) {
  Pixels p;
  p.width = b.Width();
  p.height = b.Height();
  for (int y = 0; y < p.height; ++y)
    for (int x = 0; x < p.width; ++x) {
      const COLORREF c = b.Dib().GetColor(x, y);
      p.argb.push_back(0xFF000000u | Rgb(GetRValue(c), GetGValue(c), GetBValue(c)));
    }
  return p;
}

Pixels DecodedPixels(TPDFImageDecoder& d) {
  if (d.DataStream) {
    const auto bytes = d.DataStream->Bytes();
    std::shared_ptr<GdiBitmap> dib;
    if (IsPngSignature(bytes))
      dib = DecodePngToBgra(bytes);
    else
      dib = ReadBmpFile(bytes);
    Pixels p;
    p.width = dib->Width();
    p.height = dib->Height();
    for (int y = 0; y < p.height; ++y)
      for (int x = 0; x < p.width; ++x) {
        const uint32_t raw = dib->GetRaw(x, y);
        const COLORREF c = dib->RawToColor(raw);
        const uint32_t a = dib->BitsPerPixel() == 32 ? raw >> 24 : 0xFF;
        p.argb.push_back(a << 24 | Rgb(GetRValue(c), GetGValue(c), GetBValue(c)));
      }
    return p;
  }
  if (d.Bitmap) return BitmapPixels(*d.Bitmap);
  return {};
}

std::unique_ptr<TPDFImageDecoder> Decode(TPDFStream* image, bool keepBitmap) {
  auto d = std::make_unique<TPDFImageDecoder>();
  d->Settings = canvastest::SettingsFor(canvastest::ProviderPath());
  d->KeepBitmap = keepBitmap;
  d->SetImage(image);
  return d;
}

std::unique_ptr<TPDFImageDecoder> Decoder(TPDFStream* image, bool drawOnly) {
  auto d = std::make_unique<TPDFImageDecoder>();
  d->Settings = canvastest::SettingsFor(canvastest::ProviderPath());
  d->DrawOnly = drawOnly;
  d->DecodeWhileDrawing = drawOnly;
  d->SetImage(image);
  return d;
}

int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int s = 0; s < 24; s += 8) d = std::max(d, std::abs(int((a >> s) & 0xFF) - int((b >> s) & 0xFF)));
  return d;
}

std::vector<uint32_t> HexPixelLine(std::istream& in) {
  std::vector<uint32_t> pixels;
  std::string line, word;
  if (!std::getline(in, line)) return pixels;
  std::istringstream words(line);
  while (words >> word) pixels.push_back(uint32_t(std::stoul(word, nullptr, 16)));
  return pixels;
}

uint32_t Byte(double x) {
  if (!(x > 0)) return 0;
  if (x >= 1) return 255;
  return uint32_t(std::nearbyint(x * 255));
}

std::string RunLengthEncode(const std::string& data) {
  std::string out;
  size_t i = 0;
  while (i < data.size()) {
    size_t run = 1;
    while (i + run < data.size() && run < 128 && data[i + run] == data[i]) ++run;
    if (run >= 2) {
      out += char(257 - run);
      out += data[i];
      i += run;
      continue;
    }
    size_t lit = 1;
    while (i + lit < data.size() && lit < 128 && !(i + lit + 1 < data.size() && data[i + lit] == data[i + lit + 1]))
      ++lit;
    out += char(lit - 1);
    out.append(data, i, lit);
    i += lit;
  }
  return out;
}

}  // namespace imgtest
