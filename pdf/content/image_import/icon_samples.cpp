#include "pdf/content/image_import/icon_samples.h"

#include <vector>

#include "pdf/content/image_import/bitmap_samples.h"
#include "platform/gdi/dib.h"

namespace {

// A colour seen through its coverage on white, as an icon is drawn onto a fresh bitmap.
inline uint8_t OverWhite(unsigned colour, unsigned alpha) {
  if (alpha == 255) return uint8_t(colour);
  return uint8_t((colour * alpha + 255 * (255 - alpha) + 127) / 255);
}

void PutOverWhite(uint8_t* rgb, unsigned alpha) {
  for (int c = 0; c < 3; ++c) rgb[c] = OverWhite(rgb[c], alpha);
}

// A DIB's colours come as DeviceRGB samples; 16-bit ones widened first.
TBitmapSamples ColoursOf(const TDibRows& rows) {
  return TBitmapSamples::Colour(rows.BitsPerPixel() == 16 ? 24 : rows.BitsPerPixel(), rows.Colors());
}

bool AnyOwnAlpha(const TDibRows& rows) {
  if (rows.BitsPerPixel() != 32) return false;
  const auto reading = rows.Open();
  for (int32_t y = 0; y < rows.Height(); ++y) {
    const uint8_t* row = reading->Next();
    for (int32_t x = 0; x < rows.Width(); ++x)
      if (row[4 * x + 3]) return true;
  }
  return false;
}

uint16_t BigEndian16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

// Sample x of a row of `depth`-bit samples (1 to 16).
uint32_t Sample(const uint8_t* row, uint32_t x, uint32_t depth) {
  if (depth == 8) return row[x];
  if (depth == 16) return BigEndian16(row + 2 * x);
  const uint64_t bit = uint64_t(x) * depth;
  return (row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
}

}  // namespace

class TIconDIBSamples::TPictureRows : public TPDFSampleSource::TRows {
 public:
  explicit TPictureRows(const TIconDIBSamples& source)
      : source_(source),
        reading_(source.rows_.Open()),
        colours_(ColoursOf(source.rows_)),
        wide_(source.rows_.BitsPerPixel() == 16 ? size_t(source.rows_.Width()) * 3 : 0),
        rgb_(size_t(source.rows_.Width()) * 3) {}

  const uint8_t* Next() override {
    const TDibRows& rows = source_.rows_;
    const uint8_t* row = reading_->Next();
    const uint8_t* bits = row;
    if (!wide_.empty()) {
      Packed16ToBgr(row, rows.Width(), rows.Is565(), wide_.data());
      bits = wide_.data();
    }
    colours_.Convert(bits, rows.Width(), rgb_.data());
    const uint8_t* mask = rows.HasMask() ? reading_->Mask() : nullptr;
    for (int32_t x = 0; x < rows.Width(); ++x) {
      if (source_.ownAlpha_)
        PutOverWhite(&rgb_[3 * size_t(x)], row[4 * x + 3]);
      else if (mask && (mask[x >> 3] >> (7 - (x & 7))) & 1)
        PutOverWhite(&rgb_[3 * size_t(x)], 0);
    }
    return rgb_.data();
  }

 private:
  const TIconDIBSamples& source_;
  std::unique_ptr<TDibRows::TReading> reading_;
  TBitmapSamples colours_;
  std::vector<uint8_t> wide_, rgb_;
};

TIconDIBSamples::TIconDIBSamples(TDibRows rows)
    : TPDFSampleSource(int64_t(rows.Width()) * 3, rows.Height()), rows_(std::move(rows)), ownAlpha_(AnyOwnAlpha(rows_)) {}

std::unique_ptr<TPDFSampleSource::TRows> TIconDIBSamples::Open() const { return std::make_unique<TPictureRows>(*this); }

class TIconPNGSamples::TPictureRows : public TPDFSampleSource::TRows {
 public:
  explicit TPictureRows(const TIconPNGSamples& source)
      : source_(source), rows_(source.idat_->Rows(source.format_)), rgb_(size_t(source.format_.Width) * 3) {}

  const uint8_t* Next() override {
    rows_->Next();
    const TPNGFormat& f = source_.format_;
    const uint8_t* colour = rows_->Colour();
    const uint8_t* alpha = rows_->Alpha();
    const uint32_t depth = f.BitDepth;
    const bool wide = depth == 16;
    // Samples of up to 8 bits as levels of 0 to 255; 16-bit ones by their high byte.
    const auto level = [depth](uint32_t v) -> uint8_t {
      return depth == 16 ? uint8_t(v >> 8) : depth == 8 ? uint8_t(v) : uint8_t(v * 255 / ((1u << depth) - 1));
    };
    uint8_t* out = rgb_.data();
    for (uint32_t x = 0; x < f.Width; ++x, out += 3) {
      unsigned a = 255;
      switch (f.ColorType) {
        case 0: {
          const uint32_t v = Sample(colour, x, depth);
          out[0] = out[1] = out[2] = level(v);
          if (source_.keyed_ && v == source_.key_[0]) a = 0;
          break;
        }
        case 2: {
          uint32_t v[3];
          for (uint32_t c = 0; c < 3; ++c) {
            v[c] = Sample(colour, 3 * x + c, depth);
            out[c] = level(v[c]);
          }
          if (source_.keyed_ && v[0] == source_.key_[0] && v[1] == source_.key_[1] && v[2] == source_.key_[2]) a = 0;
          break;
        }
        case 3: {
          // Indices beyond the palette are black.
          const uint32_t i = Sample(colour, x, depth);
          const std::string& palette = source_.palette_;
          for (uint32_t c = 0; c < 3; ++c) out[c] = 3 * i + c < palette.size() ? uint8_t(palette[3 * i + c]) : 0;
          if (i < source_.coverage_.size()) a = uint8_t(source_.coverage_[i]);
          break;
        }
        case 4:
          out[0] = out[1] = out[2] = level(Sample(colour, x, depth));
          a = wide ? alpha[2 * x] : alpha[x];
          break;
        default:
          for (uint32_t c = 0; c < 3; ++c) out[c] = level(Sample(colour, 3 * x + c, depth));
          a = wide ? alpha[2 * x] : alpha[x];
          break;
      }
      if (a != 255) PutOverWhite(out, a);
    }
    return rgb_.data();
  }

 private:
  const TIconPNGSamples& source_;
  std::unique_ptr<TPNGRows> rows_;
  std::vector<uint8_t> rgb_;
};

TIconPNGSamples::TIconPNGSamples(std::shared_ptr<const TPNGImageData> idat, const TPNGFormat& format, std::string palette,
                                 const std::string& transparency)
    : TPDFSampleSource(int64_t(format.Width) * 3, int32_t(format.Height)),
      idat_(std::move(idat)),
      format_(format),
      palette_(std::move(palette)) {
  // A transparency chunk of the wrong length for the picture names nothing transparent.
  const auto* t = reinterpret_cast<const uint8_t*>(transparency.data());
  const uint32_t depth = format.BitDepth;
  const uint32_t mask = depth == 16 ? 0xFFFF : depth == 8 ? 0xFF : (1u << depth) - 1;
  if (format.ColorType == 3 && !transparency.empty() && transparency.size() <= palette_.size() / 3) {
    coverage_ = transparency;
  } else if (format.ColorType == 0 && transparency.size() == 2) {
    keyed_ = true;
    key_[0] = uint16_t(BigEndian16(t) & mask);
  } else if (format.ColorType == 2 && transparency.size() == 6) {
    keyed_ = true;
    for (int c = 0; c < 3; ++c) key_[c] = uint16_t(BigEndian16(t + 2 * c) & mask);
  }
}

std::unique_ptr<TPDFSampleSource::TRows> TIconPNGSamples::Open() const { return std::make_unique<TPictureRows>(*this); }
