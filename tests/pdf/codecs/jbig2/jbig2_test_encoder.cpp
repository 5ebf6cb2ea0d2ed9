#include "tests/pdf/codecs/jbig2/jbig2_test_encoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "pdf/codecs/jbig2/jbig2_arithmetic.h"
#include "pdf/codecs/jbig2/jbig2_decoder.h"
#include "pdf/codecs/jbig2/jbig2_huffman.h"
#include "tests/support/test_support.h"

namespace jbig2_test {

MQEncoder::MQEncoder() = default;

void MQEncoder::ByteOut() {
  uint8_t& b = out_.back();
  if (b == 0xFF) {
    out_.push_back(static_cast<uint8_t>(c_ >> 20));
    c_ &= 0xFFFFF;
    ct_ = 7;
  } else if (c_ < 0x8000000) {
    out_.push_back(static_cast<uint8_t>(c_ >> 19));
    c_ &= 0x7FFFF;
    ct_ = 8;
  } else {
    ++b;
    if (b == 0xFF) {
      c_ &= 0x7FFFFFF;
      out_.push_back(static_cast<uint8_t>(c_ >> 20));
      c_ &= 0xFFFFF;
      ct_ = 7;
    } else {
      out_.push_back(static_cast<uint8_t>(c_ >> 19));
      c_ &= 0x7FFFF;
      ct_ = 8;
    }
  }
}

void MQEncoder::Renorm() {
  do {
    a_ <<= 1;
    c_ <<= 1;
    if (--ct_ == 0) ByteOut();
  } while ((a_ & 0x8000) == 0);
}

void MQEncoder::Encode(std::vector<uint8_t>& stats, uint32_t context, int bit) {
  uint8_t& cx = stats.at(context);
  int index = cx >> 1, mps = cx & 1;
  const jbig2::TQeRow& row = jbig2::QeRow(index);
  const uint32_t qe = row.Qe;
  a_ -= qe;
  if (bit == mps) {
    if ((a_ & 0x8000) == 0) {
      if (a_ < qe)
        a_ = qe;
      else
        c_ += qe;
      index = row.NMPS;
      cx = static_cast<uint8_t>(index << 1 | mps);
      Renorm();
    } else {
      c_ += qe;
    }
  } else {
    if (a_ < qe)
      c_ += qe;
    else
      a_ = qe;
    if (row.Switch) mps = 1 - mps;
    index = row.NLPS;
    cx = static_cast<uint8_t>(index << 1 | mps);
    Renorm();
  }
}

std::string MQEncoder::Finish() {
  const uint32_t temp = c_ + a_;
  c_ |= 0xFFFF;
  if (c_ >= temp) c_ -= 0x8000;
  c_ <<= ct_;
  ByteOut();
  c_ <<= ct_;
  ByteOut();
  std::string s(out_.begin() + 1, out_.end());
  if (s.empty() || uint8_t(s.back()) != 0xFF) s += '\xFF';
  s += '\xAC';
  return s;
}

void MQEncoder::EncodeInt(std::vector<uint8_t>& stats, std::optional<int64_t> value) {
  uint32_t prev = 1;
  auto put = [&](int b) {
    Encode(stats, prev, b);
    prev = prev < 256 ? (prev << 1) | uint32_t(b) : (((prev << 1) | uint32_t(b)) & 511) | 256;
  };
  auto bits = [&](int64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) put(int((v >> i) & 1));
  };
  if (!value) {
    put(1);
    put(0);
    bits(0, 2);
    return;
  }
  const int64_t v = *value;
  const int64_t m = v < 0 ? -v : v;
  put(v < 0);
  if (m < 4) {
    put(0);
    bits(m, 2);
  } else if (m < 20) {
    put(1), put(0);
    bits(m - 4, 4);
  } else if (m < 84) {
    put(1), put(1), put(0);
    bits(m - 20, 6);
  } else if (m < 340) {
    put(1), put(1), put(1), put(0);
    bits(m - 84, 8);
  } else if (m < 4436) {
    put(1), put(1), put(1), put(1), put(0);
    bits(m - 340, 12);
  } else {
    put(1), put(1), put(1), put(1), put(1);
    bits(m - 4436, 32);
  }
}

void MQEncoder::EncodeIAID(std::vector<uint8_t>& stats, int codeLength, uint32_t value) {
  uint32_t prev = 1;
  for (int i = codeLength - 1; i >= 0; --i) {
    const int b = int((value >> i) & 1);
    Encode(stats, prev, b);
    prev = (prev << 1) | uint32_t(b);
  }
}

GenericOptions NominalGeneric(int t, bool tpgdon) {
  GenericOptions o;
  o.Template = t;
  o.TPGDON = tpgdon;
  if (t == 0) return o;
  o.AT[0] = t == 1 ? 3 : 2;
  o.AT[1] = -1;
  return o;
}

namespace {

// The standard's context numbering: the pixel left of x in bit 0, reading leftwards and
// upwards, the adaptive pixels at their places in the template.
uint32_t GenericContext(const Bitmap& b, int t, int x, int y, const int8_t* at) {
  auto p = [&](int dx, int dy) { return uint32_t(Pix(b, x + dx, y + dy)); };
  auto a = [&](int i) { return uint32_t(Pix(b, x + at[2 * i], y + at[2 * i + 1])); };
  switch (t) {
    case 0:
      return p(-1, 0) | p(-2, 0) << 1 | p(-3, 0) << 2 | p(-4, 0) << 3 | a(0) << 4 | p(2, -1) << 5 | p(1, -1) << 6 |
             p(0, -1) << 7 | p(-1, -1) << 8 | p(-2, -1) << 9 | a(1) << 10 | a(2) << 11 | p(1, -2) << 12 |
             p(0, -2) << 13 | p(-1, -2) << 14 | a(3) << 15;
    case 1:
      return p(-1, 0) | p(-2, 0) << 1 | p(-3, 0) << 2 | a(0) << 3 | p(2, -1) << 4 | p(1, -1) << 5 | p(0, -1) << 6 |
             p(-1, -1) << 7 | p(-2, -1) << 8 | p(2, -2) << 9 | p(1, -2) << 10 | p(0, -2) << 11 | p(-1, -2) << 12;
    case 2:
      return p(-1, 0) | p(-2, 0) << 1 | a(0) << 2 | p(1, -1) << 3 | p(0, -1) << 4 | p(-1, -1) << 5 | p(-2, -1) << 6 |
             p(1, -2) << 7 | p(0, -2) << 8 | p(-1, -2) << 9;
    default:
      return p(-1, 0) | p(-2, 0) << 1 | p(-3, 0) << 2 | p(-4, 0) << 3 | a(0) << 4 | p(1, -1) << 5 | p(0, -1) << 6 |
             p(-1, -1) << 7 | p(-2, -1) << 8 | p(-3, -1) << 9;
  }
}

constexpr uint32_t kSLTP[4] = {0x9B25, 0x0795, 0x00E5, 0x0195};

bool RowEqualsAbove(const Bitmap& b, int y) {
  for (int x = 0; x < b.Width; ++x)
    if (Pix(b, x, y) != Pix(b, x, y - 1)) return false;
  return true;
}

}  // namespace

void EncodeGenericPixels(MQEncoder& e, std::vector<uint8_t>& stats, const Bitmap& b, const GenericOptions& o,
                         const std::vector<bool>* skip) {
  int ltp = 0;
  for (int y = 0; y < b.Height; ++y) {
    if (o.TPGDON) {
      const int typical = RowEqualsAbove(b, y) ? 1 : 0;
      e.Encode(stats, kSLTP[o.Template], typical ^ ltp);
      ltp = typical;
      if (ltp) continue;
    }
    for (int x = 0; x < b.Width; ++x)
      if (!skip || !(*skip)[size_t(y) * size_t(b.Width) + size_t(x)])
        e.Encode(stats, GenericContext(b, o.Template, x, y, o.AT), Pix(b, x, y));
  }
}

std::string EncodeGeneric(const Bitmap& b, const GenericOptions& o) {
  MQEncoder e;
  auto stats = GenericStats(o.Template);
  EncodeGenericPixels(e, stats, b, o);
  return e.Finish();
}

namespace {

uint32_t RefinementContext(const Bitmap& b, const Bitmap& r, int t, int x, int y, const RefinementOptions& o) {
  auto p = [&](int dx, int dy) { return uint32_t(Pix(b, x + dx, y + dy)); };
  auto q = [&](int dx, int dy) { return uint32_t(Pix(r, x - o.DX + dx, y - o.DY + dy)); };
  if (t == 0)
    return p(-1, 0) | p(1, -1) << 1 | p(0, -1) << 2 | p(o.AT[0], o.AT[1]) << 3 | q(1, 1) << 4 | q(0, 1) << 5 |
           q(-1, 1) << 6 | q(1, 0) << 7 | q(0, 0) << 8 | q(-1, 0) << 9 | q(1, -1) << 10 | q(0, -1) << 11 |
           q(o.AT[2], o.AT[3]) << 12;
  return p(-1, 0) | p(1, -1) << 1 | p(0, -1) << 2 | p(-1, -1) << 3 | q(1, 1) << 4 | q(0, 1) << 5 | q(1, 0) << 6 |
         q(0, 0) << 7 | q(-1, 0) << 8 | q(0, -1) << 9;
}

}  // namespace

// The contexts of the refinement typical-prediction decisions in the numbering above: the
// standard's pattern for both templates sets only the reference pixel at the current place.
// (jbig2dec 0.19 reads template 1's at the reference pixel right of it, 0x0040.)
constexpr uint32_t kRefinementSLTP[2] = {0x0100, 0x0080};

void EncodeRefinementPixels(MQEncoder& e, std::vector<uint8_t>& stats, const Bitmap& b, const Bitmap& reference,
                            const RefinementOptions& o) {
  int ltp = 0;
  for (int y = 0; y < b.Height; ++y) {
    bool typical = true;
    if (o.TPGRON) {
      // A row is typical when every pixel whose reference neighbourhood is uniform equals it.
      for (int x = 0; x < b.Width && typical; ++x) {
        const int v = Pix(reference, x - o.DX, y - o.DY);
        bool uniform = true;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            if (Pix(reference, x - o.DX + dx, y - o.DY + dy) != v) uniform = false;
        if (uniform && Pix(b, x, y) != v) typical = false;
      }
      e.Encode(stats, kRefinementSLTP[o.Template], int(typical) ^ ltp);
      ltp = typical ? 1 : 0;
    }
    for (int x = 0; x < b.Width; ++x) {
      if (ltp) {
        const int v = Pix(reference, x - o.DX, y - o.DY);
        bool uniform = true;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx)
            if (Pix(reference, x - o.DX + dx, y - o.DY + dy) != v) uniform = false;
        if (uniform) continue;
      }
      e.Encode(stats, RefinementContext(b, reference, o.Template, x, y, o), Pix(b, x, y));
    }
  }
}

void BitWriter::Put(uint64_t value, int bits) {
  for (int i = bits - 1; i >= 0; --i) {
    acc_ = (acc_ << 1) | uint32_t((value >> i) & 1);
    if (++n_ == 8) {
      out_ += char(acc_);
      acc_ = 0;
      n_ = 0;
    }
  }
}

void BitWriter::Align() {
  if (n_) Put(0, 8 - n_);
}

std::string BitWriter::Bytes() {
  Align();
  return out_;
}

void PutHuffman(BitWriter& w, int table, std::optional<int64_t> value) {
  const auto& lines = jbig2::StandardTable(table).Lines();
  for (const auto& l : lines) {
    if (!value) {
      if (l.RangeLength == jbig2::kRangeOOB) return w.Put(l.Code, l.PrefixLength);
      continue;
    }
    const int64_t v = *value;
    if (l.RangeLength == jbig2::kRangeLower) {
      if (v <= l.RangeLow) {
        w.Put(l.Code, l.PrefixLength);
        return w.Put(uint64_t(l.RangeLow - v), 32);
      }
    } else if (l.RangeLength == jbig2::kRangeUpper) {
      if (v >= l.RangeLow) {
        w.Put(l.Code, l.PrefixLength);
        return w.Put(uint64_t(v - l.RangeLow), 32);
      }
    } else if (l.RangeLength >= 0 && v >= l.RangeLow && v < l.RangeLow + (int64_t{1} << l.RangeLength)) {
      w.Put(l.Code, l.PrefixLength);
      return w.Put(uint64_t(v - l.RangeLow), l.RangeLength);
    }
  }
  std::fprintf(stderr, "value not codable in table B.%d\n", table);
  std::abort();
}

std::string U32(uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string U16(uint16_t v) { return {char(v >> 8), char(v)}; }

std::string Segment(uint32_t number, uint8_t type, const std::vector<uint32_t>& referred, uint32_t page,
                    const std::string& data, bool unknownLength) {
  std::string s = U32(number);
  const bool bigPage = page > 255;
  s += char(type | (bigPage ? 0x40 : 0));
  if (referred.size() <= 4) {
    s += char(referred.size() << 5);
  } else {
    s += U32(uint32_t(0xE0000000u | referred.size()));
    s += std::string((referred.size() + 1 + 7) / 8, '\0');
  }
  for (uint32_t r : referred) {
    if (number <= 256)
      s += char(r);
    else if (number <= 65536)
      s += U16(uint16_t(r));
    else
      s += U32(r);
  }
  s += bigPage ? U32(page) : std::string(1, char(page));
  s += U32(unknownLength ? 0xFFFFFFFFu : uint32_t(data.size()));
  return s + data;
}

std::string PageInfo(uint32_t width, uint32_t height, uint8_t flags, uint16_t striping) {
  return U32(width) + U32(height) + U32(0) + U32(0) + std::string(1, char(flags)) + U16(striping);
}

std::string RegionInfo(uint32_t w, uint32_t h, uint32_t x, uint32_t y, uint8_t op) {
  return U32(w) + U32(h) + U32(x) + U32(y) + std::string(1, char(op));
}

std::string GenericRegionData(const Bitmap& b, uint32_t x, uint32_t y, uint8_t op, const GenericOptions& o) {
  std::string s = RegionInfo(uint32_t(b.Width), uint32_t(b.Height), x, y, op);
  s += char((o.Template << 1) | (o.TPGDON ? 8 : 0));
  const int pairs = o.Template == 0 ? 4 : 1;
  for (int i = 0; i < 2 * pairs; ++i) s += char(o.AT[i]);
  return s + EncodeGeneric(b, o);
}

std::string GenericMMRData(const Bitmap& b, uint32_t x, uint32_t y, uint8_t op, const std::string& mmr) {
  return RegionInfo(uint32_t(b.Width), uint32_t(b.Height), x, y, op) + std::string(1, '\x01') + mmr;
}

std::string EncodeMMR(const Bitmap& b) {
  testsupport::TempDir dir;
  return ccitt_test::LibtiffGroup4(dir, b);
}

std::string WithoutEndOfBlock(const std::string& mmr) {
  // The code is 000000000001 twice: its last bit is the last 1 of the data.
  size_t last = mmr.size() * 8;
  while (last > 0 && !((uint8_t(mmr[(last - 1) / 8]) >> (7 - (last - 1) % 8)) & 1)) --last;
  if (last < 24) return {};
  BitWriter w;
  for (size_t i = 0; i + 24 < last; ++i) w.Put((uint8_t(mmr[i / 8]) >> (7 - i % 8)) & 1, 1);
  return w.Bytes();
}

bool Jbig2dec(const std::string& page, const std::string& globals, Bitmap& out, std::string* log) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("page.jb2"), page);
  std::string cmd = "jbig2dec -t pbm -o '" + dir.File("out.pbm") + "' ";
  if (globals.empty()) {
    cmd += "-e '" + dir.File("page.jb2") + "'";
  } else {
    testsupport::WriteFile(dir.File("glob.jb2"), globals);
    cmd += "'" + dir.File("glob.jb2") + "' '" + dir.File("page.jb2") + "'";
  }
  std::string output;
  testsupport::Run(cmd + " 2>&1", &output);
  if (log) *log = output;
  return ccitt_test::ParsePBM(testsupport::ReadFile(dir.File("out.pbm")), out);
}

bool Jbig2decFile(const std::string& file, Bitmap& out) {
  testsupport::TempDir dir;
  testsupport::WriteFile(dir.File("in.jb2"), file);
  testsupport::Run("jbig2dec -t pbm -o '" + dir.File("out.pbm") + "' '" + dir.File("in.jb2") + "' >/dev/null 2>&1");
  return ccitt_test::ParsePBM(testsupport::ReadFile(dir.File("out.pbm")), out);
}

bool Ours(const std::string& page, const std::string& globals, Bitmap& out) {
  TZRXJBIG2Decoder d;
  auto span = [](const std::string& s) {
    return std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(s.data()), s.size());
  };
  if (!d.Decode(span(page), span(globals))) return false;
  out = Bitmap(d.Width(), d.Height());
  out.Bits = d.PackedRows();
  return true;
}

void ExpectSame(const std::string& page, const std::string& globals, const Bitmap* expected) {
  Bitmap theirs, ours;
  std::string log;
  ASSERT_TRUE(Jbig2dec(page, globals, theirs, &log)) << log;
  if (expected) {
    ASSERT_EQ(ccitt_test::Difference(*expected, theirs), "") << "jbig2dec disagrees with the source\n" << log;
  }
  ASSERT_TRUE(Ours(page, globals, ours));
  EXPECT_EQ(ccitt_test::Difference(theirs, ours), "");
}

void CombineAt(Bitmap& out, const Bitmap& part, int64_t x0, int64_t y0, int op) {
  for (int y = 0; y < part.Height; ++y)
    for (int x = 0; x < part.Width; ++x) {
      const int64_t px = x0 + x, py = y0 + y;
      if (px < 0 || py < 0 || px >= out.Width || py >= out.Height) continue;
      const bool d = out.Get(int(px), int(py)), v = part.Get(x, y);
      bool r;
      switch (op) {
        case 0: r = d || v; break;
        case 1: r = d && v; break;
        case 2: r = d != v; break;
        case 3: r = d == v; break;
        default: r = v; break;
      }
      out.Set(int(px), int(py), r);
    }
}

Bitmap TextLike(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  Bitmap b(w, h);
  for (int k = 0; k < (w * h) / 60 + 1; ++k) {
    const int x0 = int(rng() % uint32_t(w)), y0 = int(rng() % uint32_t(h));
    const int bw = 1 + int(rng() % 9), bh = 1 + int(rng() % 12);
    for (int y = y0; y < std::min(h, y0 + bh); ++y)
      for (int x = x0; x < std::min(w, x0 + bw); ++x)
        if ((rng() % 5) != 0) b.Set(x, y, true);
  }
  // Some rows repeat the one above, as typical prediction expects.
  for (int y = 1; y < h; ++y)
    if (rng() % 4 == 0)
      for (int x = 0; x < w; ++x) b.Set(x, y, b.Get(x, y - 1));
  return b;
}

}  // namespace jbig2_test
