#include "pdf/codecs/png/png_rows.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "pdf/core/filters/flate.h"
#include "pdf/core/filters/predictors.h"

namespace {

// The whole decode as the reader once did it: every row of every pass from one inflated copy
// of the data, placed into zeroed pictures of colour and alpha samples.
struct Picture {
  std::string colour, alpha;
};

Picture WholeDecode(const TPNGFormat& f, const std::string& idat) {
  struct Grid {
    uint32_t r0, c0, rs, cs;
  };
  const std::vector<Grid> adam7 = {{0, 0, 8, 8}, {0, 4, 8, 8}, {4, 0, 8, 4}, {0, 2, 4, 4},
                                   {2, 0, 4, 2}, {0, 1, 2, 2}, {1, 0, 2, 1}};
  const std::vector<Grid> grids = f.Interlaced ? adam7 : std::vector<Grid>{{0, 0, 1, 1}};
  const TPNGRows::TLayout lay = TPNGRows::LayoutOf(f.ColorType, f.BitDepth);
  const int64_t colourRow = TPNGRows::ColourRowBytes(f), alphaRow = TPNGRows::AlphaRowBytes(f);
  Picture p{std::string(size_t(colourRow * f.Height), '\0'), std::string(size_t(alphaRow * f.Height), '\0')};
  const std::string in = FlateDecompressString(idat, TPNGRows::InflatedBytes(f));
  const int colourBytes = lay.Colour * int(f.BitDepth) / 8, alphaBytes = lay.Alpha * int(f.BitDepth) / 8;
  size_t pos = 0;
  for (const Grid& g : grids) {
    const uint32_t pw = f.Width > g.c0 ? (f.Width - g.c0 - 1) / g.cs + 1 : 0;
    const uint32_t ph = f.Height > g.r0 ? (f.Height - g.r0 - 1) / g.rs + 1 : 0;
    if (!pw || !ph) continue;
    const size_t len = (size_t(pw) * lay.Channels * f.BitDepth + 7) / 8;
    std::vector<uint8_t> row(len), prev(len, 0);
    for (uint32_t k = 0; k < ph; ++k) {
      uint8_t filter = 0;
      if (pos + 1 + len <= in.size()) {
        filter = uint8_t(in[pos]);
        std::copy(in.begin() + long(pos + 1), in.begin() + long(pos + 1 + len), row.begin());
      } else {
        std::fill(row.begin(), row.end(), uint8_t{255});
      }
      pos += len + 1;
      UndoPredictorRow({15, lay.Channels, int(f.BitDepth), int(pw)}, filter, row.data(), prev.data(), int64_t(len));
      const size_t y = g.r0 + size_t(k) * g.rs;
      // Rows of one pass without alpha are copied whole, padding bits and all.
      if (!f.Interlaced && lay.Alpha == 0) {
        std::copy(row.begin(), row.end(), p.colour.begin() + long(y * colourRow));
        std::swap(row, prev);
        continue;
      }
      for (uint32_t i = 0; i < pw; ++i) {
        const size_t x = g.c0 + size_t(i) * g.cs;
        if (f.BitDepth < 8) {
          const size_t src = size_t(i) * f.BitDepth, dst = x * f.BitDepth;
          const int sample = (row[src / 8] >> (8 - f.BitDepth - src % 8)) & ((1 << f.BitDepth) - 1);
          p.colour[y * colourRow + dst / 8] = char(uint8_t(p.colour[y * colourRow + dst / 8]) |
                                                   (sample << (8 - f.BitDepth - dst % 8)));
          continue;
        }
        const uint8_t* px = row.data() + size_t(i) * (colourBytes + alphaBytes);
        std::copy(px, px + colourBytes, p.colour.begin() + long(y * colourRow + x * colourBytes));
        std::copy(px + colourBytes, px + colourBytes + alphaBytes, p.alpha.begin() + long(y * alphaRow + x * alphaBytes));
      }
      std::swap(row, prev);
    }
  }
  return p;
}

Picture RowByRow(const TPNGFormat& f, const std::string& idat) {
  Picture p;
  TPNGRows rows(f, idat);
  const int64_t colourRow = TPNGRows::ColourRowBytes(f), alphaRow = TPNGRows::AlphaRowBytes(f);
  for (uint32_t y = 0; y < f.Height; ++y) {
    rows.Next();
    p.colour.append(reinterpret_cast<const char*>(rows.Colour()), size_t(colourRow));
    p.alpha.append(reinterpret_cast<const char*>(rows.Alpha()), size_t(alphaRow));
  }
  return p;
}

// Inflated image data of random bytes, each row's filter byte one of the five filters or a
// value the format does not define.
std::string RandomInflated(const TPNGFormat& f, std::mt19937& rng) {
  std::string raw(size_t(TPNGRows::InflatedBytes(f)), '\0');
  for (char& c : raw) c = char(rng() % 4 ? rng() % 7 : rng());
  return raw;
}

void ExpectSameRows(const TPNGFormat& f, const std::string& idat, const std::string& why) {
  const Picture whole = WholeDecode(f, idat), rows = RowByRow(f, idat);
  EXPECT_TRUE(rows.colour == whole.colour) << why;
  EXPECT_TRUE(rows.alpha == whole.alpha) << why;
}

struct Kind {
  uint8_t colorType;
  uint32_t depth;
};
constexpr Kind kKinds[] = {{0, 1}, {0, 2}, {0, 4}, {0, 8}, {0, 16}, {2, 8}, {2, 16}, {3, 1},
                           {3, 2}, {3, 4}, {3, 8}, {4, 8}, {4, 16}, {6, 8}, {6, 16}};

}  // namespace

// Every colour type and depth, interlaced or not, at sizes that leave passes empty or narrow:
// rows made one at a time equal the whole decode's, also where the data are cut anywhere,
// damaged, or longer than the picture.
TEST(PNGRows, EqualTheWholeDecodeForEveryKindAndDamage) {
  std::mt19937 rng(5);
  const std::pair<uint32_t, uint32_t> sizes[] = {{1, 1}, {3, 2}, {5, 9}, {13, 7}, {33, 17}};
  for (const Kind k : kKinds)
    for (const bool interlaced : {false, true})
      for (const auto& [w, h] : sizes) {
        const TPNGFormat f{w, h, k.depth, k.colorType, interlaced};
        const std::string name = "type " + std::to_string(k.colorType) + " depth " + std::to_string(k.depth) +
                                 (interlaced ? " interlaced " : " ") + std::to_string(w) + "x" + std::to_string(h);
        const std::string raw = RandomInflated(f, rng);
        const std::string idat = FlateCompressString(raw);
        ExpectSameRows(f, idat, name);
        ExpectSameRows(f, FlateCompressString(raw + std::string(40, '\x01')), name + " long");
        for (size_t cut = 0; cut < idat.size(); cut += 1 + idat.size() / 9)
          ExpectSameRows(f, idat.substr(0, cut), name + " cut at " + std::to_string(cut));
        std::string damaged = idat;
        damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x5A);
        ExpectSameRows(f, damaged, name + " damaged");
      }
}

// Pictures whose inflated data run over many pieces of the inflate, with passes starting inside
// pieces and rows long enough to be inflated straight into place; stored and compressed data,
// cut in the middle.
TEST(PNGRows, LargePicturesAcrossThePiecesOfTheInflate) {
  std::mt19937 rng(11);
  for (const Kind k : {Kind{6, 16}, Kind{2, 8}, Kind{4, 8}, Kind{0, 2}})
    for (const bool interlaced : {false, true}) {
      const TPNGFormat f{3001, 97, k.depth, k.colorType, interlaced};
      const std::string raw = RandomInflated(f, rng);
      for (const std::string& idat : {FlateCompressString(raw), FlateStoreString(raw)}) {
        const std::string name = "type " + std::to_string(k.colorType) + (interlaced ? " interlaced" : "") +
                                 " of " + std::to_string(idat.size()) + " bytes";
        ExpectSameRows(f, idat, name);
        ExpectSameRows(f, idat.substr(0, idat.size() * 3 / 5), name + " cut");
      }
    }
}

// Rows past the picture's end are not asked for, but a reader that asks gets the last row again
// rather than reading on.
TEST(PNGRows, RowsOfAPictureWithoutDataAreWhite) {
  const TPNGFormat f{4, 3, 8, 6, true};
  TPNGRows rows(f, "");
  for (int y = 0; y < 3; ++y) {
    rows.Next();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rows.Colour()), 12), std::string(12, '\xFF'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(rows.Alpha()), 4), std::string(4, '\xFF'));
  }
  rows.Next();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(rows.Colour()), 12), std::string(12, '\xFF'));
}
